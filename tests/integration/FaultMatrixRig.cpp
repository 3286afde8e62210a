#include "FaultMatrixRig.h"

#include "data/Logbook.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QMap>

#include <sys/mount.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace faultmatrix {

using testsupport::pattern;

QByteArray logRecords(int count, int badRecord) {
    QByteArray file;
    for (int i = 0; i < count; ++i) {
        TLogRecord r;
        std::memset(&r, 0, sizeof r);
        r.Type = i == badRecord ? 7 : 1;
        r.Status = 2;
        r.Day = static_cast<std::uint8_t>(1 + i % 28);
        r.Month = 3;
        r.Year = 25;
        r.setModuleAddress(static_cast<std::uint16_t>(i));
        std::memcpy(r.ModuleName, "Haupteingang", 12);
        std::memcpy(r.TransponderName,
                    "Anna M\xFC"
                    "ller",
                    11);
        file.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return file;
}

const QByteArray kModules = pattern(16 * 40, 1);
const QByteArray kTransponders = pattern(900 * 89, 2);
const QByteArray kLog = logRecords(1500);
const QByteArray kOldModules = pattern(3 * 40, 3);
const QByteArray kOldTransponders = pattern(5 * 89, 4);
const QByteArray kRestoreModules = pattern(4 * 40, 5);
const QByteArray kRestoreTransponders = pattern(6 * 89, 6);
const QByteArray kEditedModules = pattern(5 * 40, 7);
const QByteArray kEditedTransponders = pattern(7 * 89, 8);
const QByteArray kOldLogCopy = logRecords(3);
const QByteArray kImage = pattern(256 * 1024, 9);
const QString kImageName = QStringLiteral("FW0140.HEX");
const QByteArray kOldOverview = "Daten;;;Beschr\xE4nkungen\r\nName;Transpondercode;Aktiviert\r\n";
const QByteArray kOldExport = "01.02.24;08:15:30;Anmeldung;Anmeldung erfolgreich;Tor;1A;;12345;\r\n";

LocalFault::LocalFault(Local kind, const QString& folder) : m_folder(folder) {
    if (kind == Local::None)
        return;
    const QDir dir(folder);
    QMap<QString, QByteArray> files;
    for (const QString& name : dir.entryList(QDir::Files))
        files[name] = testsupport::readFile(dir.filePath(name));
    const QByteArray path = QFile::encodeName(folder);
    m_mounted = ::mount("kelvora-test", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                        kind == Local::Full ? "size=64k,mode=0700" : "size=256k,mode=0700") == 0;
    if (m_mounted) {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            testsupport::writeFile(dir.filePath(it.key()), it.value());
        if (kind == Local::ReadOnly)
            ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
        else
            fill(dir.filePath(QStringLiteral(".filler")));
        m_how = kind == Local::ReadOnly ? QStringLiteral("read-only tmpfs") : QStringLiteral("full tmpfs");
    } else if (kind == Local::ReadOnly) {
        m_permissions = QFile::permissions(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        m_how = QStringLiteral("folder without write permission");
    } else {
        ::getrlimit(RLIMIT_FSIZE, &m_limit);
        const rlimit small{4096, m_limit.rlim_max};
        ::signal(SIGXFSZ, SIG_IGN);
        m_limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        m_how = QStringLiteral("RLIMIT_FSIZE of 4096 bytes");
    }
}

bool LocalFault::effective() const {
    return m_mounted || m_limited || (m_permissions && ::geteuid() != 0);
}

LocalFault::~LocalFault() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    if (m_permissions)
        QFile::setPermissions(m_folder, m_permissions);
    if (m_limited)
        ::setrlimit(RLIMIT_FSIZE, &m_limit);
}

void LocalFault::fill(const QString& path) {
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
}

} // namespace faultmatrix
