#include "tests/workspace/program.h"

#include "app/start.h"
#include "engine/globals.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"
#include "tests/support/modal_watchdog.h"
#include "workspace/app_settings.h"
#include "workspace/bandwright_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace testing_support {
namespace {

// The splash wait passes at once.
struct InstantClock : platform::Clock {
    platform::Duration t{};
    platform::Duration now() override { return t; }
    void sleepFor(platform::Duration d) override { t += d; }
};
InstantClock instantClock;

} // namespace

void Program::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("ws-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    QFile::remove(platform::settingsPath("Bandwright"));
    QDir(workspace::dataFolder()).removeRecursively();
    platform::setClock(&instantClock);
    gFilePath.clear();
    gActiveSheet = nullptr;
    script_ = std::make_unique<DialogScript>();
}

void Program::TearDown() {
    // No compaction question at the end of a test.
    gFilePath.clear();
    exitProgram();
    platform::setClock(nullptr);
    script_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void Program::start() {
    ASSERT_EQ(Main(), 0);
    // The window manager activates the frame once the dialogs are gone.
    QApplication::setActiveWindow(&mainWindow());
    QApplication::processEvents();
}

void Program::startWithNoFile() {
    script_->onModal([](QObject& form) {
        EXPECT_EQ(form.objectName(), "frmSElWSFile");
        if (auto* cancel = form.findChild<QPushButton*>("cmdCancel")) cancel->click();
        return 0;
    });
    start();
}

void Program::exitProgram() {
    if (QWidget* main = mainForm()) {
        if (main->isVisible()) click("mnuFileExit");
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete &mainWindow();
    }
    gActiveSheet = nullptr;
}

QString Program::path(const std::string& name) const {
    return QString::fromStdString((dir_ / name).string());
}

void Program::click(const char* item) {
    QAction* a = menuItem(item);
    ASSERT_TRUE(a) << item;
    ASSERT_TRUE(a->isEnabled()) << item << " is disabled";
    a->trigger();
    QApplication::processEvents();
}

WorksheetWindow* Program::activeWorksheet() {
    QMdiSubWindow* sub = mainWindow().mdiArea->activeSubWindow();
    return sub ? qobject_cast<WorksheetWindow*>(sub->widget()) : nullptr;
}

int Program::childCount() {
    int n = 0;
    for (QMdiSubWindow* sub : mainWindow().mdiArea->subWindowList())
        n += sub->isVisible();
    return n;
}

QString Program::caption() {
    return mainWindow().windowTitle();
}

void pressKey(QDialog& dialog, QWidget* target, int key) {
    AllowModalWindows allow;
    dialog.show();
    QApplication::processEvents();
    if (target) target->setFocus();
    QTest::keyClick(target ? target : &dialog, static_cast<Qt::Key>(key));
    QApplication::processEvents();
    if (dialog.isVisible()) dialog.hide();
}

} // namespace testing_support
