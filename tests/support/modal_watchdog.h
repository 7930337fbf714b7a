#pragma once
// A modal window in a test means something bypassed the dialog routing
// (platform/ui): the watchdog fails the running test with the window's title
// and closes the window as soon as its event loop runs, so the test goes on
// instead of hanging.
class QApplication;

namespace testing_support {

// Called once by the test main.
void installModalWatchdog(QApplication& app);

// While one lives, modal windows are let through (a test of the real Qt
// dialogs that closes them itself).
class AllowModalWindows {
public:
    AllowModalWindows();
    ~AllowModalWindows();
    AllowModalWindows(const AllowModalWindows&) = delete;
    AllowModalWindows& operator=(const AllowModalWindows&) = delete;
};

} // namespace testing_support
