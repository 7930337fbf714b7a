#pragma once
// Every modal interaction goes through here: message boxes, input boxes, file
// dialogs and forms shown modally. The program installs a handler that shows Qt dialogs
// (platform/gui); tests install a script that answers each call in order.
#include <QString>

class QObject;

namespace platform {

// Button sets, icons and default button, combined by adding them.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button the user chose.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // Returns false when the user cancelled.
    virtual bool inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                          QString& answer) = 0;
    // Shows a form (a QDialog or other top-level widget) modally; returns its result code.
    virtual int showModal(QObject& form) = 0;
    // File dialogs: the chosen path, or "" when the user cancelled. The
    // filter is in Qt's form ("Database Files (*.bwdb);;All Files (*)").
    // The save dialog does not ask about replacing an existing file: the
    // caller, which knows what it will do with it, asks or refuses.
    // A handler that cannot show them (a command-line tool) keeps these: the
    // call counts as unanswered.
    virtual QString openFileDialog(const QString& title, const QString& presetName,
                                   const QString& folder, const QString& filter);
    virtual QString saveFileDialog(const QString& title, const QString& presetName,
                                   const QString& folder, const QString& filter);
};

// Installs a handler; returns the previous one. With none installed a call
// prints its prompt and aborts: a modal call must never wait unanswered.
DialogHandler* setDialogHandler(DialogHandler* handler);
DialogHandler* dialogHandler();

int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});
// The text typed, or "" when cancelled.
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
int ShowModal(QObject& form);
// The path chosen, or "" on Cancel. presetName is the file name the dialog
// starts with, folder the one it shows first.
QString OpenFileDialog(const QString& title, const QString& presetName = {},
                       const QString& folder = {}, const QString& filter = {});
QString SaveFileDialog(const QString& title, const QString& presetName = {},
                       const QString& folder = {}, const QString& filter = {});

// The worksheet and datasheet files' filter.
inline const char* const kDatabaseFilesFilter = "Database Files (*.bwdb);;All Files (*)";

// The extension (without the dot) of the first pattern of a filter when it
// names one, as "*.bwdb" does; "" for "*" or no filter.
QString defaultSuffixOf(const QString& filter);
// A name typed without an extension gets the filter's default one.
QString withDefaultSuffix(const QString& path, const QString& filter);

} // namespace platform
