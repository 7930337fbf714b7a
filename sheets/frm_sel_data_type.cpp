#include "sheets/frm_sel_data_type.h"

#include "platform/gui/bound_controls.h"
#include "platform/gui/list_keys.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/datasheet_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using platform::gui::makeNamed;

frmSelDataType::frmSelDataType() : OkCancelDialog("frmSelDataType", "Select Data Type") {
    lstSheets = makeNamed<QListWidget>(this, "lstSheets");
    platform::gui::chooseWithMovingKeys(lstSheets);
    lblNewType = makeNamed<QLabel>(this, "lblNewType", "New type dscription:");
    txtNewType = makeNamed<QLineEdit>(this, "txtNewType");
    lblNewType->setBuddy(txtNewType);
    cmdNewType = makeNamed<QPushButton>(this, "cmdNewType", "New Type");
    makeOkCancel();
    optNewType = hiddenOption("optNewType");
    optCancelled = hiddenOption("optCancelled");

    const int w = 300;
    setFixedSize(w, 252);
    lstSheets->setGeometry(10, 10, w - 20, 168);
    lblNewType->setGeometry(10, 10, w - 20, 20);
    txtNewType->setGeometry(10, 32, w - 20, 24);
    cmdNewType->setGeometry(10, 186, w - 20, 26);
    cmdOK->setGeometry(10, 218, (w - 26) / 2, 26);
    cmdCancel->setGeometry(16 + (w - 26) / 2, 218, (w - 26) / 2, 26);
    lblNewType->hide();
    txtNewType->hide();

    connect(cmdNewType, &QPushButton::clicked, this, &frmSelDataType::cmdNewType_Click);
    connect(lstSheets, &QListWidget::itemDoubleClicked, this, &frmSelDataType::lstSheets_DblClick);
}

void frmSelDataType::load(DatasheetWindow& window, const QString* selected) {
    if (QLabel* label = window.typeSelectorLabel()) setWindowTitle(label->text());
    lstSheets->clear();
    platform::gui::ComboBox* selector = window.typeSelector();
    for (int i = 1; i < selector->count(); ++i) {
        lstSheets->addItem(selector->itemText(i));
        if (selected && selector->itemText(i) == *selected && !lstSheets->currentItem())
            lstSheets->setCurrentRow(i - 1);
    }
    optCancelled->setChecked(false);
    optNewType->setChecked(false);
    place(2000, 2000);
    lstSheets->show();
    lblNewType->hide();
    txtNewType->hide();
    txtNewType->clear();
}

QString frmSelDataType::choice() const {
    if (optNewType->isChecked()) return txtNewType->text();
    QListWidgetItem* item = lstSheets->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void frmSelDataType::cmdCancel_Click() {
    hideWith(optCancelled);
}

void frmSelDataType::cmdNewType_Click() {
    lstSheets->hide();
    lblNewType->show();
    txtNewType->show();
    txtNewType->setFocus();
    optNewType->setChecked(true);
}

void frmSelDataType::cmdOK_Click() {
    hideDialog();
}

void frmSelDataType::lstSheets_DblClick(QListWidgetItem* item) {
    if (item) lstSheets->setCurrentItem(item);
    hideDialog();
}

QString GetDataType(DatasheetWindow& window) {
    frmSelDataType picker;
    platform::gui::ComboBox* selector = window.typeSelector();
    const QString filter = selector->currentIndex() >= 0 ? selector->currentText() : "<All>";
    picker.load(window, filter == "<All>" ? nullptr : &filter);
    platform::ShowModal(picker);
    if (picker.optCancelled->isChecked()) return QString();
    const QString type = picker.choice();
    if (picker.optNewType->isChecked() && !type.isEmpty()) selector->addItem(type);
    return type;
}
