#pragma once

// The rig of the fault matrix: the operations, the data the controller and the workstation hold, the
// local faults (an unwritable folder, a full disk) and what a row may change before its operation runs.
//
// Local faults: an unwritable folder and a full disk are a small tmpfs mounted over the folder (read-only,
// or filled to the last byte) where this process may mount (root, as in CI); otherwise the folder's
// permissions and RLIMIT_FSIZE stand in for them.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/resource.h>

#include <functional>

namespace sim {
struct ControllerConfig;
}

namespace faultmatrix {

// Shortened waits: poll cycles of 10 ms and FTP requests abandoned after 700 ms without progress.
constexpr int kCycleMs = 10;
constexpr int kFtpTimeoutMs = 700;
// A slow transfer moves this much every third of the time-out: several steps per file.
constexpr int kSlowChunk = 32 * 1024;

// Overview: the CSV overview of the tool's tables; Export: the logbook, read and then exported.
enum class Op { Load, Save, Logbook, Backup, Restore, Update, Status, Login, Search, Overview, Export };
enum class Local { None, ReadOnly, Full };

QByteArray logRecords(int count, int badRecord = -1);

// What the controller holds, and what the user has on the workstation.
extern const QByteArray kModules;
extern const QByteArray kTransponders; // several slow steps
extern const QByteArray kLog;
extern const QByteArray kOldModules; // an earlier backup
extern const QByteArray kOldTransponders;
extern const QByteArray kRestoreModules; // the backup to restore
extern const QByteArray kRestoreTransponders;
extern const QByteArray kEditedModules; // the tables edited in the tool, not yet saved
extern const QByteArray kEditedTransponders;
extern const QByteArray kOldLogCopy;
extern const QByteArray kImage;
extern const QString kImageName;
extern const QByteArray kOldOverview; // files written earlier into the folder of reports
extern const QByteArray kOldExport;

// A folder that can't be written or is full (see above). Made over an existing folder after its files are
// in place.
class LocalFault {
public:
    LocalFault(Local kind, const QString& folder);
    ~LocalFault();
    LocalFault(const LocalFault&) = delete;
    LocalFault& operator=(const LocalFault&) = delete;

    QString how() const { return m_how; }
    bool sizeLimited() const { return m_limited; }
    // Root without mount rights still writes everywhere: such a row can't be made here.
    bool effective() const;

private:
    // Fills the file system up to the last byte.
    static void fill(const QString& path);

    QString m_folder;
    QString m_how;
    bool m_mounted = false;
    bool m_limited = false;
    QFile::Permissions m_permissions;
    rlimit m_limit{};
};

struct Rig;
using Setup = std::function<void(Rig&)>;

// What a row's setup may change before the operation runs.
struct Rig {
    sim::ControllerConfig* device = nullptr;
    Local local = Local::None;
    QByteArray controllerTransponders = kTransponders;
    QByteArray controllerLog = kLog;
    QByteArray restoreTransponders = kRestoreTransponders;
    bool restoreFilesMissing = false;
    qint64 slowTransferMs = 0; // time a slow but progressing transfer takes on top of the waits
    bool smallFiles = false;   // a full disk for files below the size limit: only a tmpfs makes it
};

} // namespace faultmatrix
