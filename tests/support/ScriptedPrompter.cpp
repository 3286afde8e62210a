#include "support/ScriptedPrompter.h"

#include "device/NetworkTargets.h"

#include <QDialog>
#include <QFileInfo>
#include <QSettings>

void ScriptedPrompter::message(QWidget*, const QString& text, MsgIcon icon) {
    shown.push_back({QStringLiteral("message"), text, icon});
    if (onMessage)
        onMessage(text);
}

bool ScriptedPrompter::question(QWidget*, const QString& text, MsgIcon icon) {
    shown.push_back({QStringLiteral("question"), text, icon});
    if (questionAnswers.empty())
        return false;
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

namespace {

QString nextFile(std::deque<QString>& answers) {
    if (answers.empty())
        return QString();
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

// As Qt's file dialog completes a typed name.
QString withSuffix(const QString& name, const QString& suffix) {
    const QFileInfo info(name);
    if (name.isEmpty() || suffix.isEmpty() || info.isDir() || info.fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + suffix;
}

} // namespace

QString ScriptedPrompter::openFileName(QWidget*, const FileDialogRequest& request) {
    shown.push_back({QStringLiteral("open"), request.caption, MsgIcon::Information});
    filters.push_back(request.filter);
    suffixes.push_back(request.defaultSuffix);
    return withSuffix(nextFile(fileAnswers), request.defaultSuffix);
}

QString ScriptedPrompter::saveFileName(QWidget*, const FileDialogRequest& request) {
    shown.push_back({QStringLiteral("save"), request.caption, MsgIcon::Information});
    filters.push_back(request.filter);
    suffixes.push_back(request.defaultSuffix);
    return withSuffix(nextFile(fileAnswers), request.defaultSuffix);
}

QString ScriptedPrompter::existingDirectory(QWidget*, const QString& caption, const QString&) {
    shown.push_back({QStringLiteral("folder"), caption, MsgIcon::Information});
    return nextFile(fileAnswers);
}

int ScriptedPrompter::runDialog(QDialog& dialog) {
    ++dialogsRun;
    shown.push_back({QStringLiteral("dialog"), dialog.windowTitle(), MsgIcon::Information});
    if (dialogAnswers.empty())
        return QDialog::Rejected;
    auto answer = std::move(dialogAnswers.front());
    dialogAnswers.pop_front();
    // As a modal dialog would: shown (its show handler runs), filled in by the script, closed.
    dialog.show();
    const int result = answer(dialog);
    dialog.hide();
    return result;
}

QStringList ScriptedPrompter::messages() const {
    QStringList texts;
    for (const Shown& s : shown) {
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("question"))
            texts << s.text;
    }
    return texts;
}

namespace {

// On Windows the native stores are the registry, which no path moves: the program's keys are emptied
// instead, before and after each test.
void clearRegistryStores() {
#ifdef Q_OS_WIN
    for (const char* root : {"HKEY_CURRENT_USER\\Software\\nopra", "HKEY_LOCAL_MACHINE\\Software\\nopra"}) {
        QSettings store(QString::fromLatin1(root), QSettings::NativeFormat);
        store.clear();
        store.sync();
    }
#endif
}

} // namespace

TempSettings::TempSettings() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path() + QStringLiteral("/user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       m_dir.path() + QStringLiteral("/system"));
    clearRegistryStores();
}

TempSettings::~TempSettings() {
    clearRegistryStores();
}

namespace {

// Every test program with a window links this file. Whatever a test forgets to set, the window's search
// and IP configuration go to the discard port on loopback, never to the real broadcast.
const bool kLoopbackByDefault = [] {
    NetworkTargets targets = Targets();
    if (targets.discoveryAddress == QHostAddress(QHostAddress::Broadcast)) {
        targets.discoveryAddress = QHostAddress(QHostAddress::LocalHost);
        targets.discoveryPort = 9;
        SetTargets(targets);
    }
    return true;
}();

} // namespace
