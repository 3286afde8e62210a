#include "device/ProgramFolder.h"

#include "platform/FolderProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

QString g_appDir;

// A portable install on Windows keeps its files beside the program; elsewhere programs live in folders
// that are not the user's.
#ifdef Q_OS_WIN
constexpr bool kProgramFolderFirst = true;
#else
constexpr bool kProgramFolderFirst = false;
#endif

// Created and deleted a file there: the folder's attributes say nothing about the rights on it (a folder
// under Program Files looks writable to QFileInfo).
bool folderWritable(const QString& dir) {
#ifdef Q_OS_WIN
    return platform::FolderIsWritable(std::filesystem::path(QDir::toNativeSeparators(dir).toStdWString()));
#else
    return platform::FolderIsWritable(std::filesystem::path(QFile::encodeName(dir).toStdString()));
#endif
}

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
    if (kProgramFolderFirst && folderWritable(programDir)) {
        SetAppDir(programDir);
        return;
    }
    QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (dataDir.isEmpty())
        dataDir = QDir::homePath() + QStringLiteral("/.kelvora-admin");
    SetAppDir(dataDir);
}

void ClearAppDir() {
    g_appDir.clear();
}
