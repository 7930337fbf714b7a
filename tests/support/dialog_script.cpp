#include "tests/support/dialog_script.h"

#include <QObject>
#include <gtest/gtest.h>

namespace testing_support {

DialogScript::DialogScript() {
    previous_ = platform::setDialogHandler(this);
}

DialogScript::~DialogScript() {
    platform::setDialogHandler(previous_);
    if (steps_.empty()) return;
    std::string unused;
    for (const Step& s : steps_)
        unused += "\n  " + describe(s).toStdString();
    ADD_FAILURE() << "Dialog script steps left unused:" << unused;
}

QString DialogScript::describe(const Step& s) {
    switch (s.kind) {
    case Kind::MsgBox:
        return QString("message box answered %1").arg(s.result);
    case Kind::InputBox:
        return s.cancelled ? QString("input box cancelled")
                           : QString("input box answered \"%1\"").arg(s.text);
    case Kind::Modal:
        return QString("modal form callback");
    case Kind::OpenFile:
        return QString("open file dialog answered \"%1\"").arg(s.text);
    case Kind::SaveFile:
        return QString("save file dialog answered \"%1\"").arg(s.text);
    case Kind::AnyFile:
        return QString("file dialog cancelled");
    }
    return QString();
}

DialogScript& DialogScript::answerMsgBox(int result) {
    steps_.push_back({Kind::MsgBox, result, {}, false, {}});
    return *this;
}

DialogScript& DialogScript::answerAllMsgBoxes(int result) {
    allMsgBoxes_ = result;
    return *this;
}

DialogScript& DialogScript::answerInputBox(const QString& text) {
    steps_.push_back({Kind::InputBox, 0, text, false, {}});
    return *this;
}

DialogScript& DialogScript::cancelInputBox() {
    steps_.push_back({Kind::InputBox, 0, {}, true, {}});
    return *this;
}

DialogScript& DialogScript::onModal(std::function<int(QObject&)> callback) {
    steps_.push_back({Kind::Modal, 0, {}, false, std::move(callback)});
    return *this;
}

DialogScript& DialogScript::answerOpenFile(const QString& path) {
    steps_.push_back({Kind::OpenFile, 0, path, false, {}});
    return *this;
}

DialogScript& DialogScript::answerSaveFile(const QString& path) {
    steps_.push_back({Kind::SaveFile, 0, path, false, {}});
    return *this;
}

DialogScript& DialogScript::cancelFileDialog() {
    steps_.push_back({Kind::AnyFile, 0, {}, true, {}});
    return *this;
}

bool DialogScript::takeStep(Kind kind, const QString& what, Step& out) {
    if (!steps_.empty()) {
        const Kind next = steps_.front().kind;
        const bool fileCancel =
            next == Kind::AnyFile && (kind == Kind::OpenFile || kind == Kind::SaveFile);
        if (next == kind || fileCancel) {
            out = std::move(steps_.front());
            steps_.pop_front();
            return true;
        }
    }
    if (kind == Kind::MsgBox && allMsgBoxes_ != 0) {
        out.result = allMsgBoxes_;
        return true;
    }
    ADD_FAILURE() << "Unscripted dialog: " << what.toStdString();
    return false;
}

int DialogScript::msgBox(const QString& prompt, int style, const QString&) {
    prompts_.push_back(prompt);
    Step s;
    if (!takeStep(Kind::MsgBox, prompt, s)) {
        // The safest answer: Cancel where there is one, else No, else OK.
        switch (style & 7) {
        case platform::vbYesNo:
            return platform::vbNo;
        case platform::vbOKOnly:
            return platform::vbOK;
        default:
            return platform::vbCancel;
        }
    }
    return s.result;
}

bool DialogScript::inputBox(const QString& prompt, const QString&, const QString&,
                            QString& answer) {
    prompts_.push_back(prompt);
    Step s;
    if (!takeStep(Kind::InputBox, prompt, s) || s.cancelled) return false;
    answer = s.text;
    return true;
}

int DialogScript::showModal(QObject& form) {
    Step s;
    if (!takeStep(Kind::Modal, "form " + form.objectName(), s)) return 0;
    return s.callback(form);
}

QString DialogScript::fileDialog(bool save, const QString& title, const QString& presetName,
                                 const QString& folder, const QString& filter) {
    fileDialogs_.push_back({save, title, presetName, folder, filter});
    Step s;
    const QString what = QString(save ? "save file dialog " : "open file dialog ") + title;
    if (!takeStep(save ? Kind::SaveFile : Kind::OpenFile, what, s) || s.cancelled) return QString();
    // The answer is what the user typed: the dialog adds the filter's extension.
    return save ? platform::withDefaultSuffix(s.text, filter) : s.text;
}

QString DialogScript::openFileDialog(const QString& title, const QString& presetName,
                                     const QString& folder, const QString& filter) {
    return fileDialog(false, title, presetName, folder, filter);
}

QString DialogScript::saveFileDialog(const QString& title, const QString& presetName,
                                     const QString& folder, const QString& filter) {
    return fileDialog(true, title, presetName, folder, filter);
}

} // namespace testing_support
