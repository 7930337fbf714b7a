#include "workspace/frm_new_worksheet.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "tables/globals.h"
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

namespace {

QString bandLabel(int band) {
    return band >= 1 && band <= kBandTableSize && static_cast<size_t>(band) < gBandLabel.size()
               ? QString::fromStdString(gBandLabel[static_cast<size_t>(band)])
               : QString();
}

} // namespace

FrequencyRange frequencyRange(int bandSystem, int position) {
    FrequencyRange r;
    if (bandSystem == 1) {
        r.firstBand = (position - 1) * 3 + 2;
        r.lastBand = r.firstBand + 27;
    } else {
        r.firstBand = (position - 1) * 3 + 1;
        r.lastBand = r.firstBand + 29;
    }
    r.text = bandLabel(r.firstBand) + " - " + bandLabel(r.lastBand);
    return r;
}

QGridLayout* frequencyRangeLayout(QLabel* label, QLineEdit* range, QLineEdit* firstBand,
                                  QScrollBar* bar) {
    for (QLineEdit* box : {range, firstBand}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignCenter);
    }
    firstBand->setToolTip("First band");
    firstBand->setMaximumWidth(platform::twipsToPixels(600));
    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(range, 1, 0);
    grid->addWidget(firstBand, 1, 1);
    grid->addWidget(bar, 2, 0, 1, 2);
    return grid;
}

frmNewWorksheet::frmNewWorksheet() : BwDialog("frmNewWorksheet", "New Worksheet: ") {
    lblName = makeNamed<QLabel>(this, "lblName", "&Name:");
    txtName = makeNamed<QLineEdit>(this, "txtName");
    lblName->setBuddy(txtName);

    Frame1 = makeNamed<QGroupBox>(this, "Frame1", "Bands");
    optOctave = makeNamed<QRadioButton>(Frame1, "optOctave", "&Octave");
    optThirdOct = makeNamed<QRadioButton>(Frame1, "optThirdOct", "&Third-Octave");
    optThirdOct->setChecked(true);
    auto* bands = new QHBoxLayout(Frame1);
    bands->addWidget(optOctave);
    bands->addWidget(optThirdOct);
    bands->addStretch();

    lblFreqRange = makeNamed<QLabel>(this, "lblFreqRange", "Frequency Range:");
    scrRange = makeNamed<QScrollBar>(this, "scrRange", Qt::Horizontal);
    scrRange->setRange(1, 6);
    scrRange->setPageStep(1);
    txtFreqRange = makeNamed<QLineEdit>(this, "txtFreqRange");
    txtFirstBand = makeNamed<QLineEdit>(this, "txtFirstBand");

    frmSelect = makeNamed<QGroupBox>(this, "frmSelect", "Start With");
    optBlank = makeNamed<QRadioButton>(frmSelect, "optBlank", "&BLANK WORKSHEET");
    optTemplate = makeNamed<QRadioButton>(frmSelect, "optTemplate", "T&EMPLATE");
    optBlank->setChecked(true);
    lstTemplates = makeNamed<QListWidget>(frmSelect, "lstTemplates");
    lstTemplates->hide();
    auto* select = new QVBoxLayout(frmSelect);
    select->addWidget(optBlank);
    select->addWidget(optTemplate);
    select->addWidget(lstTemplates, 1);
    select->addStretch();

    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK->setDefault(true);
    optCancel = hiddenOption("optCancel");

    QGridLayout* range = frequencyRangeLayout(lblFreqRange, txtFreqRange, txtFirstBand, scrRange);

    auto* left = new QVBoxLayout;
    auto* name = new QHBoxLayout;
    name->addWidget(lblName);
    name->addWidget(txtName, 1);
    left->addLayout(name);
    left->addWidget(Frame1);
    left->addLayout(range);
    left->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addLayout(left, 3);
    top->addWidget(frmSelect, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttons);
    resize(platform::twipsToPixels(7800), platform::twipsToPixels(4200));

    connect(cmdOK, &QPushButton::clicked, this, &frmNewWorksheet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewWorksheet::cmdCancel_Click);
    connect(optOctave, &QRadioButton::clicked, this, &frmNewWorksheet::optOctave_Click);
    connect(optThirdOct, &QRadioButton::clicked, this, &frmNewWorksheet::optThirdOct_Click);
    connect(scrRange, &QScrollBar::valueChanged, this, &frmNewWorksheet::scrRange_Change);
    connect(optBlank, &QRadioButton::clicked, this, &frmNewWorksheet::optBlank_Click);
    connect(optTemplate, &QRadioButton::clicked, this, &frmNewWorksheet::optTemplate_Click);
    connect(lstTemplates, &QListWidget::itemDoubleClicked, this,
            &frmNewWorksheet::lstTemplates_DblClick);
    Form_Load();
}

QString frmNewWorksheet::selectedTemplate() const {
    const auto selected = lstTemplates->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void frmNewWorksheet::showEvent(QShowEvent* e) {
    BwDialog::showEvent(e);
    Form_Activate();
}

void frmNewWorksheet::Form_Load() {
    optCancel->setChecked(false);
}

void frmNewWorksheet::Form_Activate() {
    optCancel->setChecked(false);
    txtName->setFocus();
    txtName->selectAll();
}

void frmNewWorksheet::cmdOK_Click() {
    const QString problem = sheetNameProblem(txtName->text());
    if (!problem.isEmpty()) {
        platform::MsgBox(problem);
        txtName->setFocus();
        return;
    }
    hideDialog();
}

void frmNewWorksheet::cmdCancel_Click() {
    optCancel->setChecked(true);
    hideDialog();
}

void frmNewWorksheet::showRange(const FrequencyRange& r) {
    txtFreqRange->setText(r.text);
    // The number as the original showed it, with a leading blank.
    txtFirstBand->setText(' ' + QString::number(r.firstBand));
}

void frmNewWorksheet::optOctave_Click() {
    scrRange->setValue(5);
    showRange(frequencyRange(1, 5));
}

void frmNewWorksheet::optThirdOct_Click() {
    scrRange->setValue(5);
    showRange(frequencyRange(2, 5));
}

void frmNewWorksheet::scrRange_Change() {
    showRange(frequencyRange(optThirdOct->isChecked() ? 2 : 1, scrRange->value()));
}

void frmNewWorksheet::optBlank_Click() {
    lstTemplates->hide();
}

void frmNewWorksheet::optTemplate_Click() {
    lstTemplates->show();
}

void frmNewWorksheet::lstTemplates_DblClick(QListWidgetItem* item) {
    if (item) lstTemplates->setCurrentItem(item);
    // Accepting by double-click keeps the name rule.
    cmdOK_Click();
}
