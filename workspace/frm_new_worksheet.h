#pragma once
// The new-worksheet dialog: a name, the band system and frequency range of
// a blank worksheet, or a template worksheet to start from.
#include "workspace/dialog_base.h"

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QScrollBar;

// The bands a range position (1 to 6) covers: octave ranges start at bands
// 2, 5, ... 17 and span 28 table rows, third-octave ranges at 1, 4, ... 16
// and span 30. bandSystem: 1 octave, 2 third-octave.
struct FrequencyRange {
    int firstBand = 0;
    int lastBand = 0;
    QString text; // "25Hz - 20KHz"
};
FrequencyRange frequencyRange(int bandSystem, int position);

// The frequency-range controls of the new-sheet dialogs, laid out: the label,
// the read-only range and first-band boxes side by side, the bar below.
QGridLayout* frequencyRangeLayout(QLabel* label, QLineEdit* range, QLineEdit* firstBand,
                                  QScrollBar* bar);

class frmNewWorksheet : public BwDialog {
    Q_OBJECT
public:
    frmNewWorksheet();

    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optOctave = nullptr;
    QRadioButton* optThirdOct = nullptr;
    QLabel* lblFreqRange = nullptr;
    QScrollBar* scrRange = nullptr;
    QLineEdit* txtFreqRange = nullptr;
    QLineEdit* txtFirstBand = nullptr;
    QGroupBox* frmSelect = nullptr;
    QRadioButton* optBlank = nullptr;
    QRadioButton* optTemplate = nullptr;
    QListWidget* lstTemplates = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QRadioButton* optCancel = nullptr;

    // The template selected in the list ("" when none).
    QString selectedTemplate() const;

    void Form_Load();
    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    void optOctave_Click();
    void optThirdOct_Click();
    void scrRange_Change();
    void optBlank_Click();
    void optTemplate_Click();
    void lstTemplates_DblClick(QListWidgetItem* item);

protected:
    void cancelRequested() override { cmdCancel_Click(); }
    void showEvent(QShowEvent* e) override;

private:
    void showRange(const FrequencyRange& r);
};
