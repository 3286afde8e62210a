#include "ops/Login.h"

#include "data/DeviceEntry.h"
#include "ops/CommandSession.h"
#include "ops/Notices.h"

namespace ops {

namespace {

LoginResult loginOver(CommandSession& session) {
    LoginResult result;
    if (session.login()) {
        result.outcome = Outcome::Ok;
        TDeviceInfo info{};
        result.infoValid = session.socket().ReadDeviceInfo(&info);
        if (result.infoValid)
            result.info = info;
    }
    result.notice = LoginNotice(result.outcome);
    return result;
}

} // namespace

LoginResult LoginDevice(const QString& address, const QString& userName, const QString& password) {
    CommandSession session(address, userName, password);
    return loginOver(session);
}

void StoreLogin(TDeviceEntry& entry, const LoginResult& result, const QString& userName,
                const QString& password) {
    if (!result.ok())
        return;
    entry.InfoValid = result.infoValid;
    entry.Info = result.info;
    entry.UserName = userName.left(kStoredCredentialLength);
    entry.Password = password.left(kStoredCredentialLength);
    entry.LoggedIn = true;
}

LoginResult LogIn(TDeviceEntry& entry, const QString& userName, const QString& password) {
    LoginResult result = LoginDevice(entry.IPAddress, userName, password);
    StoreLogin(entry, result, userName, password);
    return result;
}

LoginResult LogIn(TDeviceEntry& entry, KeptSession& kept, const QString& userName, const QString& password) {
    LoginResult result = loginOver(kept.session());
    StoreLogin(entry, result, userName, password);
    if (result.ok())
        kept.offer();
    return result;
}

Result WriteDeviceName(const TDeviceEntry& entry, const QString& name) {
    Result result;
    CommandSession session(entry);
    if (!session.login())
        result.outcome = Outcome::LoginFailed;
    else if (!session.socket().WriteDeviceName(name))
        result.outcome = Outcome::CommandFailed;
    result.notice = DeviceNameNotice(result.outcome);
    return result;
}

} // namespace ops
