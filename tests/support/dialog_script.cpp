#include "tests/support/dialog_script.h"

#include <QObject>
#include <gtest/gtest.h>

namespace testing_support {

DialogScript::DialogScript() { previous_ = platform::setDialogHandler(this); }

DialogScript::~DialogScript() { platform::setDialogHandler(previous_); }

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

bool DialogScript::takeStep(Kind kind, const QString& what, Step& out) {
    if (!steps_.empty() && steps_.front().kind == kind) {
        out = std::move(steps_.front());
        steps_.pop_front();
        return true;
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
        case platform::vbYesNo: return platform::vbNo;
        case platform::vbOKOnly: return platform::vbOK;
        default: return platform::vbCancel;
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

} // namespace testing_support
