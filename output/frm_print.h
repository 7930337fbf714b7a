#pragma once
// The print window: chosen spectra of one sheet with chosen items (number,
// description, formula, band values, summaries, a datasheet's source
// information) laid out as a text preview, printed page by page, and copied
// as rich text.
#include "output/output_window.h"
#include "output/print_layout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include <array>

namespace platform::gui {
class MultiLineTextBox;
}

class frmPrint : public OutputWindow {
    Q_OBJECT
public:
    explicit frmPrint(QWidget* parent = nullptr);

    QGroupBox* Frame1 = nullptr; // "Print:"
    // Print item i (1 to 8) is chkPrintItem(i).
    QCheckBox* chkPrintItem(int index) const;
    QLabel* Label1 = nullptr;
    platform::gui::MultiLineTextBox* txtTitle = nullptr;
    QPushButton* cmdPrint = nullptr;
    QTextEdit* txtPrint = nullptr;

    void setUp(const QString& notes) override;
    void Form_Activate() override;
    void chkPrintItem_Click(int index);
    void lstSpectra_Click();
    void cmdPrint_Click();
    // Rebuilds the preview.
    void DoPrint();
    // Puts the preview, or its selected part, on the clipboard as rich text
    // and plain text.
    void copyPreview();
    // The ticked items and spectra as they stand.
    PrintItems printItems() const;
    std::vector<const OutputRecord*> tickedRecords() const;

protected:
    int bandCount() const override;

private:
    void buildControls();

    std::array<QCheckBox*, 9> items_{};
};
