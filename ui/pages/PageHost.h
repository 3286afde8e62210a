#pragma once

// What a page of the main window needs of the window it sits in. The window is the frame: it owns the
// device list, the tree, the one FTP link, the progress and status bars and the busy guard; each page
// holds its own controls and handlers and reaches the rest only through this interface (tests give a
// page a host of their own).

#include "data/Progress.h"
#include "ui/ErrorHandler.h"

#include <QAbstractButton>
#include <QAction>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class Prompter;
class QWidget;
class QUrl;
struct TDeviceEntry;

namespace ops {
class DeviceList;
class FtpLink;
} // namespace ops

// While one of these lives, the window counts as busy: the search, the manual add, closing the window
// and every other command that would start a second exchange wait their turn. Released on every path.
class CommandScope {
public:
    CommandScope() = default;
    explicit CommandScope(std::function<void()> release) : m_release(std::move(release)) {}
    CommandScope(CommandScope&& other) noexcept : m_release(std::exchange(other.m_release, nullptr)) {}
    CommandScope& operator=(CommandScope&& other) noexcept {
        if (this != &other) {
            end();
            m_release = std::exchange(other.m_release, nullptr);
        }
        return *this;
    }
    ~CommandScope() { end(); }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    void end() {
        if (auto release = std::exchange(m_release, nullptr))
            release();
    }

private:
    std::function<void()> m_release;
};

// A command a page runs on the current controller: the controller, and the busy scope that ends with
// the command (when the page's handler returns, after its message).
struct DeviceCommand {
    TDeviceEntry& device;
    CommandScope scope;
};

class PageHost {
public:
    virtual ~PageHost() = default;

    virtual Prompter& prompter() = 0;
    virtual ops::FtpLink& ftpLink() = 0;
    virtual ops::DeviceList& deviceList() = 0;
    // The controller of the node of kind 1 to 7 last selected or clicked; null when there is none.
    virtual TDeviceEntry* currentDevice() const = 0;

    // True while a command waits for a controller.
    virtual bool busy() const = 0;
    // Marks the window busy until the scope ends.
    virtual CommandScope beginCommand() = 0;
    // The current controller with its busy scope; nothing when there is no current controller or
    // another command runs.
    std::optional<DeviceCommand> tryBeginCommand() {
        TDeviceEntry* device = currentDevice();
        if (!device || busy())
            return std::nullopt;
        return DeviceCommand{*device, beginCommand()};
    }

    // A note in the status bar (empty text clears it).
    virtual void showStatus(const QString& text) = 0;
    // An operation's progress on the window's own bar at the bottom (the FTP transfers).
    virtual void showProgress(const ProgressStep& step) = 0;

    // The entry's tables are about to be freed: the window removes their nodes and the editors forget
    // any record of them.
    virtual void tablesCleared(TDeviceEntry& entry) = 0;
    // The entry's tables were loaded: the window shows the "Module" and "Transponder" nodes with one
    // node per record, below the opened "Konfiguration" node.
    virtual void tablesLoaded(TDeviceEntry& entry) = 0;

    // Lets the desktop open an address (the browser for the web interface and the links).
    virtual void openUrl(const QUrl& url) = 0;

    // "Aus Liste wählen": the codes presented at the entry's readers, from the window's list that stays
    // from one use to the next. The chosen code as the entry's editor may store it; none on Cancel, when
    // the controller can't be reached (after its message) or while another command runs.
    virtual std::optional<QString> chooseCodeAtReader(const TDeviceEntry& entry) = 0;
};

namespace pages {

// Runs a page's handler under the general error handler: an exception becomes one message box with its
// text, the handler stops there, and the program goes on.
template <typename Handler> void Run(PageHost& host, QWidget* parent, Handler&& handler) {
    RunGuarded(host.prompter(), parent, std::forward<Handler>(handler));
}

// Connects the sender's signal to a handler of the page, run under the general error handler with
// `parent` over its message box. The handler takes the signal's first arguments or none.
template <typename Sender, typename Signal, typename Page, typename... Args>
void Connect(PageHost& host, Sender* sender, Signal signal, Page* page, void (Page::*handler)(Args...),
             QWidget* parent) {
    QObject::connect(sender, signal, page, [&host, page, handler, parent](Args... args) {
        Run(host, parent, [&] { (page->*handler)(args...); });
    });
}

// A button's click, with the page over the message box.
template <typename Page>
void Connect(PageHost& host, QAbstractButton* button, Page* page, void (Page::*handler)()) {
    Connect(host, button, &QAbstractButton::clicked, page, handler, page);
}

// A menu command's trigger, with `parent` over the message box.
template <typename Page>
void Connect(PageHost& host, QAction* action, Page* page, void (Page::*handler)(), QWidget* parent) {
    Connect(host, action, &QAction::triggered, page, handler, parent);
}

// An operation's progress as the window shows it on its own bar; `more` gets every step too (what
// the page shows of its own).
inline Progress HostProgress(PageHost& host, Progress more = {}) {
    return [&host, more = std::move(more)](const ProgressStep& step) {
        host.showProgress(step);
        if (more)
            more(step);
    };
}

} // namespace pages
