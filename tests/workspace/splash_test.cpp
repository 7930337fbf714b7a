#include "workspace/frm_splash.h"
#include "workspace/globals.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(Splash, AKeyOrAClickOnTheFrameUnloadsItAndActivatingItClearsTheKind) {
    frmSplash& s = splashForm();
    s.show();
    gActiveKind = 3;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&s, &activate);
    EXPECT_EQ(gActiveKind, 0);
    QTest::keyClick(&s, Qt::Key_Space);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(splashLoaded());

    frmSplash& again = splashForm();
    again.show();
    EXPECT_EQ(again.lblVersion->text(), "Version 3.4");
    // Controls are found by their member names.
    EXPECT_EQ(again.findChild<QLabel*>("lblVersion"), again.lblVersion);
    EXPECT_EQ(again.findChild<QLabel*>("lblCopyright"), again.lblCopyright);
    EXPECT_EQ(again.findChild<QLabel*>("imgLogo"), again.imgLogo);
    QTest::mouseClick(again.Frame1, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(splashLoaded());
}

} // namespace
