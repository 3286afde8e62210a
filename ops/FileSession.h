#pragma once

// The command session that frames every file transfer with a controller: logged in with the stored
// credentials, kept alive while FTP moves the files, and, where the firmware asks for it, granted file
// access first. The FTP server has its own login, so a failed command login is not an error by itself:
// on firmware that needs file access it shows up as a refused request.

#include "ops/CommandSession.h"
#include "ops/Outcome.h"

struct TDeviceEntry;

namespace ops {

class FileSession {
public:
    explicit FileSession(const TDeviceEntry& entry);

    // Login (result not checked), keep-alive, and file access where FirmwareAtLeast(32) holds:
    // Ok or FileAccessRefused.
    Outcome open();
    // The controller wants a moment after the last transfer before the session goes away.
    void finish(int pauseMs = 200);

    CommandSession& session() { return m_session; }

private:
    const TDeviceEntry& m_entry;
    CommandSession m_session;
};

} // namespace ops
