#pragma once
// The function-help dialog: the formula functions in help order with their
// descriptions and argument prompts. It stays loaded between uses, so the
// last function and its typed arguments are there when it opens again.
#include "sheets/dialog_base.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class frmFunctionHelp : public BwDialog {
    Q_OBJECT
public:
    frmFunctionHelp();

    QListWidget* lstFuncs = nullptr;
    QLabel* lblDesc = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QLabel*, 7> lblPar{};    // 1 to 6
    std::array<QLineEdit*, 7> txtPar{}; // 1 to 6
    QPushButton* cmdWrite = nullptr;
    QPushButton* cmdClose = nullptr;
    QRadioButton* optWrite = nullptr;

    // The function (its row of the function tables) at the list's selection.
    int selectedFunction() const;
    // The call the user built: name, "( ", the arguments up to the last
    // one filled (the first always) joined by ", ", and " )".
    QString functionCall() const;

    void Form_Load();
    void lstFuncs_Click();
    void cmdWrite_Click();
    void cmdClose_Click();

private:
    void fitEveryFunction();
    bool fitted_ = false;

protected:
    void cancelRequested() override { cmdClose_Click(); }
    // Enter writes the call when it can be written, else closes.
    void showEvent(QShowEvent* e) override;
};

// The one instance, loaded on first use.
frmFunctionHelp& functionHelpForm();
