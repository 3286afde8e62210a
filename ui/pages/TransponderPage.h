#pragma once

// Page "Transponder": the editor of one transponder: whether it is active, its code, and the modules and
// hours at which it is accepted. Every edit goes straight into the transponder's record as the user
// changes a control; nothing reaches the controller before the configuration is saved.

#include <QWidget>

#include <functional>
#include <memory>

class PageHost;
class QCheckBox;
class QListWidgetItem;
class RestrictionControls;
struct TDeviceEntry;
struct TTransponderEntry;

namespace Ui {
class TransponderPageForm;
}

class TTransponderPage : public QWidget {
    Q_OBJECT
public:
    TTransponderPage(PageHost& host, QWidget* parent = nullptr);
    ~TTransponderPage() override;

    // Shows the transponder of `owner`'s table: the module list is `owner`'s and the code is written in
    // the form `owner`'s firmware reads. Showing writes nothing; only the user's own edits do, and they
    // mark `owner` changed.
    void showRecord(TDeviceEntry& owner, TTransponderEntry& transponder);
    // Drops the transponder (its table is being cleared or it is deleted); the controls stay disabled
    // until the next showRecord.
    void forget();

    TTransponderEntry* transponder() const { return m_transponder; }
    TDeviceEntry* owner() const { return m_owner; }

    // A code read at a reader, taken over as if the user had typed it.
    void takeCode(const QString& code);

    // The handlers of the page's controls.
    void TransAkt_CBClick();
    void Code_EDChange();
    // "Aus Liste wählen": a code presented at one of the controller's readers goes into Code_ED.
    void StartRec_BTNClick();
    void Restr_CBChange();
    void ModulRestr_CBClick(QListWidgetItem* item);
    void TimeBar1TimeSelected();
    void CheckBox1Click(QCheckBox* sender);

private:
    void edit(const std::function<void(TTransponderEntry&)>& change);
    bool filling() const { return m_filling > 0; }
    bool writesBinaryCode() const;

    PageHost& m_host;
    std::unique_ptr<Ui::TransponderPageForm> m_ui;
    std::unique_ptr<RestrictionControls> m_restrictions;
    QWidget* m_body = nullptr;
    TDeviceEntry* m_owner = nullptr;
    TTransponderEntry* m_transponder = nullptr;
    int m_filling = 0;
};
