#pragma once
// Answers the program's modal calls in a test, in the order scripted. A call
// the script does not expect fails the test with its prompt and returns
// Cancel (or an empty answer) at once, so no test can block on a dialog. A
// step still unused when the script ends fails the test too.
#include "platform/ui.h"

#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

class DialogScript final : public platform::DialogHandler {
public:
    DialogScript();  // installs itself as the dialog handler
    ~DialogScript(); // restores the previous handler; fails on unused steps

    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // The next message box returns this button.
    DialogScript& answerMsgBox(int result);
    // Every message box not otherwise scripted returns this button.
    DialogScript& answerAllMsgBoxes(int result);
    // The next input box returns this text (or counts as cancelled).
    DialogScript& answerInputBox(const QString& text);
    DialogScript& cancelInputBox();
    // The next form shown modally is passed to this callback, which may fill its
    // controls and click its buttons; its return value is the form's result.
    // The form is not shown.
    DialogScript& onModal(std::function<int(QObject& form)> callback);
    // The next open or save file dialog returns this path (a save dialog
    // adds the filter's extension to a name without one, as the real one
    // does); cancelFileDialog
    // makes the next file dialog of either kind return "".
    DialogScript& answerOpenFile(const QString& path);
    DialogScript& answerSaveFile(const QString& path);
    DialogScript& cancelFileDialog();

    struct FileDialogCall {
        bool save;
        QString title, presetName, folder, filter;
    };

    // Every prompt seen (message and input boxes), in order.
    const std::vector<QString>& prompts() const { return prompts_; }
    // Every file dialog shown, in order.
    const std::vector<FileDialogCall>& fileDialogs() const { return fileDialogs_; }
    // Scripted answers not yet used.
    size_t pending() const { return steps_.size(); }

    int msgBox(const QString& prompt, int style, const QString& title) override;
    bool inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                  QString& answer) override;
    int showModal(QObject& form) override;
    QString openFileDialog(const QString& title, const QString& presetName, const QString& folder,
                           const QString& filter) override;
    QString saveFileDialog(const QString& title, const QString& presetName, const QString& folder,
                           const QString& filter) override;

private:
    enum class Kind { MsgBox, InputBox, Modal, OpenFile, SaveFile, AnyFile };
    struct Step {
        Kind kind;
        int result = 0;
        QString text;
        bool cancelled = false;
        std::function<int(QObject&)> callback;
    };
    bool takeStep(Kind kind, const QString& what, Step& out);
    QString fileDialog(bool save, const QString& title, const QString& presetName,
                       const QString& folder, const QString& filter);
    static QString describe(const Step& s);

    std::deque<Step> steps_;
    std::vector<QString> prompts_;
    std::vector<FileDialogCall> fileDialogs_;
    int allMsgBoxes_ = 0;
    platform::DialogHandler* previous_ = nullptr;
};

} // namespace testing_support
