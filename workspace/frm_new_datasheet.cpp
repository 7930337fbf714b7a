#include "workspace/frm_new_datasheet.h"

#include "platform/geometry.h"
#include "platform/gui/forms.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/sheet_names.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

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
    // The arrow keys move the range: Left to lower bands.
    scrRange->setFocusPolicy(Qt::StrongFocus);
    scrRange->setInvertedControls(false);
    txtFreqRange = makeNamed<QLineEdit>(this, "txtFreqRange");
    txtFirstBand = makeNamed<QLineEdit>(this, "txtFirstBand");
    lblDatType = makeNamed<QLabel>(this, "lblDatType", "Data Type:");
    lstDatType = makeNamed<QListWidget>(this, "lstDatType");
    lstDatType->setMinimumWidth(platform::twipsToPixels(4200));
    lblDatType->setBuddy(lstDatType);
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK->setDefault(true);
    optCancel = hiddenOption("optCancel");

    auto* name = new QHBoxLayout;
    name->addWidget(lblName);
    name->addWidget(txtName, 1);
    auto* bands = new QHBoxLayout(Frame1);
    bands->addWidget(optOctave);
    bands->addWidget(optThirdOct);
    bands->addStretch();
    QGridLayout* range = frequencyRangeLayout(lblFreqRange, txtFreqRange, txtFirstBand, scrRange);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(name);
    outer->addWidget(Frame1);
    outer->addLayout(range);
    outer->addWidget(lblDatType);
    outer->addWidget(lstDatType);
    outer->addLayout(buttons);
    // The dialog takes the size its contents need: the type list grows to
    // show every type (fitTypeList).
    outer->setSizeConstraint(QLayout::SetFixedSize);

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

void frmNewDatasheet::fitTypeList() {
    int height = 2 * lstDatType->frameWidth();
    for (int i = 0; i < lstDatType->count(); ++i)
        height += lstDatType->sizeHintForRow(i);
    lstDatType->setFixedHeight(height);
}

void frmNewDatasheet::showEvent(QShowEvent* e) {
    fitTypeList();
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
