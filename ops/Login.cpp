#include "ops/Login.h"

#include "data/DeviceEntry.h"
#include "ops/CommandSession.h"

namespace ops {

LoginResult LoginDevice(const QString& address, const QString& userName, const QString& password) {
    LoginResult result;
    CommandSession session(address, userName, password);
    if (!session.login())
        return result;
    result.loggedIn = true;
    TDeviceInfo info{};
    result.infoValid = session.socket().ReadDeviceInfo(&info);
    if (result.infoValid)
        result.info = info;
    return result;
}

void StoreLogin(TDeviceEntry& entry, const LoginResult& result, const QString& userName,
                const QString& password) {
    if (!result.loggedIn)
        return;
    entry.InfoValid = result.infoValid;
    entry.Info = result.info;
    entry.UserName = userName.left(kStoredCredentialLength);
    entry.Password = password.left(kStoredCredentialLength);
    entry.LoggedIn = true;
}

Outcome WriteDeviceName(const TDeviceEntry& entry, const QString& name) {
    CommandSession session(entry);
    if (!session.login())
        return Outcome::LoginFailed;
    return session.socket().WriteDeviceName(name) ? Outcome::Ok : Outcome::CommandFailed;
}

} // namespace ops
