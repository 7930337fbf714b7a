#include "platform/db/recordset.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/keys.h"
#include "platform/gui/named.h"
#include "platform/gui/qt_dialogs.h"
#include "tests/support/dialog_script.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/worksheet_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace platform::gui;
using testing_support::BoundWorksheet;
using testing_support::SpectrumRow;
using testing_support::WorksheetFile;

// What the file holds now, read through a connection of its own.
db::Value stored(const std::string& path, const std::string& sql) {
    auto db = db::Database::open(path);
    db::Recordset rs = db->OpenRecordset(sql);
    return rs.eof() ? db::Value() : rs.Fields(0).value();
}

// A window with controls bound as a worksheet window binds them.
struct SheetWindow : QWidget {
    explicit SheetWindow(BoundWorksheet& sheet) {
        auto* layout = new QVBoxLayout(this);
        txtDescription = makeNamed<BoundTextBox>(this, "txtDescription");
        cmbType = makeNamed<BoundComboBox>(this, "cmbType");
        cmbType->addItems({"Sound Level", "Absorption", "Transmission Loss"});
        txtNotes = makeNamed<BoundMultiLineTextBox>(this, "txtNotes");
        for (QWidget* w : std::initializer_list<QWidget*>{txtDescription, cmbType, txtNotes})
            layout->addWidget(w);
        txtDescription->bind(sheet.Data1, "Description");
        cmbType->bind(sheet.Data1, "Type");
        txtNotes->bind(sheet.Data2, "Notes");
    }
    BoundTextBox* txtDescription;
    BoundComboBox* cmbType;
    BoundMultiLineTextBox* txtNotes;
};

class BoundControls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("ws.bwdb").toStdString();
        file = std::make_unique<WorksheetFile>(path);
        SpectrumRow office, plain, hall;
        office.description = "Office";
        plain.type = "Absorption";
        hall.description = "Hall";
        file->addSheet("Levels", 1, 4, {office, plain, hall}, "first notes");
        sheet = std::make_unique<BoundWorksheet>(*file, "Levels");
        window = std::make_unique<SheetWindow>(*sheet);
        window->show();
    }
    db::Recordset& rs() { return sheet->Data1.recordset(); }

    QTemporaryDir dir;
    std::string path;
    std::unique_ptr<WorksheetFile> file;
    std::unique_ptr<BoundWorksheet> sheet;
    std::unique_ptr<SheetWindow> window;
};

TEST_F(BoundControls, ShowTheCurrentRecordAfterEveryMoveWithoutStartingAnEdit) {
    SheetWindow& w = *window;
    int changes = 0;
    QObject::connect(w.txtDescription, &TextBox::Change, [&] { ++changes; });
    EXPECT_EQ(w.txtDescription->text(), "Office");
    EXPECT_EQ(w.cmbType->Text(), "Sound Level");
    EXPECT_EQ(w.txtNotes->Text(), "first notes");

    rs().MoveNext(); // a Null description
    EXPECT_EQ(w.txtDescription->text(), "");
    EXPECT_EQ(w.cmbType->Text(), "Absorption");
    rs().MoveLast();
    EXPECT_EQ(w.txtDescription->text(), "Hall");
    rs().MoveNext(); // EOF
    EXPECT_EQ(w.txtDescription->text(), "");
    EXPECT_EQ(w.cmbType->Text(), "");
    EXPECT_EQ(w.cmbType->currentIndex(), -1);
    rs().MoveFirst();
    rs().MovePrevious(); // BOF
    EXPECT_EQ(w.txtDescription->text(), "");
    rs().MoveFirst();
    EXPECT_EQ(w.txtDescription->text(), "Office");

    // Showing records is no change and writes nothing.
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(rs().editing());

    // A Refresh reads the file afresh and shows its first record.
    auto other = db::Database::open(path);
    other->Execute("UPDATE \"Levels\" SET \"Description\" = 'Lobby' WHERE \"Code\" = 1");
    other->Execute("UPDATE \"Sheets List\" SET \"Notes\" = 'line 1\r\nline 2'");
    sheet->Data1.Refresh();
    sheet->Data2.Refresh();
    EXPECT_EQ(w.txtDescription->text(), "Lobby");
    EXPECT_EQ(w.txtNotes->Text(), "line 1\nline 2");
    EXPECT_FALSE(sheet->Data2.recordset().editing());

    // A control bound to a closed record set shows nothing.
    rs().Close();
    sheet->Data1.MoveComplete();
    EXPECT_EQ(w.txtDescription->text(), "");
    w.txtDescription->setText("ignored"); // no record to write into: no message
}

TEST_F(BoundControls, EditsGoIntoTheRecordAndReachTheFileOnMoveZeroOrAMove) {
    testing_support::DialogScript noMessages;
    SheetWindow& w = *window;
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    // Typed by the user: in the edit buffer at once, in the file after Move 0.
    w.txtDescription->setFocus();
    w.txtDescription->selectAll();
    QTest::keyClicks(w.txtDescription, "Roof");
    EXPECT_EQ(rs().Fields("Description").value(), db::Value("Roof"));
    EXPECT_EQ(stored(path, "SELECT Description FROM Levels WHERE Code = 1"), db::Value("Office"));
    rs().Move(0);
    EXPECT_EQ(stored(path, "SELECT Description FROM Levels WHERE Code = 1"), db::Value("Roof"));
    EXPECT_EQ(w.txtDescription->text(), "Roof");

    // Set by code: the same road; a move writes it.
    w.txtDescription->setText("Roof terrace");
    w.cmbType->setText("Transmission Loss");
    rs().MoveNext();
    EXPECT_EQ(stored(path, "SELECT Type FROM Levels WHERE Code = 1"),
              db::Value("Transmission Loss"));
    EXPECT_EQ(stored(path, "SELECT Description FROM Levels WHERE Code = 1"),
              db::Value("Roof terrace"));

    // Emptied: a field that cannot hold "" becomes Null, one that can holds "".
    w.txtDescription->setText("x");
    w.txtDescription->clear();
    EXPECT_EQ(rs().Fields("Description").value(), db::Value(""));
    w.cmbType->setText("");
    EXPECT_TRUE(rs().Fields("Type").value().isNull());
    rs().CancelUpdate();

    // The user picks an item: the field holds it when Click runs, and only
    // the user's pick clicks.
    int clicks = 0;
    db::Value typeInClick;
    QObject::connect(w.cmbType, &ComboBox::Click, [&] {
        ++clicks;
        typeInClick = rs().Fields("Type").value();
    });
    w.cmbType->setText("Sound Level");
    EXPECT_EQ(clicks, 0);
    w.cmbType->setFocus();
    QTest::keyClick(w.cmbType, Qt::Key_Down);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(typeInClick, db::Value("Absorption"));

    // Notes committed on every change, as the third-octave windows do: the
    // commit's own move event shows the same text and does not loop.
    int noteChanges = 0;
    QObject::connect(w.txtNotes, &MultiLineTextBox::Change, [&] {
        ++noteChanges;
        sheet->Data2.recordset().Move(0);
    });
    w.txtNotes->setFocus();
    w.txtNotes->selectAll();
    QTest::keyClicks(w.txtNotes, "ab");
    EXPECT_EQ(noteChanges, 2);
    EXPECT_EQ(stored(path, "SELECT Notes FROM \"Sheets List\""), db::Value("ab"));
    EXPECT_EQ(w.txtNotes->Text(), "ab");
}

TEST_F(BoundControls, ARefusedValueIsReportedAndTheControlStaysUsable) {
    SheetWindow& w = *window;
    // A text longer than the field holds cannot be typed (the box stops at
    // the field's size), and one pasted is refused whole with a message,
    // never cut short.
    {
        const QString typed = QString(254, 'a') + "b";
        w.txtDescription->setFocus();
        w.txtDescription->selectAll();
        QTest::keyClicks(w.txtDescription, QString(254, 'a') + "bc");
        EXPECT_EQ(w.txtDescription->text(), typed);
        QApplication::clipboard()->setText(QString(300, 'p'));
        w.txtDescription->selectAll();
        testing_support::DialogScript script;
        script.answerMsgBox(platform::vbOK);
        QTest::keyClick(w.txtDescription, Qt::Key_V, Qt::ControlModifier);
        QApplication::processEvents();
        ASSERT_EQ(script.prompts().size(), 1u);
        EXPECT_EQ(script.prompts()[0], "The text would have 300 characters, and this box holds "
                                       "at most 255. Nothing was pasted.");
        EXPECT_EQ(w.txtDescription->text(), typed);
        EXPECT_EQ(rs().Fields("Description").value().toText(), typed.toStdString());
        rs().CancelUpdate();
    }

    // A record removed under the control: the write is refused with the
    // record set's own message.
    auto clone = rs().Clone();
    clone.setBookmark(rs().Bookmark());
    clone.Delete();
    testing_support::DialogScript script;
    script.answerMsgBox(platform::vbOK);
    w.txtDescription->setText("gone");
    ASSERT_EQ(script.prompts().size(), 1u);
    rs().MoveFirst();
    EXPECT_EQ(w.txtDescription->text(), "");
}

// Three level boxes and a second window, as on a worksheet window.
class LostFocus : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        for (int j = 1; j <= 3; ++j) {
            Lev[j] = makeNamedAt<TextBox>(&window, "Lev", j);
            layout->addWidget(Lev[j]);
            QObject::connect(Lev[j], &TextBox::LostFocus, [this, j] {
                ++lost[j];
                if (onLost[j]) onLost[j]();
            });
        }
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void focus(int j) {
        Lev[j]->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), Lev[j]);
    }

    QWidget window;
    TextBox* Lev[4] = {};
    int lost[4] = {};
    std::function<void()> onLost[4];
};

TEST_F(LostFocus, RunsOncePerRealMoveAndNotForAMessageBoxItsHandlerShows) {
    focus(1);
    focus(2);
    EXPECT_EQ(lost[1], 1);
    // A handler that takes the focus back and lets it go again does not
    // run itself a second time.
    onLost[2] = [&] {
        Lev[2]->setFocus();
        Lev[3]->setFocus();
    };
    QTest::keyClick(Lev[2], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Lev[3]);
    EXPECT_EQ(lost[2], 1);
    onLost[2] = nullptr;

    // The handler shows a real message box and moves the focus about: it
    // runs once, and the box the focus went to loses nothing to the message.
    platform::QtDialogHandler qt;
    platform::DialogHandler* previous = platform::setDialogHandler(&qt);
    testing_support::AllowModalWindows allow;
    bool boxWasActive = false;
    onLost[3] = [&] {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeWindow());
            if (!box) return;
            boxWasActive = true;
            box->accept();
        });
        poll.start(5);
        platform::MsgBox("Level stored");
        Lev[3]->setFocus();
        Lev[2]->setFocus();
    };
    focus(3);
    lost[1] = lost[2] = lost[3] = 0;
    Lev[1]->setFocus(Qt::MouseFocusReason);
    platform::setDialogHandler(previous);
    // The window system makes the window active again once the box is gone.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(boxWasActive);
    EXPECT_EQ(lost[3], 1);
    EXPECT_EQ(lost[1], 0); // box 1 had the focus only while the message took it
    EXPECT_EQ(lost[2], 0);
    EXPECT_EQ(QApplication::focusWidget(), Lev[2]);
    focus(1);
    EXPECT_EQ(lost[2], 1);
}

TEST_F(LostFocus, RunsWhenTheUserActivatesAnotherWindowButNotWhenItsWindowCloses) {
    focus(2);
    QWidget other;
    auto* edit = new TextBox(&other);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(lost[2], 1);

    // Coming back gives the box its focus again, and leaving it again is a
    // new move.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), Lev[2]);
    focus(3);
    EXPECT_EQ(lost[2], 2);

    window.close();
    QApplication::processEvents();
    EXPECT_EQ(lost[3], 0);
    edit->setFocus();
}

TEST(LostFocusInMdi, RunsWhenAnotherChildIsActivatedButNotWhenItsChildCloses) {
    QMdiArea area;
    auto* a = new TextBox;
    auto* b = new TextBox;
    QMdiSubWindow* first = area.addSubWindow(a);
    QMdiSubWindow* second = area.addSubWindow(b);
    int lostA = 0, lostB = 0;
    QObject::connect(a, &TextBox::LostFocus, [&] { ++lostA; });
    QObject::connect(b, &TextBox::LostFocus, [&] { ++lostB; });
    area.show();
    area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    area.setActiveSubWindow(first);
    ASSERT_EQ(QApplication::focusWidget(), a);
    lostA = lostB = 0;

    area.setActiveSubWindow(second);
    EXPECT_EQ(QApplication::focusWidget(), b);
    EXPECT_EQ(lostA, 1);
    area.setActiveSubWindow(first);
    EXPECT_EQ(lostB, 1);

    first->close(); // the box goes with its window
    EXPECT_EQ(QApplication::focusWidget(), b);
    EXPECT_EQ(lostA, 1);
}

TEST_F(LostFocus, KeyDownGivesTheKeyCodeAndShiftMask) {
    std::vector<std::pair<int, int>> keys;
    QObject::connect(Lev[1], &TextBox::KeyDown,
                     [&](int key, int shift) { keys.emplace_back(key, shift); });
    focus(1);
    QTest::keyClick(Lev[1], Qt::Key_Return);
    QTest::keyClick(Lev[1], Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(Lev[1], Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(Lev[1], Qt::Key_F2);
    // The shift keys themselves come down too.
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{vbKeyReturn, 0},
                                                      {vbKeyShift, vbShiftMask},
                                                      {vbKeyReturn, vbShiftMask},
                                                      {vbKeyControl, vbCtrlMask},
                                                      {vbKeyMenu, vbCtrlMask | vbAltMask},
                                                      {'C', vbCtrlMask | vbAltMask},
                                                      {vbKeyF1 + 1, 0}}));
}

} // namespace
