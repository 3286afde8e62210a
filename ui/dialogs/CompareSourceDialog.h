#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class CompareSourceDialog;
}

// "Vergleichen …": what the loaded tables are compared with.
class TCompareSource_Dlg : public QDialog {
    Q_OBJECT
public:
    enum Source { Now, Backup, List, Other };

    // `others`: the other controllers whose tables are loaded, by their labels; without any, that choice
    // is not offered.
    explicit TCompareSource_Dlg(const QStringList& others, QWidget* parent = nullptr);
    ~TCompareSource_Dlg() override;

    // Without a controller (an offline configuration) there is nothing to read "now".
    void offerNow(bool offered);

    Source source() const;
    // The index in `others` of the chosen controller.
    int otherIndex() const;

private:
    std::unique_ptr<Ui::CompareSourceDialog> m_ui;
};
