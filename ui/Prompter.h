#pragma once

// Every message box and every file or folder dialog of the program goes through one Prompter, so that
// tests can answer them from a script and check each text with its icon.

#include <QString>

class QDialog;
class QFileDialog;
class QWidget;

enum class MsgIcon { Information, Warning, Error };

// An open or save dialog. The filter is written "Description *.EXT (*.EXT)" and shows as its description
// only. The default suffix goes onto a typed name without one inside the dialog, before the dialog
// checks the name: the open dialog looks for "name.EXT", the save dialog asks before replacing an
// existing "name.EXT".
struct FileDialogRequest {
    QString caption;
    QString dir;
    QString filter;
    QString defaultSuffix;
};

// Sets up the common dialog for the request (the Qt prompter shows it so; tests look at what it does).
enum class FileDialogMode { Open, Save };
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, FileDialogMode mode);

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box with an OK button.
    virtual void message(QWidget* parent, const QString& text, MsgIcon icon) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool question(QWidget* parent, const QString& text, MsgIcon icon) = 0;
    // Common dialogs; an empty result means cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) = 0;
    // Shows one of the program's own modal dialogs; returns its result (QDialog::Accepted / Rejected).
    virtual int runDialog(QDialog& dialog) = 0;
};

// The real thing: Qt's message boxes and dialogs.
class QtPrompter : public Prompter {
public:
    void message(QWidget* parent, const QString& text, MsgIcon icon) override;
    bool question(QWidget* parent, const QString& text, MsgIcon icon) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) override;
    int runDialog(QDialog& dialog) override;
};

// The texts of this program keep the line breaks of their origin (\r\n, single \r); a widget wants \n.
QString DisplayText(const QString& text);

// The application title, also the caption of every message box.
QString ApplicationTitle();
