#include "ui/ErrorHandler.h"

#include "ui/Prompter.h"

#include <QString>

#include <stdexcept>

void ShowException(Prompter& prompter, QWidget* parent, std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown error");
    }
    prompter.message(parent, text, MsgIcon::Error);
}
