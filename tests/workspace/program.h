#pragma once
// The program as a user starts it: the start procedure with the splash wait
// skipped, the real main window and its dialogs answered by a script, on
// files in a folder of the test's own.
#include "tests/support/dialog_script.h"

#include <QDialog>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QWidget;
class WorksheetWindow;

namespace testing_support {

class Program : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the start procedure; the script must answer the start dialog.
    void start();
    // Runs the start procedure and cancels the start dialog: no file open.
    void startWithNoFile();
    // Closes the program as File > Exit does, the compaction question
    // answered by the script; the next start makes a new main window.
    void exitProgram();

    // A path in the test's folder.
    QString path(const std::string& name) const;
    // Clicks a menu item as the user does.
    static void click(const char* item);
    // The active child window, as a worksheet window (nullptr when it is not one).
    static WorksheetWindow* activeWorksheet();
    static int childCount();
    static QString caption();

    std::filesystem::path dir_;
    std::unique_ptr<DialogScript> script_;
};

// Answers the next modal form, which must be of class F, with a callback
// that fills its controls and clicks its buttons.
template <class F> void answerForm(DialogScript& script, std::function<void(F&)> fill) {
    script.onModal([fill](QObject& form) {
        auto* f = qobject_cast<F*>(&form);
        EXPECT_TRUE(f) << "unexpected form " << form.objectName().toStdString();
        if (f) fill(*f);
        return 0;
    });
}

// Shows a dialog for a moment and presses a key in the widget, as a user
// does (Enter, Escape); the dialog's own key handling runs.
void pressKey(QDialog& dialog, QWidget* target, int key);

} // namespace testing_support
