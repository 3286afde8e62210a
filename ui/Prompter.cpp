#include "ui/Prompter.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString ApplicationTitle() {
    return QStringLiteral("Kelvora compact Administrator");
}

void QtPrompter::message(QWidget* parent, const QString& text, MsgIcon icon) {
    QMessageBox box(toQt(icon), ApplicationTitle(), DisplayText(text), QMessageBox::Ok, parent);
    box.exec();
}

bool QtPrompter::question(QWidget* parent, const QString& text, MsgIcon icon) {
    QMessageBox box(toQt(icon), ApplicationTitle(), DisplayText(text), QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, FileDialogMode mode) {
    if (!request.caption.isEmpty())
        dialog.setWindowTitle(request.caption);
    if (!request.dir.isEmpty())
        dialog.setDirectory(request.dir);
    const bool open = mode == FileDialogMode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
}

namespace {

QString runFileDialog(QWidget* parent, const FileDialogRequest& request, FileDialogMode mode) {
    QFileDialog dialog(parent);
    ConfigureFileDialog(dialog, request, mode);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString QtPrompter::openFileName(QWidget* parent, const FileDialogRequest& request) {
    return runFileDialog(parent, request, FileDialogMode::Open);
}

QString QtPrompter::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    return runFileDialog(parent, request, FileDialogMode::Save);
}

QString QtPrompter::existingDirectory(QWidget* parent, const QString& caption, const QString& dir) {
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

int QtPrompter::runDialog(QDialog& dialog) {
    return dialog.exec();
}
