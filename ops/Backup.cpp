#include "ops/Backup.h"

#include "data/DeviceEntry.h"
#include "data/Records.h"
#include "ops/FileOperation.h"
#include "ops/Notices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <utility>
#include <vector>

namespace ops {
namespace {

constexpr int kModuleRecordSize = static_cast<int>(sizeof(TModuleEntry));
constexpr int kTransponderRecordSize = static_cast<int>(sizeof(TTransponderEntry));

bool present(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A name beside target that nothing in the folder uses yet; empty when none was found.
QString freeNameBeside(const QString& target) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = target + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8,
                                                                    16, QLatin1Char('0'));
        if (!present(name))
            return name;
    }
    return QString();
}

// The names of files on their way into the folder; whatever is still there when the operation ends
// goes, so a failed backup leaves nothing of its own behind.
class IncomingFiles {
public:
    IncomingFiles() = default;
    ~IncomingFiles() {
        for (const QString& name : m_names)
            QFile::remove(name);
    }
    IncomingFiles(const IncomingFiles&) = delete;
    IncomingFiles& operator=(const IncomingFiles&) = delete;

    QString reserve(const QString& target) {
        QString name = freeNameBeside(target);
        if (!name.isEmpty())
            m_names.push_back(name);
        return name;
    }

private:
    std::vector<QString> m_names;
};

struct Replacement {
    QString incoming;
    QString target;
};

// A file marked read-only is one its owner wants kept; Windows also refuses to delete it, which would
// leave the old copy behind as a stray file once the new one is in its place.
bool protectedFile(const QString& path) {
    return !(QFileInfo(path).permissions() & QFile::WriteOwner);
}

// Puts every incoming file in the place of its target, all or none. The targets are moved aside first
// and come back when any step fails, so the folder never holds a mix of old and new files; an old copy
// that cannot be removed at the end brings its target back too.
bool replaceAll(const std::vector<Replacement>& replacements) {
    std::vector<std::pair<QString, QString>> asides; // (aside, target)
    std::vector<QString> placed;
    const auto rollBack = [&] {
        for (const QString& target : placed)
            QFile::remove(target);
        for (const auto& [aside, target] : asides)
            QFile::rename(aside, target);
        return false;
    };
    for (const Replacement& r : replacements) {
        if (!present(r.target))
            continue;
        if (!QFileInfo(r.target).isFile() || protectedFile(r.target))
            return rollBack(); // a folder, a dangling link or a protected file is not ours to move
        const QString aside = freeNameBeside(r.target);
        if (aside.isEmpty() || !QFile::rename(r.target, aside))
            return rollBack();
        asides.emplace_back(aside, r.target);
    }
    for (const Replacement& r : replacements) {
        if (!QFile::rename(r.incoming, r.target))
            return rollBack();
        placed.push_back(r.target);
    }
    for (std::size_t i = 0; i < asides.size(); ++i) {
        if (QFile::remove(asides[i].first))
            continue;
        if (i == 0)
            return rollBack();
        // The first old copy is gone already: keeping the new pair is the only whole state left.
        break;
    }
    return true;
}

bool wholeRecords(const QString& path, int recordSize, BackupFolderCheck& check) {
    const qint64 size = QFileInfo(path).size();
    if (size % recordSize == 0)
        return true;
    check.state = BackupFolderCheck::WrongSize;
    check.fileName = QFileInfo(path).fileName();
    check.size = size;
    check.recordSize = recordSize;
    return false;
}

} // namespace

QString FolderFile(const QString& folder, const QString& fileName) {
    QString path = QDir::fromNativeSeparators(folder);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path + QLatin1Char('/') + fileName;
}

namespace {

Outcome backup(const TDeviceEntry& entry, FtpLink& ftp, const QString& folder, const Progress& progress) {
    FileOperation operation(entry, ftp, FileOperation::Account::Configured, progress);
    if (const Outcome opened = operation.openAndConnect(); opened != Outcome::Ok)
        return opened;
    const QString moduleTarget = FolderFile(folder, kModuleFileName);
    const QString transponderTarget = FolderFile(folder, kTransponderFileName);
    IncomingFiles incoming;
    const QString moduleIncoming = incoming.reserve(moduleTarget);
    const QString transponderIncoming = incoming.reserve(transponderTarget);
    const bool transferred = !moduleIncoming.isEmpty() && !transponderIncoming.isEmpty() &&
                             operation.get(kModuleFileName, moduleIncoming) &&
                             operation.get(kTransponderFileName, transponderIncoming);
    operation.quit();
    if (!transferred)
        return Outcome::TransferFailed;
    if (!replaceAll({{moduleIncoming, moduleTarget}, {transponderIncoming, transponderTarget}}))
        return Outcome::LocalFileFailed;
    return Outcome::Ok;
}

Outcome restore(const TDeviceEntry& entry, FtpLink& ftp, const QString& folder, const Progress& progress) {
    if (CheckBackupFolder(folder).state != BackupFolderCheck::Complete)
        return Outcome::LocalFileFailed;
    FileOperation operation(entry, ftp, FileOperation::Account::Configured, progress);
    if (const Outcome opened = operation.openAndConnect(); opened != Outcome::Ok)
        return opened;
    const bool transferred = operation.put(FolderFile(folder, kModuleFileName), kModuleFileName) &&
                             operation.put(FolderFile(folder, kTransponderFileName), kTransponderFileName);
    operation.quit();
    return transferred ? Outcome::Ok : Outcome::TransferFailed;
}

} // namespace

Result BackupConfiguration(const TDeviceEntry& entry, FtpLink& ftp, const QString& folder,
                           const Progress& progress) {
    Result result = Worded(backup(entry, ftp, folder, progress), BackupNotice);
    if (!result.ok())
        return result;
    const BackupFolderCheck check = CheckBackupFolder(folder);
    if (check.state == BackupFolderCheck::WrongSize)
        result.notice = {QStringLiteral("Die Datensicherung wurde gespeichert, ist aber unvollständig: ") +
                             DamagedTableText(check.fileName, check.size, check.recordSize) +
                             QStringLiteral(" Eine Rücksicherung aus diesem Ordner ist nicht möglich."),
                         Notice::Warning, QString(), true};
    return result;
}

QString DamagedTableText(const QString& fileName, qint64 size, int recordSize) {
    return QStringLiteral("Die Datei \"%1\" ist beschädigt oder keine Kelvora compact Konfigurationsdatei: "
                          "Ihre Größe von %2 Bytes ist kein Vielfaches der Eintragsgröße von %3 Bytes.")
        .arg(fileName)
        .arg(size)
        .arg(recordSize);
}

BackupFolderCheck CheckBackupFolder(const QString& folder) {
    BackupFolderCheck check;
    const QString transponders = FolderFile(folder, kTransponderFileName);
    const QString modules = FolderFile(folder, kModuleFileName);
    for (const QString& path : {transponders, modules}) {
        if (!QFileInfo(path).isFile()) {
            check.state = BackupFolderCheck::FilesMissing;
            check.fileName = QFileInfo(path).fileName();
            return check;
        }
    }
    if (!wholeRecords(modules, kModuleRecordSize, check) ||
        !wholeRecords(transponders, kTransponderRecordSize, check))
        return check;
    check.state = BackupFolderCheck::Complete;
    return check;
}

QString BackupFolderRefusal(const BackupFolderCheck& check) {
    switch (check.state) {
    case BackupFolderCheck::Complete:
        return QString();
    case BackupFolderCheck::FilesMissing:
        return kBackupFilesMissingText;
    case BackupFolderCheck::WrongSize:
        return QStringLiteral(
                   "Die Datei \"%1\" in diesem Verzeichnis ist beschädigt oder keine Kelvora compact "
                   "Konfigurationsdatei: Ihre Größe von %2 Bytes ist kein Vielfaches der "
                   "Eintragsgröße von %3 Bytes. Bitte wählen Sie ein anderes Verzeichnis aus.")
            .arg(check.fileName)
            .arg(check.size)
            .arg(check.recordSize);
    }
    return QString();
}

Result CheckRestoreFolder(const QString& folder) {
    const BackupFolderCheck check = CheckBackupFolder(folder);
    if (check.state == BackupFolderCheck::Complete)
        return Result();
    Result result(Outcome::LocalFileFailed);
    result.notice = {BackupFolderRefusal(check), Notice::Warning, QString(), true};
    return result;
}

Result RestoreConfiguration(const TDeviceEntry& entry, FtpLink& ftp, const QString& folder,
                            const Progress& progress) {
    return Worded(restore(entry, ftp, folder, progress), RestoreNotice);
}

Result ReadBackupTables(const QString& folder, TDeviceEntry& entry) {
    Result result = CheckRestoreFolder(folder);
    if (!result.ok())
        return result;
    for (const QString& name : {kModuleFileName, kTransponderFileName}) {
        const QString path = FolderFile(folder, name);
        const bool read = name == kModuleFileName ? ReadTableFile(path, entry.Modules)
                                                  : ReadTableFile(path, entry.Transponders);
        if (!read) {
            result.outcome = Outcome::LocalFileFailed;
            result.notice = {QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.")
                                 .arg(QDir::toNativeSeparators(path)),
                             Notice::Error, QString(), true};
            return result;
        }
    }
    entry.TablesRead = true;
    return result;
}

Result WriteBackupTables(const QString& folder, const TDeviceEntry& entry) {
    const QString moduleTarget = FolderFile(folder, kModuleFileName);
    const QString transponderTarget = FolderFile(folder, kTransponderFileName);
    IncomingFiles incoming;
    const QString moduleIncoming = incoming.reserve(moduleTarget);
    const QString transponderIncoming = incoming.reserve(transponderTarget);
    const bool written =
        !moduleIncoming.isEmpty() && !transponderIncoming.isEmpty() &&
        WriteTableFile(moduleIncoming, entry.Modules) &&
        WriteTableFile(transponderIncoming, entry.Transponders) &&
        replaceAll({{moduleIncoming, moduleTarget}, {transponderIncoming, transponderTarget}});
    Result result;
    if (!written) {
        result.outcome = Outcome::LocalFileFailed;
        result.notice = {QStringLiteral("Die Konfiguration kann nicht im Ordner \"%1\" gespeichert werden. "
                                        "Die Dateien im Ordner sind unverändert.")
                             .arg(QDir::toNativeSeparators(folder)),
                         Notice::Error, QString(), true};
    }
    return result;
}

} // namespace ops
