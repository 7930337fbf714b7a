// The data grid over a real worksheet file, driven as a user drives it:
// clicks, typed keys, record selectors.
#include "platform/db/sheet_layout.h"
#include "platform/gui/data_grid.h"

#include "grid_test_util.h"
#include "tests/support/dialog_script.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <memory>

using db::Value;
using platform::DataGrid;

namespace {

constexpr int kBand1 = 4; // grid column of L1, as in the spreadsheet view

class Grid : public GridFolder {
protected:
    void TearDown() override {
        tester_.reset();
        grid_.reset();
        GridFolder::TearDown();
    }

    // Code, Description, both summary values and the ten bands of an octave sheet.
    DataGrid& open(int records) {
        sheet(records);
        grid_ = std::make_unique<DataGrid>();
        std::vector<platform::GridColumn> cols = {{"Code", "Spectrum"},
                                                  {"Description", "Description"},
                                                  {"Summary 1 Val", "Sum 1"},
                                                  {"Summary 2 Val", "Sum 2"}};
        for (int j = 1; j <= 10; ++j)
            cols.push_back({"l" + std::to_string(j), QString("B%1").arg(j)});
        grid_->setColumns(cols);
        tester_ = std::make_unique<QAbstractItemModelTester>(
            grid_->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        QObject::connect(grid_.get(), &DataGrid::RowColChange,
                         [this](const Value& lastRow, int lastCol) {
                             changes_.push_back({lastRow, lastCol});
                         });
        grid_->setDataSource(&form().Data1);
        grid_->resize(640, 300);
        grid_->show();
        grid_->activateWindow();
        grid_->view()->setFocus();
        QApplication::processEvents();
        return *grid_;
    }
    QTableView* view() const { return grid_->view(); }
    QModelIndex at(int row, int col) const { return grid_->model()->index(row, col); }
    QString text(int row, int col) const { return at(row, col).data().toString(); }
    void click(int row, int col, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        view()->scrollTo(at(row, col));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, mods,
                          view()->visualRect(at(row, col)).center());
    }
    // Keys go where the keyboard focus is: the grid, or the cell editor it opened.
    QWidget* target() const {
        QWidget* w = QApplication::focusWidget();
        return w ? w : view();
    }
    void type(const QString& keys) {
        for (QChar c : keys)
            QTest::keyClick(target(), c.toLatin1());
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(target(), k, mods);
    }
    db::Recordset& rs() { return form().Data1.recordset(); }
    db::RecordKey keyOf(int code) {
        return rs().keyAt(code); // Code order: code n is at position n
    }

    struct Change {
        Value lastRow;
        int lastCol;
    };
    std::vector<Change> changes_;
    std::unique_ptr<DataGrid> grid_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

TEST_F(Grid, ShowsRecordsThroughColumnFormatsAndFollowsTheRecordSet) {
    open(4);
    rs().Fields("Summary 1 Val") = Value("63.2 dBA");
    rs().Update();
    auto band = [](int, const Value& v) {
        const double d = v.toDouble(); // throws for a text that is no number
        return d == -999 ? QString(".") : QString::number(d, 'f', 2);
    };
    for (int c = 2; c < grid_->ColumnCount(); ++c)
        grid_->setColumnFormat(c, band);

    EXPECT_EQ(grid_->model()->headerData(0, Qt::Horizontal).toString(), "Spectrum");
    EXPECT_EQ(text(0, 0), "1");
    EXPECT_EQ(text(1, 1), "D2");
    EXPECT_EQ(text(2, kBand1), "3.25");
    EXPECT_EQ(text(2, kBand1 + 2), "55.50");
    EXPECT_EQ(text(2, kBand1 + 3), "."); // a band never given holds -999
    EXPECT_EQ(text(0, 2), "63.2 dBA");   // the format failed: the plain text stays
    EXPECT_EQ(at(0, 1).data(Qt::EditRole).toString(), "D1");

    // Bound at the first record: the first row change reports no row left.
    ASSERT_EQ(changes_.size(), 1u);
    EXPECT_TRUE(changes_[0].lastRow.isEmpty());
    EXPECT_EQ(changes_[0].lastCol, -1);
    EXPECT_EQ(view()->currentIndex(), at(0, 0));

    // Code moves the record set: the grid's row follows.
    rs().MoveLast();
    EXPECT_EQ(view()->currentIndex().row(), 3);
    ASSERT_EQ(changes_.size(), 2u);
    EXPECT_EQ(changes_[1].lastRow, Value(static_cast<long long>(keyOf(1))));
    EXPECT_EQ(grid_->Bookmark(), keyOf(4));

    // A click on a row moves the record set, which raises its move event.
    int moves = 0;
    QObject::connect(&form().Data1, &db::DataControl::MoveComplete, [&] { ++moves; });
    click(1, 1);
    EXPECT_EQ(rs().AbsolutePosition(), 2);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(changes_.back().lastRow, Value(static_cast<long long>(keyOf(4))));
    EXPECT_EQ(changes_.back().lastCol, 0);
    // Another cell of the same row: no row left.
    click(1, 3);
    EXPECT_TRUE(changes_.back().lastRow.isEmpty());
    EXPECT_EQ(changes_.back().lastCol, 1);
    EXPECT_EQ(grid_->Col(), 3);
    EXPECT_EQ(moves, 1);
    // A column heading chooses nothing.
    QHeaderView* headings = view()->horizontalHeader();
    QTest::mouseClick(headings->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(headings->sectionViewportPosition(5) + 10, headings->height() / 2));
    EXPECT_EQ(view()->currentIndex(), at(1, 3));
    EXPECT_FALSE(view()->selectionModel()->hasSelection());
    EXPECT_EQ(moves, 1);

    // Rows changed through a clone show at once; a removed record leaves the grid.
    auto batch = rs().Clone(db::LockType::BatchOptimistic);
    batch.MoveFirst();
    batch.Fields("Description") = Value("recalculated");
    batch.setAbsolutePosition(3);
    batch.Delete();
    batch.UpdateBatch();
    EXPECT_EQ(text(0, 1), "recalculated");
    EXPECT_EQ(grid_->model()->rowCount(), 3);
    EXPECT_EQ(text(2, 0), "4");
    rs().Requery();
    EXPECT_EQ(grid_->model()->rowCount(), 3);
    EXPECT_EQ(view()->currentIndex().row(), 0);

    // A new record set from Refresh is shown too.
    file_->database()->Execute("UPDATE \"W\" SET \"Description\" = 'from the file'");
    form().Data1.Refresh();
    EXPECT_EQ(text(1, 1), "from the file");

    // Height and top in twips; a double-click is reported.
    grid_->setHeight(2918);
    grid_->setTop(600);
    EXPECT_EQ(grid_->Height(), 2918);
    EXPECT_EQ(grid_->height(), 195);
    EXPECT_EQ(grid_->Top(), 600);
    QSignalSpy dbl(grid_.get(), &DataGrid::DblClick);
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       view()->visualRect(at(0, 1)).center());
    EXPECT_EQ(dbl.count(), 1);
}

TEST_F(Grid, ATypedBandGoesIntoTheRecordAndReachesTheFileWhenTheRowChanges) {
    open(3);
    testing_support::DialogScript script;
    struct Update {
        int col;
        Value old, now;
    };
    std::vector<Update> updates;
    // As the spreadsheet view does: "X" means no value; "keep" is refused.
    QObject::connect(grid_.get(), &DataGrid::BeforeColUpdate,
                     [&](int col, const Value& old, Value& now, bool& cancel) {
                         updates.push_back({col, old, now});
                         if (now == Value("X")) now = Value("-999");
                         if (now == Value("keep")) cancel = true;
                     });
    std::vector<int> keys;
    QObject::connect(grid_.get(), &DataGrid::KeyDown, [&](int& code, int shift) {
        keys.push_back(code + 1000 * shift);
        if (code == 13) rs().Move(0); // as the formula view's Enter does
    });

    click(0, kBand1);
    type("72.5");
    key(Qt::Key_Tab); // to the next cell of the same record
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].col, kBand1);
    EXPECT_EQ(updates[0].old, Value(1.25));
    EXPECT_EQ(updates[0].now, Value("72.5"));
    EXPECT_EQ(text(0, kBand1), "72.5");      // the edit buffer shows
    EXPECT_EQ(stored("L1", 1), Value(1.25)); // not yet in the file
    EXPECT_TRUE(rs().editing());
    key(Qt::Key_Down);
    EXPECT_EQ(rs().AbsolutePosition(), 2);
    EXPECT_EQ(stored("L1", 1), Value(72.5));
    // Each key heard once, before the grid acted on it: 7 2 . 5 Tab Down.
    EXPECT_EQ(keys, (std::vector<int>{55, 50, 190, 53, 9, 40}));

    // "X" is replaced before it is written; Enter commits the cell before
    // the handler's Move 0, so the file has it at once.
    click(1, kBand1 + 1);
    type("X");
    key(Qt::Key_Return);
    EXPECT_EQ(updates.back().now, Value("X"));
    EXPECT_EQ(stored("L2", 2), Value(-999.0));
    EXPECT_FALSE(rs().editing());

    // A refused edit changes nothing.
    click(1, 1);
    type("keep");
    key(Qt::Key_Return);
    EXPECT_EQ(stored("Description", 2), Value("D2"));
    EXPECT_EQ(text(1, 1), "D2");

    // A text cell takes no more than its field holds: a longer text pasted
    // is refused whole, with a message, never cut short.
    {
        testing_support::DialogScript pasted;
        QApplication::clipboard()->setText(QString(300, 'p'));
        click(1, 1);
        type("D");
        pasted.answerMsgBox(platform::vbOK);
        key(Qt::Key_V, Qt::ControlModifier);
        QApplication::processEvents();
        ASSERT_EQ(pasted.prompts().size(), 1u);
        EXPECT_EQ(pasted.prompts()[0], "The text would have 301 characters, and this box holds "
                                       "at most 255. Nothing was pasted.");
        key(Qt::Key_Return);
        EXPECT_EQ(stored("Description", 2), Value("D"));
    }

    // A value the field cannot hold: the Error event decides about the message.
    int response = 0;
    std::vector<int> errors;
    QObject::connect(grid_.get(), &DataGrid::Error, [&](int code, int& r) {
        errors.push_back(code);
        r = response;
    });
    click(1, kBand1);
    type("#ERR");
    key(Qt::Key_Return);
    EXPECT_EQ(errors, std::vector<int>{DataGrid::ErrValueRefused});
    EXPECT_EQ(stored("L1", 2), Value(2.25)); // as before
    EXPECT_TRUE(script.prompts().empty());
    response = 1;
    script.answerMsgBox(platform::vbOK);
    click(1, kBand1);
    type("abc");
    key(Qt::Key_Return);
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(script.prompts()[0], grid_->ErrorText());
    EXPECT_TRUE(grid_->ErrorText().contains("L1"));

    // A record the file refuses when it is left: the grid stays on it.
    click(1, 0);
    type("1"); // Code 1 is taken
    key(Qt::Key_Tab);
    script.answerMsgBox(platform::vbOK);
    click(2, 0);
    EXPECT_EQ(errors.back(), DataGrid::ErrRecordRefused);
    EXPECT_EQ(rs().AbsolutePosition(), 2);
    EXPECT_EQ(view()->currentIndex().row(), 1);
    rs().CancelUpdate();
    EXPECT_EQ(text(1, 0), "2");
    EXPECT_EQ(script.pending(), 0u);
}

TEST_F(Grid, KeyDownComesBeforeTheGridAndShiftArrowsSelectNothing) {
    open(5);
    std::vector<std::pair<int, int>> seen;
    bool swallow = false;
    QObject::connect(grid_.get(), &DataGrid::KeyDown, [&](int& code, int shift) {
        // The grid has not moved yet when the key is reported.
        seen.push_back({code, shift});
        EXPECT_EQ(grid_->view()->currentIndex().row(), 0);
        if (swallow) code = 0;
    });
    swallow = true;
    key(Qt::Key_Down);
    EXPECT_EQ(view()->currentIndex().row(), 0);
    EXPECT_EQ(rs().AbsolutePosition(), 1);
    swallow = false;
    key(Qt::Key_Shift);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(rs().AbsolutePosition(), 2);
    EXPECT_FALSE(view()->selectionModel()->hasSelection());
    using P = std::pair<int, int>;
    // A Shift+arrow is the Shift key pressed, then the arrow with Shift held.
    EXPECT_EQ(seen, (std::vector<P>{{40, 0}, {16, 1}, {16, 1}, {40, 1}}));
    seen.clear();
    QObject::disconnect(grid_.get(), &DataGrid::KeyDown, nullptr, nullptr);
    QObject::connect(grid_.get(), &DataGrid::KeyDown, [&](int& code, int shift) {
        seen.push_back({code, shift});
    });
    key(Qt::Key_Up, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(seen, (std::vector<P>{{17, 2}, {18, 6}, {38, 6}}));
}

// A sheet window's data controls go before its grid when the window is
// destroyed: the grid is left with no rows, not with a dangling control.
TEST_F(Grid, OutlivesItsDataControl) {
    open(3);
    bool resetSawControl = false;
    QObject::connect(grid_->model(), &QAbstractItemModel::modelReset, [this, &resetSawControl] {
        resetSawControl = grid_->DataSource() != nullptr;
    });
    form_.reset();
    EXPECT_FALSE(resetSawControl);
    EXPECT_EQ(grid_->DataSource(), nullptr);
    EXPECT_EQ(grid_->model()->rowCount(), 0);
    grid_->Refresh();
    QApplication::processEvents();
}

TEST_F(Grid, SelBookmarksKeepTheOrderAddedAndShowAsSelectedRows) {
    open(6);
    std::vector<db::RecordKey> k(7); // bookmarks by Code
    for (int code = 1; code <= 6; ++code)
        k[static_cast<size_t>(code)] = keyOf(code);
    platform::SelBookmarkList& sel = grid_->SelBookmarks();
    QItemSelectionModel* sm = view()->selectionModel();
    sel.Add(k[3]);
    sel.Add(k[1]);
    sel.Add(k[2]);
    sel.Add(k[3]); // already there: stays in its place
    ASSERT_EQ(sel.Count(), 3);
    EXPECT_EQ(sel.Item(0), k[3]);
    EXPECT_EQ(sel.Item(1), k[1]);
    EXPECT_EQ(sel.Item(2), k[2]);
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(sm->isRowSelected(r), r < 3) << r;
    sel.Remove(1);
    EXPECT_EQ(sel.Item(1), k[2]);
    EXPECT_FALSE(sm->isRowSelected(0));
    EXPECT_TRUE(grid_->frozenView()->selectionModel()->isRowSelected(2)); // one selection for both

    // Shift+arrows and clicks on cells leave the selection to code.
    key(Qt::Key_Down, Qt::ShiftModifier);
    click(4, 2);
    EXPECT_EQ(sel.Count(), 2);
    EXPECT_TRUE(sm->isRowSelected(1));
    EXPECT_FALSE(sm->isRowSelected(4));

    // A record selector chooses its record; with Ctrl it adds to the selection.
    QHeaderView* selectors = view()->verticalHeader();
    auto clickSelector = [&](int row, Qt::KeyboardModifiers mods) {
        QTest::mouseClick(selectors->viewport(), Qt::LeftButton, mods,
                          QPoint(selectors->width() / 2, selectors->sectionViewportPosition(row) +
                                                             selectors->sectionSize(row) / 2));
    };
    clickSelector(3, Qt::NoModifier);
    EXPECT_EQ(rs().AbsolutePosition(), 4);
    ASSERT_EQ(sel.Count(), 1);
    EXPECT_EQ(sel.Item(0), k[4]);
    clickSelector(0, Qt::ControlModifier);
    ASSERT_EQ(sel.Count(), 2);
    EXPECT_EQ(sel.Item(1), k[1]);
    EXPECT_TRUE(sm->isRowSelected(0));
    EXPECT_TRUE(sm->isRowSelected(3));
    EXPECT_EQ(grid_->Bookmark(), k[1]);

    // A selected record deleted elsewhere leaves the selection; the rest stay selected.
    auto clone = rs().Clone();
    clone.setBookmark(k[1]);
    clone.Delete();
    ASSERT_EQ(sel.Count(), 1);
    EXPECT_EQ(sel.Item(0), k[4]);
    EXPECT_TRUE(sm->isRowSelected(2));
    sel.Clear();
    EXPECT_FALSE(sm->hasSelection());
}

TEST_F(Grid, FrozenColumnsStayWhileLeftColScrollsTheRest) {
    open(40);
    grid_->setFrozenColumns(2);
    grid_->setLeftCol(8); // before the view has laid itself out again
    QApplication::processEvents();
    QTableView* frozen = grid_->frozenView();
    EXPECT_TRUE(frozen->isVisible());
    EXPECT_FALSE(frozen->isColumnHidden(1));
    EXPECT_TRUE(frozen->isColumnHidden(2));
    EXPECT_EQ(frozen->width(), view()->columnWidth(0) + view()->columnWidth(1));
    EXPECT_EQ(grid_->LeftCol(), 8);
    // Column 8 starts right where the frozen columns end.
    EXPECT_EQ(view()->columnViewportPosition(8), frozen->width());

    grid_->setLeftCol(0); // a frozen column cannot scroll
    EXPECT_EQ(grid_->LeftCol(), 2);
    grid_->setLeftCol(5);
    EXPECT_EQ(grid_->LeftCol(), 5);

    // Rows scroll together, and the frozen part keeps its place when the
    // cursor goes to a frozen column.
    view()->verticalScrollBar()->setValue(10);
    EXPECT_EQ(frozen->verticalScrollBar()->value(), 10);
    EXPECT_EQ(frozen->rowViewportPosition(12), view()->rowViewportPosition(12));
    click(12, 6);
    key(Qt::Key_Home);
    EXPECT_EQ(grid_->Col(), 0);
    EXPECT_EQ(grid_->LeftCol(), 5);
    // Going right past the window brings the column into sight beside the frozen part.
    key(Qt::Key_End);
    EXPECT_GE(grid_->LeftCol(), 5);
    EXPECT_LE(view()->columnViewportPosition(grid_->ColumnCount() - 1) +
                  view()->columnWidth(grid_->ColumnCount() - 1),
              view()->viewport()->width());
    // A frozen cell is edited where it shows, over the scrolled columns.
    key(Qt::Key_Home);
    key(Qt::Key_Right);
    type("Z");
    auto* editor = frozen->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    key(Qt::Key_Return);
    EXPECT_EQ(rs().Fields("Description").value(), Value("Z"));
    EXPECT_TRUE(view()->hasFocus());

    // Requerying keeps the split.
    rs().Requery();
    EXPECT_TRUE(frozen->isColumnHidden(2));
    EXPECT_FALSE(frozen->isColumnHidden(0));
    grid_->setFrozenColumns(0);
    EXPECT_FALSE(frozen->isVisible());
}

TEST_F(Grid, TenThousandRecordsReadOnlyTheRowsInSight) {
    sheet(10000);
    form(); // the data control reads the records
    grid_ = std::make_unique<DataGrid>();
    std::vector<platform::GridColumn> cols = {{"Code", "Spectrum"}, {"Description", ""}};
    for (int j = 1; j <= 10; ++j)
        cols.push_back({"L" + std::to_string(j), ""});
    grid_->setColumns(cols);
    grid_->setDataSource(&form().Data1);
    grid_->resize(640, 300);
    grid_->model()->resetReads();
    grid_->show();
    QApplication::processEvents();
    grid_->repaint();
    const int perPage = view()->viewport()->height() / view()->rowHeight(0) + 1;
    const long long first = grid_->model()->reads();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, 3LL * perPage * static_cast<long long>(cols.size()));

    grid_->model()->resetReads();
    view()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    grid_->repaint();
    EXPECT_LE(grid_->model()->reads(), 3LL * perPage * static_cast<long long>(cols.size()));
    EXPECT_GT(view()->rowAt(0), perPage - 3);

    // The last record, from code: the grid goes there without reading the rest.
    grid_->model()->resetReads();
    rs().MoveLast();
    grid_->repaint();
    EXPECT_EQ(view()->currentIndex().row(), 9999);
    EXPECT_LE(grid_->model()->reads(), 3LL * perPage * static_cast<long long>(cols.size()));
    EXPECT_EQ(text(9999, 0), "10000");
}

} // namespace
