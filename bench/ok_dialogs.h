#pragma once
// A dialog handler for benchmarks: every message box is answered OK and
// counted, so a benchmark can tell it was shown; nothing else is expected.
#include "platform/ui.h"

class OkDialogs final : public platform::DialogHandler {
public:
    int msgBox(const QString&, int, const QString&) override {
        ++shown;
        return platform::vbOK;
    }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject&) override { return 0; }
    int shown = 0;
};
