#pragma once
// What the new-worksheet and new-datasheet dialogs share: the name, the band
// system and frequency range, OK and Cancel, and the hidden option that tells
// the caller the dialog was cancelled.
#include "sheets/dialog_base.h"

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
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

class NewSheetDialog : public OkCancelDialog {
    Q_OBJECT
public:
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optOctave = nullptr;
    QRadioButton* optThirdOct = nullptr;
    QLabel* lblFreqRange = nullptr;
    QScrollBar* scrRange = nullptr;
    QLineEdit* txtFreqRange = nullptr;
    QLineEdit* txtFirstBand = nullptr;
    // Made by the dialog after its own controls, as OK and Cancel are.
    QRadioButton* optCancel = nullptr;

    void Form_Load();
    void cmdOK_Click() override;
    void cmdCancel_Click() override;
    void optOctave_Click();
    void optThirdOct_Click();
    void scrRange_Change();

protected:
    // The texts that differ between the two dialogs.
    struct Texts {
        const char* name;   // the name label
        const char* bands;  // the band frame's title
        const char* octave; // the band options
        const char* thirdOctave;
        bool blankBeforeFirstBand; // the first band shown with a leading blank
    };
    NewSheetDialog(const char* objectName, const QString& caption, const Texts& texts);

    // The name label and box side by side.
    QHBoxLayout* nameLayout();

private:
    void showRange(const FrequencyRange& range);

    bool blankBeforeFirstBand_;
};
