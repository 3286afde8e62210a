#pragma once

// Logging in to a controller and setting its name. The operations show nothing; the window turns
// their results into its messages.

#include "device/DeviceInfo.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

// Every later session of an entry sends the credentials cut to this many characters.
constexpr int kStoredCredentialLength = 10;

struct LoginResult {
    bool loggedIn = false;
    bool infoValid = false; // the device information request succeeded (only after a good login)
    TDeviceInfo info{};
};

// Logs in at address with the credentials as typed (sent whole) and reads the device information.
LoginResult LoginDevice(const QString& address, const QString& userName, const QString& password);

// Keeps a good login in the entry: the information block and the credentials every later session uses.
// A failed login leaves the entry as it was.
void StoreLogin(TDeviceEntry& entry, const LoginResult& result, const QString& userName,
                const QString& password);

// Sends a new device name with the entry's stored credentials: Ok; LoginFailed; CommandFailed when the
// controller refused or did not answer (firmware without naming).
Outcome WriteDeviceName(const TDeviceEntry& entry, const QString& name);

} // namespace ops
