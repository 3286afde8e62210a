#pragma once

#include "ui/Prompter.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <vector>

// Answers message boxes and dialogs from a script and records everything it was shown.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString kind; // "message", "question", "dialog", "open", "save", "folder"
        QString text;
        MsgIcon icon = MsgIcon::Information;
    };

    void message(QWidget* parent, const QString& text, MsgIcon icon) override;
    bool question(QWidget* parent, const QString& text, MsgIcon icon) override;
    // The answer as the dialog returns it: a name without a suffix gets the default one.
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) override;
    int runDialog(QDialog& dialog) override;

    // Script: answers used in order; an unscripted question answers No, a dialog is cancelled,
    // a file dialog is cancelled.
    std::deque<bool> questionAnswers;
    std::deque<QString> fileAnswers;
    std::deque<std::function<int(QDialog&)>> dialogAnswers;
    // Called while a message box "is open" (events can be delivered from here, as in a real one).
    std::function<void(const QString&)> onMessage;

    std::vector<Shown> shown;
    std::vector<QString> filters;  // of the open and save dialogs, in order
    std::vector<QString> suffixes; // their default suffixes, in the same order
    int dialogsRun = 0;

    QStringList messages() const;
    void clear() { shown.clear(); }
};

// Points the settings stores at a temporary folder for the lifetime of the object (on Windows: empties
// the program's registry keys when it begins and ends).
class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
