#include "platform/clock.h"
#include "platform/geometry.h"
#include "platform/ui.h"
#include "tests/support/dialog_script.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using namespace platform;
using testing_support::DialogScript;

TEST(DialogRouting, ScriptedAnswersReachTheCallerInOrder) {
    DialogScript script;
    script.answerMsgBox(vbNo).answerInputBox("Office B").cancelInputBox().answerMsgBox(vbYes);
    EXPECT_EQ(MsgBox("Compact database before exiting?", vbYesNo), vbNo);
    EXPECT_EQ(InputBox("New sheet name:"), "Office B");
    EXPECT_EQ(InputBox("Another name:", "", "dflt"), "");
    EXPECT_EQ(MsgBox("Sure?", vbYesNo), vbYes);
    EXPECT_EQ(script.pending(), 0u);
    ASSERT_EQ(script.prompts().size(), 4u);
    EXPECT_EQ(script.prompts()[0], "Compact database before exiting?");
    EXPECT_EQ(script.prompts()[3], "Sure?");
}

TEST(DialogRouting, AnUnscriptedCallFailsTheTestAtOnceWithItsPrompt) {
    EXPECT_NONFATAL_FAILURE(
        {
            DialogScript script;
            EXPECT_EQ(MsgBox("Delete this worksheet?", vbYesNo), vbNo);
        },
        "Delete this worksheet?");
    EXPECT_NONFATAL_FAILURE(
        {
            DialogScript script;
            script.answerMsgBox(vbOK);
            EXPECT_EQ(InputBox("Sheet name:"), "");
            EXPECT_EQ(MsgBox("Done"), vbOK); // the answer waits for a message box
        },
        "Sheet name:");
}

TEST(DialogRouting, AModalFormIsFilledAndClickedThroughItsOwnControls) {
    QDialog form;
    form.setObjectName("frmName");
    auto* txtName = new QLineEdit(&form);
    auto* cmdOK = new QPushButton("OK", &form);
    QString accepted;
    QObject::connect(cmdOK, &QPushButton::clicked, &form, [&] {
        accepted = txtName->text();
        form.accept();
    });
    DialogScript script;
    script.onModal([&](QObject& f) {
        EXPECT_EQ(f.objectName(), "frmName");
        txtName->setText("Level 2");
        cmdOK->click();
        return static_cast<QDialog&>(f).result();
    });
    EXPECT_EQ(ShowModal(form), QDialog::Accepted);
    EXPECT_EQ(accepted, "Level 2");
}

TEST(Geometry, TwipsAndPixelsAt96Dpi) {
    EXPECT_EQ(twipsToPixels(2000), 133);
    EXPECT_EQ(twipsToPixels(300), 20);
    EXPECT_EQ(twipsToPixels(7), 0);
    EXPECT_EQ(twipsToPixels(8), 1);
    EXPECT_EQ(twipsToPixels(-300), -20);
    EXPECT_EQ(pixelsToTwips(133), 1995);
    for (int px = -50; px <= 50; ++px)
        EXPECT_EQ(twipsToPixels(pixelsToTwips(px)), px);
}

TEST(Clock, CanBeReplacedAndRestored) {
    struct Fixed : Clock {
        Duration now() override { return Duration(42); }
        void sleepFor(Duration) override {}
    } fixed;
    const Duration before = platform::clock().now();
    setClock(&fixed);
    EXPECT_EQ(platform::clock().now(), Duration(42));
    setClock(nullptr);
    EXPECT_GE(platform::clock().now(), before);
}

} // namespace
