#include "sheets/dialog_base.h"

#include "platform/gui/forms.h"
#include "platform/gui/named.h"
#include "sheets/menu_state.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

BwDialog::BwDialog(const char* name, const QString& caption) : QDialog(mainForm()) {
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    setModal(true);
    platform::gui::registerForm(this, platform::gui::FormKind::Dialog);
}

void BwDialog::place(int leftTwips, int topTwips) {
    platform::gui::setTwipsPosition(this, leftTwips, topTwips);
}

QRadioButton* BwDialog::hiddenOption(const char* name) {
    auto* opt = platform::gui::makeNamed<QRadioButton>(this, name);
    opt->setAutoExclusive(false);
    opt->hide();
    return opt;
}

void BwDialog::hideWith(QRadioButton* outcome) {
    outcome->setChecked(true);
    hideDialog();
}

QHBoxLayout* BwDialog::buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    return row;
}

void OkCancelDialog::makeOkCancel() {
    cmdOK = platform::gui::makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = platform::gui::makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &OkCancelDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &OkCancelDialog::cmdCancel_Click);
}
