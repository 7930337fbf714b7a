// Test main for every test binary: offscreen Qt, a private HOME, config and
// data folder (no test touches a real user's settings), a QApplication, and a
// watchdog that fails a test showing a modal window past the dialog routing.
#include "tests/support/modal_watchdog.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/stat.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string tmpl = (std::filesystem::temp_directory_path() / "bwtest-XXXXXX").string();
    if (char* dir = mkdtemp(tmpl.data())) {
        const std::string home = dir;
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        setenv("TMPDIR", home.c_str(), 1);
        const std::string runtime = home + "/runtime";
        if (mkdir(runtime.c_str(), 0700) == 0) setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testing_support::installModalWatchdog(app);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
    return rc;
}
