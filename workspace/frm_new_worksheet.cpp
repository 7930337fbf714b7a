#include "workspace/frm_new_worksheet.h"

#include "platform/geometry.h"
#include "platform/gui/list_keys.h"
#include "platform/gui/named.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::gui::makeNamed;

frmNewWorksheet::frmNewWorksheet()
    : NewSheetDialog("frmNewWorksheet",
                     "New Worksheet: ", {"&Name:", "Bands", "&Octave", "&Third-Octave", true}) {
    frmSelect = makeNamed<QGroupBox>(this, "frmSelect", "Start With");
    optBlank = makeNamed<QRadioButton>(frmSelect, "optBlank", "&BLANK WORKSHEET");
    optTemplate = makeNamed<QRadioButton>(frmSelect, "optTemplate", "T&EMPLATE");
    optBlank->setChecked(true);
    lstTemplates = makeNamed<QListWidget>(frmSelect, "lstTemplates");
    lstTemplates->hide();
    platform::gui::chooseWithMovingKeys(lstTemplates);
    auto* select = new QVBoxLayout(frmSelect);
    select->addWidget(optBlank);
    select->addWidget(optTemplate);
    select->addWidget(lstTemplates, 1);
    select->addStretch();

    makeOkCancel();
    optCancel = hiddenOption("optCancel");

    QGridLayout* range = frequencyRangeLayout(lblFreqRange, txtFreqRange, txtFirstBand, scrRange);

    auto* left = new QVBoxLayout;
    left->addLayout(nameLayout());
    left->addWidget(Frame1);
    left->addLayout(range);
    left->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addLayout(left, 3);
    top->addWidget(frmSelect, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttonRow({cmdOK, cmdCancel}));
    resize(platform::twipsToPixels(7800), platform::twipsToPixels(4200));

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

void frmNewWorksheet::Form_Activate() {
    optCancel->setChecked(false);
    txtName->setFocus();
    txtName->selectAll();
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
