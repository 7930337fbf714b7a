#pragma once
// What the program's own modal dialogs share: they are registered as loaded
// forms while they live, report the user's choice through hidden option
// buttons that their button handlers set, and run the same handlers for keys
// as for buttons: Enter presses OK (the default button), Escape and the
// window's close button run the Cancel handler, so a dialog closed by the
// window manager never reads as OK.
#include <QDialog>

#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QRadioButton;

class BwDialog : public QDialog {
    Q_OBJECT
public:
    BwDialog(const char* name, const QString& caption);

    // Places the dialog on the screen, in twips from its top-left corner.
    void place(int leftTwips, int topTwips);

protected:
    // Run by Escape and the window's close button.
    virtual void cancelRequested() = 0;
    void reject() override { cancelRequested(); }
    // Ends the modal display; the caller then reads the dialog.
    void hideDialog() { done(QDialog::Accepted); }
    // A hidden option button carrying an outcome (independent of the others).
    QRadioButton* hiddenOption(const char* name);
    // Sets the hidden option that tells the caller the outcome, then ends
    // the modal display.
    void hideWith(QRadioButton* outcome);
    // The dialog's buttons in a row, to the right.
    static QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);
};

// A dialog with OK and Cancel; Escape and the close button run Cancel's
// handler.
class OkCancelDialog : public BwDialog {
    Q_OBJECT
public:
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    virtual void cmdOK_Click() = 0;
    virtual void cmdCancel_Click() = 0;

protected:
    using BwDialog::BwDialog;
    // Makes cmdOK "OK" (the default) and cmdCancel "Cancel"; called after
    // the dialog's own controls, so that Tab reaches the buttons last.
    void makeOkCancel();
    void cancelRequested() override { cmdCancel_Click(); }
};
