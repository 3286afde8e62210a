#pragma once

// The section "Sicherung der Daten und Einstellungen" of the page "Allgemein": backup of a controller's
// tables into a folder and restore from one.

#include <QWidget>

#include <memory>

class PageHost;

namespace Ui {
class BackupSection;
}

class TBackupSection : public QWidget {
    Q_OBJECT
public:
    TBackupSection(PageHost& host, QWidget* parent = nullptr);
    ~TBackupSection() override;

    void StartBackup_BTNClick();
    void Restore_BTNClick();

private:
    PageHost& m_host;
    std::unique_ptr<Ui::BackupSection> m_ui;
};
