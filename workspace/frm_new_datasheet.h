#pragma once
// The new-datasheet dialog: a name, the band system and frequency range, and
// the spectrum type, which decides the datasheet's kind.
#include "workspace/dialog_base.h"

struct FrequencyRange;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

class frmNewDatasheet : public BwDialog {
    Q_OBJECT
public:
    frmNewDatasheet();

    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optOctave = nullptr;
    QRadioButton* optThirdOct = nullptr;
    QLabel* lblFreqRange = nullptr;
    QScrollBar* scrRange = nullptr;
    QLineEdit* txtFreqRange = nullptr;
    QLineEdit* txtFirstBand = nullptr;
    QLabel* lblDatType = nullptr;
    QListWidget* lstDatType = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QRadioButton* optCancel = nullptr;

    void Form_Load();
    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    void optOctave_Click();
    void optThirdOct_Click();
    void scrRange_Change();

protected:
    void cancelRequested() override { cmdCancel_Click(); }
    void showEvent(QShowEvent* e) override;

private:
    void showRange(const FrequencyRange& range);
    // Makes the type list tall enough for all its items.
    void fitTypeList();
};
