#include "platform/gui/qt_dialogs.h"
#include "platform/ui.h"
#include "tests/support/dialog_script.h"
#include "tests/support/modal_watchdog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using namespace platform;
using testing_support::DialogScript;

TEST(FileDialogs, AreAnsweredByTheScriptWhichRecordsWhatEachShowed) {
    DialogScript script;
    script.answerSaveFile("/data/Office")
        .answerOpenFile("/data/old.bwdb")
        .cancelFileDialog()
        .answerSaveFile("/data/notes.txt");
    EXPECT_EQ(SaveFileDialog("Create New Worksheet File", "", "/data", kDatabaseFilesFilter),
              "/data/Office.bwdb");
    EXPECT_EQ(OpenFileDialog("Open Worksheet File", "", "", kDatabaseFilesFilter),
              "/data/old.bwdb");
    EXPECT_EQ(SaveFileDialog("Save Worksheet File As ...", "a.bwdb", "/data", kDatabaseFilesFilter),
              "");
    // A name with an extension of its own keeps it.
    EXPECT_EQ(SaveFileDialog("Export", "", "", kDatabaseFilesFilter), "/data/notes.txt");

    ASSERT_EQ(script.fileDialogs().size(), 4u);
    EXPECT_TRUE(script.fileDialogs()[0].save);
    EXPECT_EQ(script.fileDialogs()[0].title, "Create New Worksheet File");
    EXPECT_EQ(script.fileDialogs()[0].folder, "/data");
    EXPECT_FALSE(script.fileDialogs()[1].save);
    EXPECT_EQ(script.fileDialogs()[2].presetName, "a.bwdb");
    EXPECT_EQ(script.fileDialogs()[2].filter, "Database Files (*.bwdb);;All Files (*)");

    // A file dialog where a message box was scripted fails at once.
    script.answerMsgBox(vbOK);
    EXPECT_NONFATAL_FAILURE(OpenFileDialog("Select Templates File"), "Select Templates File");
    EXPECT_EQ(MsgBox("Done"), vbOK);
}

TEST(FileDialogs, DefaultSuffixComesFromTheFirstPatternOnly) {
    EXPECT_EQ(defaultSuffixOf("Database Files (*.bwdb);;All Files (*)"), "bwdb");
    EXPECT_EQ(defaultSuffixOf("All Files (*);;Database Files (*.bwdb)"), "");
    EXPECT_EQ(defaultSuffixOf("Text (*.txt *.csv)"), "txt");
    EXPECT_EQ(defaultSuffixOf(""), "");
    EXPECT_EQ(withDefaultSuffix("/a.b/Office", kDatabaseFilesFilter), "/a.b/Office.bwdb");
    EXPECT_EQ(withDefaultSuffix("/a/Office.v2", kDatabaseFilesFilter), "/a/Office.v2");
    EXPECT_EQ(withDefaultSuffix("", kDatabaseFilesFilter), "");
}

TEST(FileDialogs, TheQtSaveDialogAddsTheExtensionToATypedName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtDialogHandler qt;
    DialogHandler* previous = setDialogHandler(&qt);
    testing_support::AllowModalWindows allow;
    QString title;
    auto typeAndAccept = [&](const QString& name) {
        QTimer::singleShot(0, [&, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            title = dialog->windowTitle();
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            edit->setText(name);
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
        });
    };
    typeAndAccept("Office");
    const QString saved =
        SaveFileDialog("Create New Worksheet File", "", dir.path(), kDatabaseFilesFilter);
    EXPECT_EQ(title, "Create New Worksheet File");
    EXPECT_EQ(QDir::cleanPath(saved), QDir(dir.path()).filePath("Office.bwdb"));

    QFile existing(QDir(dir.path()).filePath("old.bwdb"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    typeAndAccept("old.bwdb");
    EXPECT_EQ(QDir::cleanPath(
                  OpenFileDialog("Open Worksheet File", "", dir.path(), kDatabaseFilesFilter)),
              existing.fileName());

    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    EXPECT_EQ(OpenFileDialog("Open Worksheet File"), "");
    setDialogHandler(previous);
}

TEST(DialogScriptSteps, LeftUnusedFailTheTestListingEach) {
    testing::TestPartResultArray failures;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        DialogScript script;
        script.answerMsgBox(vbYes).answerMsgBox(vbNo).answerSaveFile("/a/b").cancelInputBox();
        EXPECT_EQ(MsgBox("Compact database before exiting?", vbYesNo), vbYes);
    }
    ASSERT_EQ(failures.size(), 1);
    const std::string message = failures.GetTestPartResult(0).message();
    EXPECT_NE(message.find("message box answered 7"), std::string::npos) << message;
    EXPECT_NE(message.find("save file dialog answered \"/a/b\""), std::string::npos) << message;
    EXPECT_NE(message.find("input box cancelled"), std::string::npos) << message;
    EXPECT_EQ(message.find("answered 6"), std::string::npos) << message;

    // Every step used: no failure.
    {
        DialogScript script;
        script.answerInputBox("x");
        EXPECT_EQ(InputBox("Name:"), "x");
    }
}

TEST(ModalWatchdog, FailsTheTestAndClosesAMessageBoxThatBypassedTheRouting) {
    int result = -1;
    EXPECT_NONFATAL_FAILURE(
        {
            QMessageBox box(QMessageBox::Warning, "Stray Box", "Shown past the routing",
                            QMessageBox::Ok);
            result = box.exec();
        },
        "Stray Box / Shown past the routing");
    EXPECT_NE(result, -1); // exec returned
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // A plain window made modal and waited for is caught too.
    EXPECT_NONFATAL_FAILURE(
        {
            QWidget w;
            w.setWindowTitle("Stray Form");
            w.setWindowModality(Qt::ApplicationModal);
            w.show();
            QEventLoop loop;
            while (w.isVisible())
                loop.processEvents(QEventLoop::WaitForMoreEvents);
        },
        "Stray Form");
}

} // namespace
