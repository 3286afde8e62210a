#pragma once

// Logging in to a controller and setting its name. The operations show nothing; their results carry
// what the user is told.

#include "device/DeviceInfo.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

class KeptSession;

// Every later session of an entry sends the credentials cut to this many characters.
constexpr int kStoredCredentialLength = 10;

struct LoginResult : Result {
    LoginResult() : Result(Outcome::LoginFailed) {}

    bool infoValid = false; // the device information request succeeded (only after a good login)
    TDeviceInfo info{};
};

// Logs in at address with the credentials as typed (sent whole) and reads the device information: Ok
// or LoginFailed.
LoginResult LoginDevice(const QString& address, const QString& userName, const QString& password);

// Keeps a good login in the entry: the information block and the credentials every later session uses.
// A failed login leaves the entry as it was.
void StoreLogin(TDeviceEntry& entry, const LoginResult& result, const QString& userName,
                const QString& password);

// The login of an entry as the window makes it when its node is opened: LoginDevice at the entry's
// address, then StoreLogin.
LoginResult LogIn(TDeviceEntry& entry, const QString& userName, const QString& password);

// The same over a session that stays open for the operations that follow (made for the entry's address
// with these credentials): once the login succeeded it is offered to them.
LoginResult LogIn(TDeviceEntry& entry, KeptSession& kept, const QString& userName, const QString& password);

// Sends a new device name with the entry's stored credentials: Ok; LoginFailed; CommandFailed when the
// controller refused or did not answer (firmware without naming).
Result WriteDeviceName(const TDeviceEntry& entry, const QString& name);

} // namespace ops
