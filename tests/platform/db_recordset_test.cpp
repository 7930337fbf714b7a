#include "platform/db/data_control.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"

#include "db_test_util.h"

#include <functional>
#include <vector>

using namespace db;

namespace {

class Recordset_ : public DbFolder {
protected:
    void SetUp() override {
        DbFolder::SetUp();
        db_ = Database::create(file("w.db"));
        TableDef t;
        t.name = "S";
        t.fields = {field("Code", FieldType::Long, 0, Value(0)),
                    field("Description", FieldType::Text, 255, Value(), true),
                    field("Type", FieldType::Text, 255, Value("Sound Level")),
                    field("L1", FieldType::Double, 0, Value(-999.0))};
        t.indexes = {{"Code", {"Code"}, true, true}};
        db_->createTable(t);
    }
    void fill(int n) {
        for (int i = 1; i <= n; ++i)
            db_->Execute("INSERT INTO S (Code, Description) VALUES (?, ?)",
                         {Value(i), Value("d" + std::to_string(i))});
    }
    Recordset open() { return db_->OpenRecordset("SELECT * FROM S ORDER BY Code"); }
    long long code(const Recordset& rs) { return rs.Fields("Code").value().toLong(); }
    long long fileCount() { return db_->scalar("SELECT count(*) FROM S").toLong(); }

    std::shared_ptr<Database> db_;
};

TEST_F(Recordset_, MovesAndPositionsAtBothEnds) {
    fill(3);
    auto rs = open();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.bof());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.MovePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.AbsolutePosition(), kPosBOF);
    EXPECT_THROW(rs.MovePrevious(), Error);
    EXPECT_THROW(rs.Fields(0).value(), Error);
    rs.MoveNext();
    EXPECT_EQ(code(rs), 1);
    rs.MoveLast();
    EXPECT_EQ(code(rs), 3);
    rs.MoveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.AbsolutePosition(), kPosEOF);
    EXPECT_THROW(rs.MoveNext(), Error);
    EXPECT_THROW(rs.Move(1), Error);
    rs.Move(-2);
    EXPECT_EQ(code(rs), 2);
    rs.Move(5);
    EXPECT_TRUE(rs.eof());
    rs.MoveFirst();
    rs.Move(-1);
    EXPECT_TRUE(rs.bof());
    rs.setAbsolutePosition(3);
    EXPECT_EQ(code(rs), 3);
    EXPECT_THROW(rs.setAbsolutePosition(4), Error);
    EXPECT_THROW(rs.setAbsolutePosition(0), Error);
}

TEST_F(Recordset_, EmptySetIsAtBothEnds) {
    auto rs = open();
    EXPECT_TRUE(rs.bof());
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(rs.AbsolutePosition(), kPosUnknown);
    rs.MoveFirst();
    rs.MoveLast();
    EXPECT_TRUE(rs.bof() && rs.eof());
    EXPECT_THROW(rs.MoveNext(), Error);
    EXPECT_THROW(rs.Move(0), Error);
    EXPECT_THROW(rs.Fields("Code").value(), Error);
    EXPECT_EQ(rs.GetRows().rowCount(), 0);
    EXPECT_EQ(rs.Fields().Count(), 4);
    EXPECT_EQ(rs.Fields(2).Name(), "Type");
}

TEST_F(Recordset_, AddNewTakesTheTableDefaults) {
    auto rs = open();
    rs.AddNew();
    EXPECT_TRUE(rs.Fields("Type").value() == Value("Sound Level"));
    EXPECT_TRUE(rs.Fields("L1").value() == Value(-999.0));
    EXPECT_TRUE(rs.Fields("Description").value().isNull());
    rs.Fields("Code") = Value(1);
    rs.Update();
    auto back = open();
    EXPECT_EQ(back.RecordCount(), 1);
    EXPECT_TRUE(back.Fields("Type").value() == Value("Sound Level"));
    EXPECT_TRUE(back.Fields("L1").value() == Value(-999.0));
    EXPECT_TRUE(back.Fields("Description").value().isNull());
    // An abandoned new record leaves no trace.
    rs.AddNew();
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(fileCount(), 1);
}

TEST_F(Recordset_, MoveZeroAndMovesCommitAPendingEdit) {
    fill(2);
    auto rs = open();
    rs.Fields("Description") = Value("edited");
    EXPECT_TRUE(rs.Fields("Description").value() == Value("edited"));
    EXPECT_EQ(db_->scalar("SELECT Description FROM S WHERE Code = 1").text(), "d1");
    rs.Move(0);
    EXPECT_EQ(db_->scalar("SELECT Description FROM S WHERE Code = 1").text(), "edited");
    rs.Fields("L1") = Value(40.5);
    rs.MoveNext();
    EXPECT_EQ(db_->scalar("SELECT L1 FROM S WHERE Code = 1").toDouble(), 40.5);
    rs.Fields("L1") = Value(1.0);
    rs.CancelUpdate();
    rs.MoveFirst();
    EXPECT_EQ(db_->scalar("SELECT L1 FROM S WHERE Code = 2").toDouble(), -999);
}

// Another connection deletes the last record and adds one: SQLite gives
// the new one the same rowid, here even the same Code. A write through the
// old rows lands on neither; nor does one over a field the other changed.
TEST_F(Recordset_, AnUpdateWritesOnlyTheRecordAsItWasRead) {
    fill(3);
    auto rs = open();
    rs.MoveLast();
    auto other = Database::open(file("w.db"));
    other->Execute("DELETE FROM S WHERE Code = 3");
    other->Execute("INSERT INTO S (Code, Description) VALUES (3, 'new')");
    ASSERT_EQ(db_->scalar("SELECT rowid FROM S WHERE Code = 3").toLong(), 3);
    rs.Fields("L1") = Value(40.0);
    EXPECT_THROW(rs.Update(), Error);
    EXPECT_EQ(db_->scalar("SELECT L1 FROM S WHERE Code = 3").toDouble(), -999);
    rs.CancelUpdate();

    rs.MoveFirst();
    other->Execute("UPDATE S SET Type = 'Sound Power' WHERE Code = 1");
    rs.Fields("Type") = Value("Sound Pressure");
    EXPECT_THROW(rs.Update(), Error);
    EXPECT_EQ(db_->scalar("SELECT Type FROM S WHERE Code = 1").text(), "Sound Power");
    rs.CancelUpdate();

    // A change of letter case alone is a change too.
    rs.MoveNext();
    other->Execute("UPDATE S SET Description = 'D2' WHERE Code = 2");
    rs.Fields("L1") = Value(42.0);
    EXPECT_THROW(rs.Update(), Error);
    EXPECT_EQ(db_->scalar("SELECT L1 FROM S WHERE Code = 2").toDouble(), -999);
    rs.CancelUpdate();

    // The rows read again: the edit is written, also over a Null field.
    rs.Requery();
    rs.Fields("Type") = Value("Sound Pressure");
    rs.Fields("Description") = Value::null();
    rs.Update();
    rs.Fields("L1") = Value(41.0);
    rs.Update();
    EXPECT_EQ(db_->scalar("SELECT Type || L1 FROM S WHERE Code = 1").text(), "Sound Pressure41.0");
}

// A column of numeric affinity (as another tool may declare a date) keeps
// a text that reads as a number as that number: the record holds what the
// file made of it, so that the next write finds it as read.
TEST_F(Recordset_, ARecordHoldsWhatTheFileStoredOfAWrite) {
    db_->Execute("CREATE TABLE N (Code INTEGER, Acquired DATE, Ref NUMERIC, Note TEXT)");
    db_->Execute("INSERT INTO N (Code) VALUES (1)");
    auto rs = db_->OpenRecordset("SELECT * FROM N");
    rs.Fields("Acquired") = Value("01.05");
    rs.Fields("Ref") = Value("007");
    rs.Update();
    EXPECT_EQ(rs.Fields("Ref").value().toText(), "7");
    rs.Fields("Note") = Value("next");
    EXPECT_NO_THROW(rs.Update());
    EXPECT_EQ(db_->scalar("SELECT Note || Acquired || Ref FROM N").text(), "next1.057");
    // Another connection's change elsewhere in the file: these rows are as read.
    Database::open(file("w.db"))->Execute("INSERT INTO S (Code) VALUES (9)");
    EXPECT_TRUE(rs.matchesFile());
}

TEST_F(Recordset_, BookmarksSurviveDeletesAndRenumbering) {
    fill(5);
    auto rs = open();
    rs.setAbsolutePosition(4);
    const RecordKey fourth = rs.Bookmark();
    rs.setAbsolutePosition(2);
    const RecordKey second = rs.Bookmark();
    rs.Delete();
    EXPECT_THROW(rs.Fields(0).value(), Error);
    rs.MoveNext(); // the record after the deleted one
    EXPECT_EQ(code(rs), 3);
    // Close the gap in Code as the sheets do; bookmarks stay with their records.
    for (; !rs.eof(); rs.MoveNext())
        rs.Fields("Code") = Value(code(rs) - 1);
    rs.setBookmark(fourth);
    EXPECT_EQ(code(rs), 3);
    EXPECT_EQ(rs.Fields("Description").value().text(), "d4");
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_THROW(rs.setBookmark(second), Error);
    rs.Requery();
    rs.setBookmark(fourth);
    EXPECT_EQ(rs.Fields("Description").value().text(), "d4");
    EXPECT_EQ(fileCount(), 4);

    // The last record deleted and a new one added in its stead: the old
    // bookmark leads nowhere, the new record keeps the one it was given.
    rs.MoveLast();
    const RecordKey last = rs.Bookmark();
    rs.Delete();
    rs.AddNew();
    const RecordKey added = rs.Bookmark();
    rs.Fields("Code") = Value(9);
    rs.Update();
    EXPECT_THROW(rs.setBookmark(last), Error);
    rs.MoveFirst();
    rs.setBookmark(added);
    EXPECT_EQ(code(rs), 9);
}

TEST_F(Recordset_, ClonesShareRows) {
    fill(3);
    auto rs = open();
    auto clone = rs.Clone();
    EXPECT_EQ(clone.AbsolutePosition(), 1);
    clone.MoveLast();
    clone.Fields("Description") = Value("from clone");
    clone.Update();
    rs.MoveLast();
    EXPECT_EQ(rs.Fields("Description").value().text(), "from clone");
    rs.MoveFirst();
    rs.Delete();
    clone.MoveFirst();
    EXPECT_EQ(clone.RecordCount(), 2);
    EXPECT_EQ(code(clone), 2);
    clone.AddNew();
    clone.Fields("Code") = Value(9);
    clone.Update();
    EXPECT_EQ(rs.RecordCount(), 3);
    // A requeried clone reads the file afresh and leaves its original alone.
    db_->Execute("INSERT INTO S (Code) VALUES (10)");
    clone.Requery();
    EXPECT_EQ(clone.RecordCount(), 4);
    EXPECT_EQ(rs.RecordCount(), 3);
    Field held = clone.Fields("Code");
    clone.Close();
    EXPECT_THROW(clone.MoveFirst(), Error);
    EXPECT_THROW(held.Name(), Error);
    EXPECT_THROW(held.value(), Error);
    EXPECT_EQ(rs.RecordCount(), 3);
    // A field outlives the last handle of its record set and still reads.
    Field kept = [&] { return rs.Clone().Fields("Code"); }();
    EXPECT_EQ(kept.Name(), "Code");
    EXPECT_EQ(kept.value().toLong(), 2);
}

// A clone left standing while its original removes or adds records keeps its
// place: on its record, at the record after a removed one, or at its end.
TEST_F(Recordset_, ClonesKeepTheirPlaceWhileTheOriginalChangesRows) {
    const struct {
        const char* what;
        int records;
        int clonePos; // 0: past the last record, -1: before the first
        std::vector<int> deleteCodes;
        int added;
        int expectNext; // Code after the clone's MoveNext, 0: at its end
    } cases[] = {
        {"its record and one before it deleted", 8, 6, {2, 6}, 0, 7},
        {"its record and its successor deleted", 8, 4, {4, 5}, 0, 6},
        {"its record, the last, deleted", 3, 3, {3}, 0, 0},
        {"past the end, a record added", 2, 0, {}, 1, 0},
        {"on an empty set, a record added", 0, 0, {}, 1, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        fill(c.records);
        auto rs = open();
        auto clone = rs.Clone();
        if (c.clonePos > 0) {
            clone.setAbsolutePosition(c.clonePos);
        } else if (c.records > 0) {
            clone.MoveLast();
            clone.MoveNext();
        }
        for (int del : c.deleteCodes) {
            ASSERT_TRUE(rs.Find("Code", Value(del))) << c.what;
            rs.Delete();
        }
        for (int i = 0; i < c.added; ++i) {
            rs.AddNew();
            rs.Fields("Code") = Value(100 + i);
            rs.Update();
        }
        if (c.clonePos <= 0) {
            EXPECT_TRUE(clone.eof()) << c.what;
            EXPECT_THROW(clone.Fields("Code").value(), Error) << c.what;
        } else {
            clone.MoveNext();
            if (c.expectNext)
                EXPECT_EQ(code(clone), c.expectNext) << c.what;
            else
                EXPECT_TRUE(clone.eof()) << c.what;
        }
        TearDown();
    }
}

TEST_F(Recordset_, UpdateBatchWritesAllOrNothing) {
    fill(4);
    auto rs = open();
    auto batch = rs.Clone(LockType::BatchOptimistic);
    batch.MoveFirst();
    batch.Fields("L1") = Value(10.0);
    batch.MoveNext();
    batch.Fields("L1") = Value(20.0);
    batch.MoveNext();
    batch.Delete();
    batch.MoveNext();
    batch.Fields("Code") = Value(1); // clashes with record 1 in the unique index
    batch.AddNew();
    batch.Fields("Code") = Value(5);
    EXPECT_EQ(db_->scalar("SELECT sum(L1) FROM S").toDouble(), -3996); // nothing written yet
    EXPECT_THROW(batch.UpdateBatch(), Error);
    EXPECT_EQ(db_->scalar("SELECT sum(L1) FROM S").toDouble(), -3996);
    EXPECT_EQ(fileCount(), 4);
    EXPECT_EQ(db_->scalar("SELECT count(*) FROM S WHERE Code = 5").toLong(), 0);

    // Mended, the same batch goes through whole.
    batch.MoveFirst();
    batch.MoveLast();
    batch.MovePrevious();
    EXPECT_EQ(code(batch), 1);
    batch.Fields("Code") = Value(4);
    batch.UpdateBatch();
    EXPECT_EQ(db_->scalar("SELECT sum(L1) FROM S").toDouble(), 10 + 20 - 999 - 999);
    EXPECT_EQ(
        db_->scalar("SELECT group_concat(Code) FROM (SELECT Code FROM S ORDER BY Code)").text(),
        "1,2,4,5");
    // The window's record set shows what the clone committed.
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields("L1").value().toDouble(), 10);
    batch.UpdateBatch(); // nothing pending: nothing happens

    // A record the window is still adding is not the batch's to write.
    rs.AddNew();
    rs.Fields("Code") = Value(6);
    batch.MoveFirst();
    batch.Fields("L1") = Value(11.0);
    batch.MoveLast(); // even when the batch wrote into it
    batch.Fields("L1") = Value(12.0);
    batch.UpdateBatch();
    EXPECT_EQ(fileCount(), 4);
    rs.Update();
    EXPECT_EQ(
        db_->scalar("SELECT group_concat(Code) FROM (SELECT Code FROM S ORDER BY Code)").text(),
        "1,2,4,5,6");
}

TEST_F(Recordset_, UpdateBatchWithAnEditSetsAndWritesEachRecord) {
    fill(4);
    auto rs = open();
    auto batch = rs.Clone(LockType::BatchOptimistic);
    batch.MoveFirst();
    batch.Fields("Type") = Value("pending before"); // a change the batch writes too
    batch.Update();
    const int l1 = rs.Fields().indexOf("L1");
    const int description = rs.Fields().indexOf("Description");
    std::vector<int> seen;
    batch.UpdateBatch({l1, description}, [&](BatchRecord& record) {
        seen.push_back(record.position());
        if (record.position() <= 3) record.setValue(l1, 10.0 * record.position());
        if (record.position() == 3)
            record.setValue(description, Value("a description longer than a few letters"));
    });
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(db_->scalar("SELECT group_concat(L1) FROM (SELECT L1 FROM S ORDER BY Code)").text(),
              "10.0,20.0,30.0,-999.0");
    EXPECT_EQ(db_->scalar("SELECT Description FROM S WHERE Code = 3").text(),
              "a description longer than a few letters");
    EXPECT_EQ(db_->scalar("SELECT Type FROM S WHERE Code = 1").text(), "pending before");
    // Written, the values are the rows' own: nothing is left to cancel.
    batch.CancelBatch();
    rs.setAbsolutePosition(3);
    EXPECT_EQ(rs.Fields("L1").value().toDouble(), 30);
    EXPECT_EQ(rs.Fields("Description").value().text(), "a description longer than a few letters");
    batch.UpdateBatch();
    EXPECT_EQ(db_->scalar("SELECT sum(L1) FROM S").toDouble(), 10 + 20 + 30 - 999);
}

TEST_F(Recordset_, UpdateBatchOverSomeRecordsVisitsThemAndWritesEveryPendingChange) {
    fill(5);
    auto rs = open();
    const int l1 = rs.Fields().indexOf("L1");
    std::vector<int> seen;
    const auto edit = [&](BatchRecord& record) {
        seen.push_back(record.position());
        record.setValue(l1, 1.0 * record.position());
    };
    auto batch = rs.Clone(LockType::BatchOptimistic);
    batch.UpdateBatch({l1}, {2, 4}, edit);
    EXPECT_EQ(seen, (std::vector<int>{2, 4}));
    const std::string l1s = "SELECT group_concat(L1) FROM (SELECT L1 FROM S ORDER BY Code)";
    EXPECT_EQ(db_->scalar(l1s).text(), "-999.0,2.0,-999.0,4.0,-999.0");

    // Changes left pending by a batch record set are written too: a change,
    // a deletion and a new record.
    batch.MoveFirst();
    batch.Fields("Type") = Value("pending");
    batch.Update();
    batch.MoveLast();
    batch.Delete();
    batch.AddNew();
    batch.Fields("Code") = Value(9);
    batch.Update();
    seen.clear();
    batch.UpdateBatch({l1}, {3}, edit);
    EXPECT_EQ(seen, (std::vector<int>{3}));
    EXPECT_EQ(db_->scalar(l1s).text(), "-999.0,2.0,3.0,4.0,-999.0");
    EXPECT_EQ(
        db_->scalar("SELECT group_concat(Code) FROM (SELECT Code FROM S ORDER BY Code)").text(),
        "1,2,3,4,9");
    EXPECT_EQ(db_->scalar("SELECT Type FROM S WHERE Code = 1").text(), "pending");
    // Nothing is left pending: cancelling changes nothing.
    batch.CancelBatch();
    EXPECT_EQ(batch.RecordCount(), 5);
    EXPECT_THROW(batch.UpdateBatch({l1}, {3, 2}, edit), Error);
    EXPECT_THROW(batch.UpdateBatch({l1}, {6}, edit), Error);
}

TEST_F(Recordset_, UpdateBatchWithAFailingEditWritesNothing) {
    fill(4);
    auto rs = open();
    const int code = rs.Fields().indexOf("Code");
    const int type = rs.Fields().indexOf("Type");
    const int l1 = rs.Fields().indexOf("L1");
    auto other = rs.Clone(LockType::BatchOptimistic);
    const struct {
        const char* what;
        std::function<void(BatchRecord&)> atTwo;
    } cases[] = {
        {"a unique index clash", [&](BatchRecord& r) { r.setValue(code, Value(1)); }},
        {"a field the batch did not name", [&](BatchRecord& r) { r.setValue(type, Value("x")); }},
        {"a text for a number", [&](BatchRecord& r) { r.setValue(l1, Value("loud")); }},
        {"a number beyond a double", [&](BatchRecord& r) { r.setValue(l1, 1e308 * 10); }},
        {"a record changed another way",
         [&](BatchRecord&) {
             other.MoveLast();
             other.Fields("L1") = Value(5.0);
             other.Update();
         }},
    };
    for (const auto& c : cases) {
        auto batch = rs.Clone(LockType::BatchOptimistic);
        EXPECT_THROW(batch.UpdateBatch({code, l1},
                                       [&](BatchRecord& r) {
                                           r.setValue(l1, 1.0 * r.position());
                                           if (r.position() == 2) c.atTwo(r);
                                       }),
                     Error)
            << c.what;
        EXPECT_EQ(db_->scalar("SELECT sum(L1) FROM S").toDouble(), -4 * 999) << c.what;
        // What the edit set before the failure stays pending until cancelled.
        rs.MoveFirst();
        EXPECT_EQ(rs.Fields("L1").value().toDouble(), 1) << c.what;
        rs.MoveNext();
        EXPECT_EQ(rs.Fields("L1").value().toDouble(), 2) << c.what;
        batch.CancelBatch();
        rs.MoveFirst();
        EXPECT_EQ(rs.Fields("L1").value().toDouble(), -999) << c.what;
        rs.MoveLast();
        EXPECT_EQ(rs.Fields("L1").value().toDouble(), -999) << c.what;
    }

    // Pending, what a failed edit set is written by the next batch.
    auto batch = rs.Clone(LockType::BatchOptimistic);
    EXPECT_THROW(batch.UpdateBatch({l1},
                                   [&](BatchRecord& r) {
                                       r.setValue(l1, 7.0);
                                       if (r.position() == 2) r.setValue(type, Value("x"));
                                   }),
                 Error);
    batch.UpdateBatch();
    EXPECT_EQ(db_->scalar("SELECT group_concat(L1) FROM (SELECT L1 FROM S ORDER BY Code)").text(),
              "7.0,7.0,-999.0,-999.0");

    // A long batch failing at its last record gives back every value it
    // replaced, in every record.
    for (int i = 5; i <= 400; ++i)
        db_->Execute("INSERT INTO S (Code, Description) VALUES (?, ?)",
                     {Value(i), Value("d" + std::to_string(i))});
    auto many = open();
    auto longBatch = many.Clone(LockType::BatchOptimistic);
    const auto sums = [&](Recordset& r) {
        double sum = 0;
        for (int n = 1; n <= r.RecordCount(); ++n)
            sum += r.peek(n, l1).toDouble();
        return sum;
    };
    const double before = sums(many);
    EXPECT_THROW(longBatch.UpdateBatch({code, l1},
                                       [&](BatchRecord& r) {
                                           r.setValue(l1, 0.5 * r.position());
                                           if (r.position() == 400) r.setValue(code, Value(1));
                                       }),
                 Error);
    EXPECT_EQ(db_->scalar("SELECT sum(L1) FROM S").toDouble(), before);
    EXPECT_EQ(sums(many), 0.5 * 400 * 401 / 2);
    longBatch.CancelBatch();
    EXPECT_EQ(sums(many), before);
    EXPECT_EQ(many.peek(400, code).toLong(), 400);

    // The rows of a query over groups cannot be changed at all.
    auto groups = db_->OpenRecordset("SELECT Type, count(*) AS n FROM S GROUP BY Type", {},
                                     LockType::BatchOptimistic);
    try {
        groups.UpdateBatch({0}, [](BatchRecord& r) { r.setValue(0, Value("x")); });
        ADD_FAILURE() << "a batch over groups was written";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The records of this query cannot be changed");
    }
}

TEST_F(Recordset_, CancelBatchBringsBackTheRowsAsInTheFile) {
    fill(4);
    auto rs = open();
    auto batch = rs.Clone(LockType::BatchOptimistic);
    batch.setAbsolutePosition(3);
    batch.Delete();
    batch.setAbsolutePosition(1);
    batch.Delete();
    batch.MoveFirst();
    batch.Fields("Description") = Value("changed");
    batch.AddNew();
    batch.Fields("Code") = Value(7);
    batch.Update();
    EXPECT_EQ(rs.RecordCount(), 3); // the window sees the pending rows
    batch.CancelBatch();
    std::vector<std::string> seen;
    for (rs.MoveFirst(); !rs.eof(); rs.MoveNext())
        seen.push_back(rs.Fields("Description").value().text());
    EXPECT_EQ(seen, (std::vector<std::string>{"d1", "d2", "d3", "d4"}));
    batch.UpdateBatch(); // nothing left to write
    EXPECT_EQ(fileCount(), 4);
}

TEST_F(Recordset_, FindAndGetRows) {
    fill(4);
    auto rs = open();
    EXPECT_TRUE(rs.Find("Description", Value("D3")));
    EXPECT_EQ(code(rs), 3);
    EXPECT_FALSE(rs.Find("Description", Value("d1")));
    EXPECT_TRUE(rs.eof());
    rs.MoveLast();
    EXPECT_TRUE(rs.Find("Code", Value(2.0), 0, false));
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_THROW(rs.Find("Nope", Value(1)), Error);
    const RowArray rows = rs.GetRows();
    EXPECT_TRUE(rs.eof());
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.fieldCount(), 4);
    EXPECT_EQ(rows.value(1, 0).text(), "d2");
    EXPECT_EQ(rows.value(0, 2).toLong(), 4);
}

TEST_F(Recordset_, ComputedColumnsReadButDoNotWrite) {
    fill(2);
    auto rs = db_->OpenRecordset(
        "SELECT Code || ': ' || ifnull(Description, '') AS Name, S.* FROM S ORDER BY Code");
    EXPECT_EQ(rs.Fields("name").value().text(), "1: d1");
    EXPECT_EQ(rs.Fields(1).Name(), "Code");
    EXPECT_THROW(rs.Fields("Name") = Value("x"), Error);
    rs.Fields("Description") = Value("new");
    rs.Update();
    EXPECT_EQ(db_->scalar("SELECT Description FROM S WHERE Code = 1").text(), "new");
    auto grouped = db_->OpenRecordset("SELECT Type, count(*) FROM S GROUP BY Type");
    EXPECT_THROW(grouped.Fields(0) = Value("x"), Error);
}

TEST_F(Recordset_, DataControlRefreshesAndSignalsItsOwnMoves) {
    fill(3);
    DataControl data;
    struct {
        int n = 0;
        int count() const { return n; }
    } moves;
    QObject::connect(&data, &DataControl::MoveComplete, [&moves] { ++moves.n; });
    data.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;");
    data.setRecordSource("Select * From [S] Order By [Code]");
    EXPECT_THROW(data.Refresh(), Error); // no data source
    data.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file("nope.db"));
    EXPECT_THROW(data.Refresh(), Error);
    EXPECT_FALSE(std::filesystem::exists(file("nope.db")));
    data.setConnectionString("Provider=Microsoft.Jet.OLEDB.3.51;Data Source=" + file("w.db") +
                             ";Persist Security Info=False");
    data.Refresh();
    EXPECT_EQ(moves.count(), 1);
    data.recordset().MoveNext();
    data.recordset().MoveLast();
    EXPECT_EQ(moves.count(), 3);
    auto clone = data.recordset().Clone();
    clone.MoveLast();
    clone.MoveFirst();
    EXPECT_EQ(moves.count(), 3); // a clone's moves stay quiet
    // A record set handed to the control becomes its own, with its moves.
    data.setRecordset(clone);
    clone.MoveNext();
    EXPECT_EQ(moves.count(), 4);
    // A record source with bound values; a name that is only a name.
    data.setRecordSource("SELECT * FROM S WHERE Description = ?", {Value("D2")});
    data.Refresh();
    EXPECT_EQ(data.recordset().RecordCount(), 1);
    data.setRecordSource("S");
    data.Refresh();
    EXPECT_EQ(data.recordset().RecordCount(), 3);
    data.setRecordSource("Select * From [Missing]");
    EXPECT_THROW(data.Refresh(), Error);
    EXPECT_EQ(data.recordset().RecordCount(), 3); // the old record set stays
}

TEST(DataControl, DataSourceOfAConnectionString) {
    const struct {
        const char* cs;
        const char* path;
    } cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=/a/b.db",
         "/a/b.db"},
        {"Provider=Microsoft.Jet.OLEDB.3.51;Data Source=/a b/c;d.db;Persist Security Info=False",
         "/a b/c;d.db"},
        {"data source=\"/x;y.db\";Mode=Share", "/x;y.db"},
        {"Provider=x;", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataControl::dataSource(c.cs), c.path) << c.cs;
}

} // namespace
