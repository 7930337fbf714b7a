#include "app/guarded_application.h"
#include "app/start.h"
#include "engine/globals.h"
#include "platform/clock.h"
#include "platform/db/error.h"
#include "platform/geometry.h"
#include "platform/settings.h"
#include "tables/globals.h"
#include "tests/support/dialog_script.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_splash.h"
#include "workspace/frm_start_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>

namespace {

using namespace std::chrono_literals;
using platform::Duration;

const QString kDefault = "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;";

// A clock the test drives: readings can be queued to simulate slow work;
// sleeping advances it and is recorded with what the splash window showed.
struct FakeClock : platform::Clock {
    Duration t{};
    std::deque<Duration> readings;
    Duration slept{};
    bool splashUpWhileWaiting = true;
    QPoint splashPos;

    Duration now() override {
        if (!readings.empty()) {
            t = readings.front();
            readings.pop_front();
        }
        return t;
    }
    void sleepFor(Duration d) override {
        splashUpWhileWaiting = splashUpWhileWaiting && splashLoaded() && splashForm().isVisible();
        if (splashLoaded()) splashPos = splashForm().pos();
        slept += d;
        t += d;
    }
};

// The start dialog that the main window offers once shown, cancelled.
void cancelStartDialog(testing_support::DialogScript& script) {
    script.onModal([](QObject& form) {
        auto* start = qobject_cast<frmSElWSFile*>(&form);
        EXPECT_TRUE(start) << form.objectName().toStdString();
        if (start) start->cmdCancel->click();
        return 0;
    });
}

// Each start makes its own main window, as each run of the program does.
void endProgram() {
    mainWindow().close();
    delete &mainWindow();
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(platform::settingsPath("Bandwright"));
        platform::setClock(&clock);
        gConnect.clear();
    }
    void TearDown() override {
        platform::setClock(nullptr);
        endProgram();
    }
    FakeClock clock;
    testing_support::DialogScript script;
};

TEST_F(StartUp, FirstStartStoresTheDefaultConnectionAndShowsTheMainWindow) {
    cancelStartDialog(script);
    ASSERT_EQ(Main(), 0);
    EXPECT_EQ(QString::fromStdString(gConnect), kDefault);
    EXPECT_EQ(platform::GetSetting("Bandwright", "StartUp", "Connection"), kDefault);
    EXPECT_FALSE(splashLoaded());
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_EQ(mainWindow().windowTitle(), "Bandwright");
    EXPECT_EQ(clock.slept, 3s);
    EXPECT_TRUE(clock.splashUpWhileWaiting);
    EXPECT_EQ(clock.splashPos,
              QPoint(platform::twipsToPixels(2000), platform::twipsToPixels(2000)));
    // The tables are filled before the main window shows.
    EXPECT_EQ(gBandLabel.at(29), "1KHz");
}

TEST_F(StartUp, AStoredConnectionIsUsedAndKeptExactly) {
    const QString stored = "Provider=Microsoft.Jet.OLEDB.3.51; Data Source=\\\\srv\\a b;x=1;";
    platform::SaveSetting("Bandwright", "Startup", "Connection", stored);
    cancelStartDialog(script);
    ASSERT_EQ(Main(), 0);
    EXPECT_EQ(QString::fromStdString(gConnect), stored);
    EXPECT_EQ(platform::GetSetting("Bandwright", "StartUp", "Connection"), stored);
}

TEST_F(StartUp, TheSplashWaitCountsElapsedTimeOnly) {
    struct Case {
        const char* what;
        Duration start;
        Duration fillEnds;
        Duration expectedSleep;
    };
    const Case cases[] = {
        {"quick filling waits out the 3 s", 1000s, 1000s + 200ms, 2800ms},
        {"filling slower than 3 s: no wait", 1000s, 1004s, 0s},
        {"filling of exactly 3 s: no wait", 50s, 53s, 0s},
        // One second before midnight as seconds of the day: the monotonic
        // reading goes on past 86400 and the wait is still 3 s, not more.
        {"start just before midnight", 86399s, 86399s, 3s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeClock fc;
        fc.readings = {c.start, c.fillEnds};
        fc.t = c.start;
        platform::setClock(&fc);
        cancelStartDialog(script);
        ASSERT_EQ(Main(), 0);
        EXPECT_EQ(fc.slept, c.expectedSleep);
        EXPECT_FALSE(splashLoaded());
        endProgram();
    }
}

TEST_F(StartUp, AFailingSettingsStoreIsReportedAndTheProgramEnds) {
    QDir().mkpath(platform::settingsPath("Bandwright")); // a folder where the file belongs
    script.answerMsgBox(platform::vbOK);
    EXPECT_NE(Main(), 0);
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(script.prompts()[0].startsWith("Bandwright cannot start."));
    EXPECT_FALSE(mainWindow().isVisible());
    EXPECT_FALSE(splashLoaded());
    QDir(platform::settingsPath("Bandwright")).removeRecursively();
}

// An exception that a handler lets out reaches the user as a message; the
// flags a command held are released and the next event is handled as usual.
// A failure repeating while the message is up is not shown again.
TEST(EventGuard, AnExceptionFromAHandlerIsShownAndTheProgramGoesOn) {
    struct Handler : QObject {
        int handled = 0;
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User) {
                gBusy = true; // a command half way
                gNoRecalc = true;
                throw db::Error("The grid shows no such record");
            }
            if (e->type() == QEvent::Type(QEvent::User + 1)) throw 42;
            ++handled;
            return true;
        }
    } handler;
    // Message boxes, each with a repaint under it that fails again.
    struct Boxes : platform::DialogHandler {
        Handler* handler = nullptr;
        std::vector<QString> prompts;
        platform::DialogHandler* previous = platform::setDialogHandler(this);
        ~Boxes() override { platform::setDialogHandler(previous); }
        int msgBox(const QString& prompt, int, const QString&) override {
            prompts.push_back(prompt);
            QEvent again(QEvent::User);
            BandwrightApplication::deliverGuarded(handler, &again);
            return platform::vbOK;
        }
        bool inputBox(const QString&, const QString&, const QString&, QString&) override {
            return false;
        }
        int showModal(QObject&) override { return 0; }
    } boxes;
    boxes.handler = &handler;

    QEvent failing(QEvent::User);
    EXPECT_FALSE(BandwrightApplication::deliverGuarded(&handler, &failing));
    EXPECT_FALSE(gBusy);
    EXPECT_FALSE(gNoRecalc);
    QEvent odd(QEvent::Type(QEvent::User + 1));
    EXPECT_FALSE(BandwrightApplication::deliverGuarded(&handler, &odd));
    EXPECT_EQ(boxes.prompts, (std::vector<QString>{"The grid shows no such record",
                                                   "An unexpected error occurred."}));
    QEvent fine(QEvent::Type(QEvent::User + 2));
    EXPECT_TRUE(BandwrightApplication::deliverGuarded(&handler, &fine));
    EXPECT_EQ(handler.handled, 1);
}

} // namespace
