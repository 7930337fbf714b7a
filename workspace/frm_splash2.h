#pragma once
// The information window of Help > About: logo, product name, version and
// the maker's lines. OK or any key closes it.
#include "sheets/dialog_base.h"

class QLabel;
class QPushButton;

class frmSplash2 : public BwDialog {
    Q_OBJECT
public:
    frmSplash2();

    QLabel* imgLogo = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblDistribution = nullptr;
    QLabel* lblContact = nullptr;
    QLabel* lblOtherProduct = nullptr;
    QLabel* lblDisplay = nullptr;
    QPushButton* cmdOK = nullptr;

    void Form_Activate();
    void Form_KeyPress();
    void cmdOK_Click();

protected:
    void cancelRequested() override { cmdOK_Click(); }
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};
