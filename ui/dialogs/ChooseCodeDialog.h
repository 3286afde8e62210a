#pragma once

// "Code auswählen": the transponders presented at the controller's readers while a code-reading session
// is open, one row per report, from which the administrator takes one code over into the transponder
// editor. The dialog lives as long as the window; its rows stay from one use to the next, whichever
// controller reported them, until "Liste löschen".

#include <QDialog>

#include <memory>
#include <optional>

class Prompter;
class QTreeWidgetItem;
struct TDeviceEntry;

namespace Ui {
class ChooseCodeDialog;
}

namespace ops {
struct CodeRow;
}

class TChooseCode_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TChooseCode_Dlg(QWidget* parent = nullptr);
    ~TChooseCode_Dlg() override;

    // The code-read handler: one row at the end of the list.
    void addRow(const ops::CodeRow& row);
    int rowCount() const;
    // The code of the selected row; none when no row is selected.
    std::optional<QString> selectedCode() const;

    // The dialog's handlers.
    void FormShow();
    void Trans_LVClick();
    void Trans_LVDblClick();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::ChooseCodeDialog> m_ui;
};

// "Aus Liste wählen": opens a code-reading session to the controller (the connection-failure message
// when it can't log in), shows the dialog modally while the reports come in, and closes the session on
// every path. On "Code übernehmen" with a row selected, the row's code as the editor stores it for this
// controller; otherwise none. A code that the controller's code field can't hold is refused with a
// warning instead of being cut.
std::optional<QString> ReadCodeAtReader(Prompter& prompter, QWidget* parent, TChooseCode_Dlg& dialog,
                                        const TDeviceEntry& device);
