// Observers of a record set's moves and rows, and the positional read a grid
// draws through.
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"

#include "grid_test_util.h"

#include <string>
#include <vector>

using db::RowEvent;
using db::Value;

namespace {

using Kind = RowEvent::Kind;

// Row notices as "kind@first" for compact comparisons.
struct RowLog {
    std::vector<std::string> seen;
    std::function<void(const RowEvent&)> fn() {
        return [this](const RowEvent& e) {
            static const char* names[] = {"changed", "edited", "added", "removed", "reset"};
            seen.push_back(std::string(names[static_cast<int>(e.kind)]) + "@" +
                           std::to_string(e.first));
        };
    }
    std::vector<std::string> take() { return std::exchange(seen, {}); }
};

using Strings = std::vector<std::string>;

class Observers : public GridFolder {};

TEST_F(Observers, SeveralMoveObserversAndRemovalDuringANotice) {
    sheet(3);
    auto rs = form().Data1.recordset();
    std::vector<std::string> calls;
    db::Subscription a, b, c, late;
    a = rs.observeMoves([&] {
        calls.push_back("a");
        b.disconnect(); // b comes later in this round: it is not called any more
        late = rs.observeMoves([&] { calls.push_back("late"); });
    });
    b = rs.observeMoves([&] { calls.push_back("b"); });
    c = rs.observeMoves([&] {
        calls.push_back("c");
        c.disconnect(); // removes itself while it runs
    });
    rs.MoveNext();
    EXPECT_EQ(calls, (Strings{"a", "c"}));
    calls.clear();
    a.disconnect();
    rs.MoveNext();
    EXPECT_EQ(calls, (Strings{"late"})); // added during a notice: hears the next one
    calls.clear();
    {
        db::Subscription scoped = rs.observeMoves([&] { calls.push_back("scoped"); });
        rs.MovePrevious();
    }
    rs.MovePrevious();
    EXPECT_EQ(calls, (Strings{"late", "scoped", "late"}));

    // The data control is one observer among others, and clones stay quiet.
    int moves = 0;
    QObject::connect(&form().Data1, &db::DataControl::MoveComplete, [&] { ++moves; });
    calls.clear();
    rs.MoveLast();
    rs.Clone().MoveLast();
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(calls, (Strings{"late"}));
}

TEST_F(Observers, AHandlerThatRefreshesItsDataControlDuringAMove) {
    sheet(3);
    db::DataControl& data = form().Data1;
    bool refreshed = false;
    QObject::connect(&data, &db::DataControl::MoveComplete, [&] {
        if (refreshed) return;
        refreshed = true;
        data.Refresh(); // drops the record set that is moving
    });
    int replaced = 0;
    QObject::connect(&data, &db::DataControl::RecordsetChanged, [&] { ++replaced; });
    data.recordset().MoveNext();
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(data.recordset().AbsolutePosition(), 1);
    data.recordset().MoveLast();
    EXPECT_EQ(data.recordset().AbsolutePosition(), 3);
}

TEST_F(Observers, RowNoticesReachEveryRecordSetOnTheSameRows) {
    sheet(4);
    auto rs = form().Data1.recordset();
    auto batch = rs.Clone(db::LockType::BatchOptimistic);
    auto other = rs.Clone();
    RowLog mine, clones, others;
    auto s1 = rs.observeRows(mine.fn());
    auto s2 = batch.observeRows(clones.fn());
    auto s3 = other.observeRows(others.fn());

    // The recalculation's way: a batch clone writes record by record, then commits.
    batch.MoveFirst();
    batch.Fields("L2") = Value(1.5);
    EXPECT_EQ(clones.take(),
              Strings{"edited@1"}); // only the editing record set hears of its buffer
    EXPECT_TRUE(mine.seen.empty());
    batch.MoveNext();
    batch.Fields("L2") = Value(2.5);
    batch.UpdateBatch();
    EXPECT_EQ(mine.take(), (Strings{"changed@1", "changed@2"}));
    EXPECT_EQ(others.take(), (Strings{"changed@1", "changed@2"}));
    EXPECT_EQ(clones.take(), (Strings{"changed@1", "edited@2", "changed@2"}));
    EXPECT_EQ(stored("L2", 2).toDouble(), 2.5);

    // Adding, cancelling, deleting through one; the others hear of it.
    other.AddNew();
    EXPECT_EQ(mine.take(), Strings{"added@5"});
    other.CancelUpdate();
    EXPECT_EQ(mine.take(), Strings{"removed@5"});
    other.setAbsolutePosition(3);
    other.Delete();
    EXPECT_EQ(mine.take(), Strings{"removed@3"});
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(others.take(), (Strings{"added@5", "removed@5", "removed@3"}));

    // Pending batch changes dropped: every record set on the rows starts over.
    batch.MoveFirst();
    batch.Fields("L3") = Value(9.0);
    batch.Update();
    batch.CancelBatch();
    EXPECT_EQ(mine.take(), (Strings{"changed@1", "reset@0"}));
    EXPECT_EQ(others.take(), (Strings{"changed@1", "reset@0"}));

    // Requery reads new rows for one record set only; its clones keep the old ones.
    rs.Requery();
    EXPECT_EQ(mine.take(), Strings{"reset@0"});
    EXPECT_TRUE(others.seen.empty());
    other.MoveFirst();
    other.Fields("Description") = Value("x");
    other.Update();
    EXPECT_TRUE(mine.seen.empty());
    EXPECT_EQ(others.take(), (Strings{"edited@1", "changed@1"}));
    // ... and the requeried one still hears its new clones.
    auto fresh = rs.Clone();
    fresh.MoveLast();
    fresh.Delete();
    EXPECT_EQ(mine.take(), Strings{"removed@3"});

    // Closing tells its own observers; a dropped subscription hears nothing.
    clones.take();
    s2.disconnect();
    batch.Close();
    EXPECT_TRUE(clones.seen.empty());
    other.Close();
    EXPECT_EQ(others.take(), Strings{"reset@0"});
}

TEST_F(Observers, ARowObserverMayDropItselfAndOthersDuringANotice) {
    sheet(2);
    auto rs = form().Data1.recordset();
    auto clone = rs.Clone();
    int first = 0, second = 0;
    db::Subscription a, b;
    a = rs.observeRows([&](const RowEvent&) {
        ++first;
        a.disconnect();
        b.disconnect();
    });
    b = clone.observeRows([&](const RowEvent&) { ++second; });
    clone.Fields("Description") = Value("e"); // edited: the clone's own notice only
    EXPECT_EQ(second, 1);
    clone.Update(); // reaches a first, which removes b before its turn
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    clone.Fields("Description") = Value("f");
    clone.Update();
    EXPECT_EQ(first, 1);
}

TEST_F(Observers, PositionalReadNeitherMovesNorCommits) {
    sheet(3);
    auto rs = form().Data1.recordset();
    int moves = 0;
    auto sub = rs.observeMoves([&] { ++moves; });
    rs.setAbsolutePosition(2);
    moves = 0;
    rs.Fields("Description") = Value("typed");
    rs.Fields(db::kFirstBandField) = Value(70.0);
    auto clone = rs.Clone();
    clone.MoveFirst();
    clone.Fields("Description") = Value("clone typed");

    struct Case {
        int position;
        int field;
        Value rs;    // as the record set shows it
        Value clone; // as the clone shows it
    };
    const Case cases[] = {
        {1, 1, Value("D1"), Value("clone typed")},
        {2, 1, Value("typed"), Value("D2")}, // the edit buffer of the current record
        {2, db::kFirstBandField, Value(70.0), Value(2.25)},
        {3, db::kFirstBandField, Value(3.25), Value(3.25)},
        {3, db::kFieldCode, Value(3), Value(3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position * 100 + c.field);
        EXPECT_EQ(rs.peek(c.position, c.field), c.rs);
        EXPECT_EQ(clone.peek(c.position, c.field), c.clone);
    }
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_TRUE(rs.editing());
    EXPECT_EQ(stored("Description", 2), Value("D2")); // nothing committed
    EXPECT_THROW(rs.peek(0, 1), db::Error);
    EXPECT_THROW(rs.peek(4, 1), db::Error);
    EXPECT_THROW(rs.peek(1, 99), db::Error);

    // Bookmarks by position and back, also without moving.
    const db::RecordKey k3 = rs.keyAt(3);
    EXPECT_EQ(rs.positionOf(k3), 3);
    EXPECT_EQ(rs.positionOf(123456), 0);
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.Update();
    EXPECT_EQ(stored("Description", 2), Value("typed"));
    clone.setBookmark(k3);
    clone.Delete();
    EXPECT_EQ(rs.positionOf(k3), 0);
    EXPECT_EQ(rs.peek(2, 1), Value("typed"));
}

} // namespace
