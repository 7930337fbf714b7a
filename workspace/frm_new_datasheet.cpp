#include "workspace/frm_new_datasheet.h"

#include "platform/gui/forms.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/sheet_names.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

using platform::gui::makeNamed;

frmNewDatasheet::frmNewDatasheet() : BwDialog("frmNewDatasheet", "New Datasheet:") {
    lblName = makeNamed<QLabel>(this, "lblName", "Name:");
    txtName = makeNamed<QLineEdit>(this, "txtName");
    lblName->setBuddy(txtName);
    Frame1 = makeNamed<QGroupBox>(this, "Frame1");
    optOctave = makeNamed<QRadioButton>(Frame1, "optOctave", "Octave");
    optThirdOct = makeNamed<QRadioButton>(Frame1, "optThirdOct", "Third-Octave");
    optThirdOct->setChecked(true);
    lblFreqRange = makeNamed<QLabel>(this, "lblFreqRange", "Frequency Range:");
    scrRange = makeNamed<QScrollBar>(this, "scrRange", Qt::Horizontal);
    scrRange->setRange(1, 6);
    scrRange->setPageStep(1);
    scrRange->setValue(5);
    txtFreqRange = makeNamed<QLineEdit>(this, "txtFreqRange");
    txtFirstBand = makeNamed<QLineEdit>(this, "txtFirstBand");
    for (QLineEdit* box : {txtFreqRange, txtFirstBand}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
    }
    txtFirstBand->hide(); // carries the first band for the caller
    lblDatType = makeNamed<QLabel>(this, "lblDatType", "Data Type:");
    lstDatType = makeNamed<QListWidget>(this, "lstDatType");
    lblDatType->setBuddy(lstDatType);
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK->setDefault(true);
    optCancel = hiddenOption("optCancel");

    const int w = 330;
    setFixedSize(w, 340);
    lblName->setGeometry(12, 14, 60, 20);
    txtName->setGeometry(80, 12, w - 92, 24);
    Frame1->setGeometry(12, 44, w - 24, 36);
    optOctave->setGeometry(10, 8, 120, 22);
    optThirdOct->setGeometry(140, 8, 140, 22);
    lblFreqRange->setGeometry(12, 90, w - 24, 20);
    scrRange->setGeometry(12, 112, w - 24, 18);
    txtFreqRange->setGeometry(12, 134, w - 24, 24);
    txtFreqRange->setAlignment(Qt::AlignCenter);
    lblDatType->setGeometry(12, 166, w - 24, 20);
    lstDatType->setGeometry(12, 188, w - 24, 108);
    cmdOK->setGeometry(w - 12 - 2 * 90 - 8, 304, 90, 26);
    cmdCancel->setGeometry(w - 12 - 90, 304, 90, 26);

    connect(cmdOK, &QPushButton::clicked, this, &frmNewDatasheet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewDatasheet::cmdCancel_Click);
    connect(optOctave, &QRadioButton::clicked, this, &frmNewDatasheet::optOctave_Click);
    connect(optThirdOct, &QRadioButton::clicked, this, &frmNewDatasheet::optThirdOct_Click);
    connect(scrRange, &QScrollBar::valueChanged, this, &frmNewDatasheet::scrRange_Change);
    Form_Load();
    scrRange_Change();
}

void frmNewDatasheet::Form_Load() {
    optCancel->setChecked(false);
}

void frmNewDatasheet::Form_Activate() {
    optCancel->setChecked(false);
}

void frmNewDatasheet::showEvent(QShowEvent* e) {
    BwDialog::showEvent(e);
    Form_Activate();
    txtName->setFocus();
    txtName->selectAll();
}

void frmNewDatasheet::showRange(const FrequencyRange& range) {
    txtFreqRange->setText(range.text);
    txtFirstBand->setText(QString::number(range.firstBand));
}

void frmNewDatasheet::scrRange_Change() {
    showRange(frequencyRange(optThirdOct->isChecked() ? 2 : 1, scrRange->value()));
}

void frmNewDatasheet::optOctave_Click() {
    const QSignalBlocker quiet(scrRange);
    scrRange->setValue(5);
    showRange(frequencyRange(1, 5));
}

void frmNewDatasheet::optThirdOct_Click() {
    const QSignalBlocker quiet(scrRange);
    scrRange->setValue(5);
    showRange(frequencyRange(2, 5));
}

void frmNewDatasheet::cmdCancel_Click() {
    optCancel->setChecked(true);
    hideDialog();
}

void frmNewDatasheet::cmdOK_Click() {
    const QString problem = sheetNameProblem(txtName->text());
    if (!problem.isEmpty()) {
        platform::MsgBox(problem);
        txtName->setFocus();
        return;
    }
    hideDialog();
}
