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

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogSpec& spec, FileDialogMode mode) {
    if (!spec.caption.isEmpty())
        dialog.setWindowTitle(spec.caption);
    if (!spec.dir.isEmpty())
        dialog.setDirectory(spec.dir);
    const bool open = mode == FileDialogMode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(spec.filter);
    dialog.setDefaultSuffix(spec.defaultSuffix);
}

namespace {

QString runFileDialog(QWidget* parent, const FileDialogSpec& spec, FileDialogMode mode) {
    QFileDialog dialog(parent);
    ConfigureFileDialog(dialog, spec, mode);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString QtPrompter::openFileName(QWidget* parent, const FileDialogSpec& spec) {
    return runFileDialog(parent, spec, FileDialogMode::Open);
}

QString QtPrompter::saveFileName(QWidget* parent, const FileDialogSpec& spec) {
    return runFileDialog(parent, spec, FileDialogMode::Save);
}

QString QtPrompter::existingDirectory(QWidget* parent, const QString& caption, const QString& dir) {
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

int QtPrompter::runDialog(QDialog& dialog) {
    return dialog.exec();
}
