#pragma once

#include "ops/DeviceList.h"
#include "ops/FtpLink.h"
#include "support/ScriptedPrompter.h"
#include "ui/pages/PageHost.h"

#include <QStringList>
#include <QUrl>

#include <vector>

#include <functional>
#include <memory>
#include <optional>

// A window stand-in for testing one page by itself: scripted message boxes, its own device list and
// FTP link, and a record of everything the page asked of the window (the progress steps included).
class TestPageHost : public PageHost {
public:
    TestPageHost();

    Prompter& prompter() override { return scripted; }
    ops::FtpLink& ftpLink() override { return *ftp; }
    ops::DeviceList& deviceList() override { return devices; }
    TDeviceEntry* currentDevice() const override { return current; }
    bool busy() const override { return busyCount > 0; }
    CommandScope beginCommand() override;
    void showStatus(const QString& text) override { statusTexts << text; }
    void showProgress(const ProgressStep& step) override { progress.push_back(step); }
    void tablesCleared(TDeviceEntry& entry) override { cleared.push_back(&entry); }
    void tablesLoaded(TDeviceEntry& entry) override { loaded.push_back(&entry); }
    void openUrl(const QUrl& url) override { openedUrls.push_back(url); }
    std::optional<QString> chooseCodeAtReader(const TDeviceEntry& entry) override {
        codeRequests.push_back(&entry);
        return chooseCode ? chooseCode(entry) : std::nullopt;
    }

    ScriptedPrompter scripted;
    ops::DeviceList devices;
    std::unique_ptr<ops::FtpLink> ftp;
    TDeviceEntry* current = nullptr;
    int busyCount = 0;
    int commandsBegun = 0;
    QStringList statusTexts;
    std::vector<ProgressStep> progress;
    std::vector<TDeviceEntry*> cleared;
    std::vector<TDeviceEntry*> loaded;
    std::vector<QUrl> openedUrls;
    // Answers "Aus Liste wählen"; none when unset.
    std::function<std::optional<QString>(const TDeviceEntry&)> chooseCode;
    std::vector<const TDeviceEntry*> codeRequests;
};
