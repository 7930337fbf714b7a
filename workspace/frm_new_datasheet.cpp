#include "workspace/frm_new_datasheet.h"

#include "platform/geometry.h"
#include "platform/gui/list_keys.h"
#include "platform/gui/named.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

using platform::gui::makeNamed;

frmNewDatasheet::frmNewDatasheet()
    : NewSheetDialog("frmNewDatasheet",
                     "New Datasheet:", {"Name:", "", "Octave", "Third-Octave", false}) {
    scrRange->setValue(5);
    lblDatType = makeNamed<QLabel>(this, "lblDatType", "Data Type:");
    lstDatType = makeNamed<QListWidget>(this, "lstDatType");
    platform::gui::chooseWithMovingKeys(lstDatType);
    lstDatType->setMinimumWidth(platform::twipsToPixels(4200));
    lblDatType->setBuddy(lstDatType);
    makeOkCancel();
    optCancel = hiddenOption("optCancel");

    QGridLayout* range = frequencyRangeLayout(lblFreqRange, txtFreqRange, txtFirstBand, scrRange);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(nameLayout());
    outer->addWidget(Frame1);
    outer->addLayout(range);
    outer->addWidget(lblDatType);
    outer->addWidget(lstDatType);
    outer->addLayout(buttonRow({cmdOK, cmdCancel}));
    // The dialog takes the size its contents need: the type list grows to
    // show every type (fitTypeList).
    outer->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
    scrRange_Change();
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
