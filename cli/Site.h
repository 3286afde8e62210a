#pragma once

// The controllers kelvora-cli works on, and what it needs to work on them: the search, the one FTP
// link, the credentials, the login that every operation of the window starts from (it fills the
// device information that decides the firmware's features), and a private folder for the local copies
// so that a window open at the same time keeps its own.

#include "cli/Console.h"
#include "cli/Credentials.h"
#include "cli/SiteFile.h"
#include "ops/CommandSession.h"
#include "ops/DeviceList.h"
#include "ops/FtpLink.h"
#include "ops/Outcome.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

struct TDeviceEntry;

namespace cli {

// What one controller's operation works with: where its messages go, the FTP link of its thread and a
// working folder for local copies that no operation running at the same time uses.
class Job {
public:
    Job(const Console& console, ops::FtpLink& ftp, QString folder)
        : m_console(console), m_ftp(ftp), m_folder(std::move(folder)) {}

    const Console& console() const { return m_console; }
    ops::FtpLink& ftp() { return m_ftp; }
    const QString& folder() const { return m_folder; }

    // Shows a message about one controller: "<label>: <text>".
    void report(const TDeviceEntry& entry, const QString& text, bool failure) const;
    // An operation's notice about one controller, as a script gets it.
    void report(const TDeviceEntry& entry, const ops::Notice& notice) const;

    // The session of the login, kept for the controller's operation; it goes with endController().
    ops::KeptSession& keepSession(const QString& address, const QString& userName, const QString& password);
    void endController() { m_session.reset(); }

private:
    const Console& m_console;
    ops::FtpLink& m_ftp;
    QString m_folder;
    std::unique_ptr<ops::KeptSession> m_session;
};

class Site {
public:
    explicit Site(const Console& console);
    ~Site();
    Site(const Site&) = delete;
    Site& operator=(const Site&) = delete;

    // False (with the message shown) when the private folder can't be made.
    bool ready() const { return m_ready; }

    // The controllers of a site file: asked directly by every search and added to its answers.
    void setListed(std::vector<SiteController> listed) { m_listed = std::move(listed); }
    // Searches the network, asking the listed controllers directly as well; a listed controller that did
    // not answer is added like a manual entry (with the serial and name of its line). False with the
    // message shown when the search could not run or a reply was not understood (the controllers found
    // before it and the listed ones stay).
    bool search();
    // A listed controller that did not answer the search.
    bool unanswered(const TDeviceEntry* entry) const;
    const ops::DeviceList& devices() const { return m_devices; }
    std::vector<TDeviceEntry*> entries() const;

    // The controller HOST names (see the help text): after a search, the entry with that address or
    // serial number; an address nobody answered for becomes an entry like a manual one. Null with the
    // message shown (a serial number the search did not find).
    TDeviceEntry* resolve(const QString& host);

    void setCredentials(Credentials credentials) { m_credentials = std::move(credentials); }
    // Logs in with the controller's credentials and keeps the device information in the entry, as the
    // window does when a controller's node is opened. False with the message shown through the job.
    // Only reads the site, so jobs on several threads may log in at once (each to its own entry).
    // The login's session stays open in the job for the operation that follows (see ops::KeptSession).
    bool login(Job& job, TDeviceEntry& entry) const;

    ops::DeviceList& deviceList() { return m_devices; }
    ops::FtpLink& ftp() { return m_ftp; }
    const Console& console() const { return m_console; }
    // The job of a command on one controller: this thread's FTP link and the private folder.
    Job& job() { return m_job; }
    // The private folder; the jobs of a whole-site command make their own folders below it.
    QString workFolder() const { return m_workDir.path(); }

    // "12AB3 Lager (192.168.0.10)"
    static QString Label(const TDeviceEntry& entry);
    // "<serial>-<name>" made safe as one folder name.
    static QString FolderName(const TDeviceEntry& entry);

private:
    void addUnanswered();

    const Console& m_console;
    QString m_previousAppDir;
    QTemporaryDir m_workDir;
    bool m_ready = false;
    bool m_searched = false;
    ops::DeviceList m_devices;
    std::vector<SiteController> m_listed;
    std::vector<const TDeviceEntry*> m_unanswered;
    ops::FtpLink m_ftp;
    Job m_job;
    Credentials m_credentials;
};

// A dotted IPv4 address of four numbers 0 to 255 (what a HOST or an IP configuration must be).
bool IsDottedAddress(const QString& text);
// What a HOST operand may be: a dotted address or a serial number.
bool IsHostText(const QString& text);

} // namespace cli
