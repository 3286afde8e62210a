#pragma once

// The general error handler: an exception escaping an event handler is shown with its text in one
// error box; the handler stops there, its resources are released by their owners, the program goes on.

#include <exception>
#include <utility>

class Prompter;
class QWidget;

void ShowException(Prompter& prompter, QWidget* parent, std::exception_ptr error);

template <typename Handler> void RunGuarded(Prompter& prompter, QWidget* parent, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ShowException(prompter, parent, std::current_exception());
    }
}
