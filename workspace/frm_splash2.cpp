#include "workspace/frm_splash2.h"

#include "platform/gui/named.h"
#include "sheets/globals.h"
#include "workspace/logo.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using platform::gui::makeNamed;

frmSplash2::frmSplash2() : BwDialog("frmSplash2", QString()) {
    setWindowFlag(Qt::FramelessWindowHint);
    imgLogo = makeNamed<QLabel>(this, "imgLogo");
    imgLogo->setPixmap(bandwrightLogo());
    lblProductName = makeNamed<QLabel>(this, "lblProductName", "Bandwright");
    QFont big = lblProductName->font();
    big.setPointSize(24);
    big.setBold(true);
    lblProductName->setFont(big);
    lblPlatform = makeNamed<QLabel>(this, "lblPlatform", "Version 3.4");
    lblDistribution = makeNamed<QLabel>(
        this, "lblDistribution",
        "Free software: you may copy and share it under the terms of the GNU GPL.");
    lblContact = makeNamed<QLabel>(this, "lblContact",
                                   "Questions and reports go to the Bandwright developers.");
    lblOtherProduct = makeNamed<QLabel>(
        this, "lblOtherProduct",
        "Worksheets made here can be graphed, printed and copied to other programs.");
    lblDisplay = makeNamed<QLabel>(
        this, "lblDisplay",
        "(This screen will not be displayed again, but can be viewed from Help - About)");
    for (QLabel* l : {lblDistribution, lblContact, lblOtherProduct, lblDisplay})
        l->setWordWrap(true);
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdOK->setDefault(true);

    auto* text = new QVBoxLayout;
    text->addWidget(lblProductName);
    text->addWidget(lblPlatform);
    text->addSpacing(12);
    text->addWidget(lblDistribution);
    text->addWidget(lblContact);
    text->addWidget(lblOtherProduct);
    text->addStretch();
    text->addWidget(lblDisplay);
    auto* ok = new QHBoxLayout;
    ok->addStretch();
    ok->addWidget(cmdOK);
    text->addLayout(ok);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(24);
    row->addWidget(imgLogo, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    resize(600, 330);
    connect(cmdOK, &QPushButton::clicked, this, &frmSplash2::cmdOK_Click);
}

bool frmSplash2::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return BwDialog::event(e);
}

void frmSplash2::keyPressEvent(QKeyEvent*) {
    Form_KeyPress();
}

void frmSplash2::Form_Activate() {
    gActiveKind = 0;
}

void frmSplash2::Form_KeyPress() {
    hideDialog();
}

void frmSplash2::cmdOK_Click() {
    hideDialog();
}
