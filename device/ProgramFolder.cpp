#include "device/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString g_appDir;

} // namespace

const QString& AppDir() {
    return g_appDir;
}

void SetAppDir(const QString& dir) {
    QString path = QDir::fromNativeSeparators(dir);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    QDir().mkpath(path);
    g_appDir = path;
}

void InitAppDir() {
    // The program's own folder where the user may write there (a portable install on Windows);
    // otherwise the per-user application data folder.
    const QString programDir = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    const QFileInfo info(programDir);
    if (info.isDir() && info.isWritable()) {
        SetAppDir(programDir);
        return;
    }
#endif
    QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (dataDir.isEmpty())
        dataDir = QDir::homePath() + QStringLiteral("/.kelvora-admin");
    SetAppDir(dataDir);
}

void ClearAppDir() {
    g_appDir.clear();
}
