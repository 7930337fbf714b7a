#pragma once
// A dialog handler for benchmarks: every message box is counted and answered
// OK, a Yes/No question with `yesNo`; a benchmark checks the counts to tell
// that no message came up that it did not expect. Nothing else is expected.
#include "platform/ui.h"

#include <QString>

class OkDialogs final : public platform::DialogHandler {
public:
    int msgBox(const QString& prompt, int style, const QString&) override {
        ++shown;
        last = prompt;
        const int buttons = style & 7;
        if (buttons != platform::vbYesNo && buttons != platform::vbYesNoCancel)
            return platform::vbOK;
        ++questions;
        return yesNo;
    }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject&) override { return 0; }
    void reset() { shown = questions = 0; }
    int shown = 0;     // message boxes, questions included
    int questions = 0; // of them Yes/No questions
    int yesNo = platform::vbNo;
    QString last; // the last message's text
};
