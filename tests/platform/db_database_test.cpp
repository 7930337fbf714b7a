#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"

#include "db_test_util.h"

#include <csignal>
#include <fstream>
#include <functional>
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;

namespace {

class Database_ : public DbFolder {};

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TableDef sampleTable(const std::string& name) {
    TableDef t;
    t.name = name;
    t.fields = {field("Code", FieldType::Long, 0, Value(0)),
                field("Description", FieldType::Text, 255, Value(), true),
                field("Type", FieldType::Text, 20, Value("Sound Level"), false),
                field("Notes", FieldType::Memo, 0, Value(), true),
                field("L1", FieldType::Double, 0, Value(-999.0))};
    t.indexes = {{"Code", {"Code"}, true, true}};
    return t;
}

TEST_F(Database_, OpeningNeverCreatesAFileAndNamesWhatIsWrong) {
    std::string jet(64, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    std::mt19937 rng(7);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng());
    writeBytes(file("jet.mdb"), jet);
    writeBytes(file("noise.bin"), noise);
    writeBytes(file("empty.db"), "");
    {
        // A database of another program: valid, but not one of ours.
        auto other = Database::create(file("other.db"));
        other->Execute("PRAGMA application_id = 0");
    }
    {
        // Damaged: our header, the rest overwritten.
        auto ok = Database::create(file("damaged.db"));
        ok->createTable(sampleTable("S"));
    }
    {
        std::fstream f(file("damaged.db"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(100);
        f << std::string(3000, 'x');
    }
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {"", "No database file"},
        {file("missing.db"), "does not exist"},
        {dir_.string(), "is not a file"},
        {file("jet.mdb"), "Jet database"},
        {file("noise.bin"), "not a database file of this program"},
        {file("empty.db"), "the file is empty"},
        {file("other.db"), "not a database file of this program"},
        {file("damaged.db"), "damaged"},
    };
    for (const auto& c : cases) {
        try {
            Database::open(c.path);
            ADD_FAILURE() << "opened " << c.path;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos)
                << c.path << ": " << e.what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(file("missing.db")));
    EXPECT_THROW(Database::create(file("jet.mdb")), Error); // never overwrites
}

TEST_F(Database_, NamesAreOnlyNamesWhateverTheyHold) {
    auto db = Database::create(file("w.db"));
    const std::vector<std::string> names = {"Worksheet 1",
                                            "It's \"quoted\"",
                                            "a]b[c",
                                            "x\"; DROP TABLE y; --",
                                            "Robert'); DELETE FROM [Sheets List]; --",
                                            "~Backup",
                                            "Größe",
                                            "Select Data",
                                            "Values",
                                            "WITH a AS (SELECT 1) DELETE FROM \"Worksheet 1\""};
    for (const auto& n : names)
        db->createTable(sampleTable(n));
    EXPECT_EQ(db->tableNames(), names);
    for (const auto& n : names) {
        auto rs = db->OpenRecordset("SELECT * FROM " + quoteIdent(n) + " WHERE Description = ?",
                                    {Value(n)});
        EXPECT_EQ(rs.RecordCount(), 0) << n;
        EXPECT_EQ(db->tableDef(n).indexes.at(0).name, "Code") << n;
        // A bare name opens the table, however much it reads like SQL.
        EXPECT_EQ(db->OpenRecordset(n).Fields().Count(), 5) << n;
    }
    db->Execute("INSERT INTO \"Worksheet 1\" (Code) VALUES (1)");
    // A query that would change the file is no record source.
    EXPECT_THROW(db->OpenRecordset("WITH a AS (SELECT 1) DELETE FROM \"Worksheet 1\" WHERE 1"),
                 Error);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM \"Worksheet 1\"").toLong(), 1);
    for (const char* bad : {"sqlite_master", "SQLITE_x", ""})
        EXPECT_THROW(db->createTable(sampleTable(bad)), Error) << bad;
    try {
        db->renameTable("Worksheet 1", "sqlite_stat1");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("reserved"), std::string::npos);
    }
}

TEST_F(Database_, TableNamesIgnoreLetterCase) {
    auto db = Database::create(file("w.db"));
    db->createTable(sampleTable("Sheets List"));
    db->createTable(sampleTable("Größe"));
    EXPECT_EQ(db->findTable("SHEETS LIST").value_or(""), "Sheets List");
    EXPECT_EQ(db->findTable("GRÖßE").value_or(""), "Größe");
    EXPECT_THROW(db->createTable(sampleTable("sheets list")), Error);
    EXPECT_THROW(db->createTable(sampleTable("GRÖßE")), Error);

    // A change of letter case only, with the index following the table.
    db->renameTable("sheets list", "SHEETS list");
    EXPECT_EQ(db->tableNames().at(0), "SHEETS list");
    db->renameTable("größe", "GRÖßE");
    EXPECT_EQ(db->findTable("größe").value_or(""), "GRÖßE");
    EXPECT_EQ(db->tableDef("SHEETS list").indexes.at(0).name, "Code");
    EXPECT_THROW(db->renameTable("SHEETS list", "größe"), Error);
    EXPECT_THROW(db->renameTable("no such", "x"), Error);
    db->deleteTable("größe");
    EXPECT_EQ(db->tableNames(), std::vector<std::string>{"SHEETS list"});
}

TEST_F(Database_, FieldsHoldTheirTypesSizesAndZeroLengthRules) {
    auto db = Database::create(file("w.db"));
    db->createTable(sampleTable("S"));
    auto rs = db->OpenRecordset("SELECT * FROM S");
    rs.AddNew();
    rs.Fields("Code") = Value(1);
    rs.Update();
    const struct {
        const char* field;
        Value in;
        bool ok;
        Value stored;
    } cases[] = {
        {"L1", Value("#ERR"), false, {}},
        {"L1", Value(""), false, {}},
        {"L1", Value("31.5"), true, Value(31.5)},
        {"L1", Value(7), true, Value(7.0)},
        {"L1", Value::null(), true, Value::null()},
        {"Code", Value("x"), false, {}},
        {"Code", Value(2.5), true, Value(2)}, // rounds half to even
        {"Code", Value(3.5), true, Value(4)},
        {"Code", Value(3e10), false, {}},
        {"Type", Value(""), false, {}}, // zero length not allowed
        {"Type", Value(std::string(20, 'a')), true, Value(std::string(20, 'a'))},
        {"Type", Value(std::string(21, 'a')), false, {}},
        {"Type", Value("äöüßéèêëàáâãåæ€@#$%"), true, Value("äöüßéèêëàáâãåæ€@#$%")},
        {"Description", Value(""), true, Value("")},
        {"Notes", Value(std::string(100000, 'n')), true, Value(std::string(100000, 'n'))},
        {"Notes", Value(12), true, Value("12")},
    };
    for (const auto& c : cases) {
        if (!c.ok) {
            EXPECT_THROW(rs.Fields(c.field) = c.in, Error) << c.field << " " << c.in.toText();
            continue;
        }
        rs.Fields(c.field) = c.in;
        rs.Update();
        auto back = db->OpenRecordset("SELECT * FROM S");
        const Value v = back.Fields(c.field).value();
        EXPECT_EQ(v.kind(), c.stored.kind()) << c.field << " " << c.in.toText();
        EXPECT_TRUE(v == c.stored) << c.field << " " << v.toText();
    }
    // SQL that goes round the record set meets the same rules in the file.
    EXPECT_THROW(db->Execute("UPDATE S SET L1 = '#ERR'"), Error);
    EXPECT_THROW(db->Execute("UPDATE S SET Type = ''"), Error);
    EXPECT_THROW(db->Execute("INSERT INTO S (Code) VALUES (4)"), Error); // unique Code
}

TEST_F(Database_, TextComparesOrdersAndGroupsWithoutLetterCase) {
    auto db = Database::create(file("w.db"));
    db->createTable(sampleTable("S"));
    int code = 0;
    for (const char* d : {"beta", "Alpha", "ÄRGER", "alpha", "Zulu", "ärger"})
        db->Execute("INSERT INTO S (Code, Description) VALUES (?, ?)", {Value(++code), Value(d)});
    EXPECT_EQ(db->scalar("SELECT count(*) FROM S WHERE Description = 'ALPHA'").toLong(), 2);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM S WHERE Description = 'Ärger'").toLong(), 2);
    EXPECT_EQ(db->scalar("SELECT count(DISTINCT Description) FROM S").toLong(), 4);
    auto rs = db->OpenRecordset("SELECT Description FROM S ORDER BY Description, Code");
    std::vector<std::string> order;
    for (; !rs.eof(); rs.MoveNext())
        order.push_back(rs.Fields(0).value().text());
    EXPECT_EQ(order,
              (std::vector<std::string>{"Alpha", "alpha", "beta", "Zulu", "ÄRGER", "ärger"}));
}

TEST_F(Database_, StructureCopyKeepsFieldsDefaultsAndIndexes) {
    auto db = Database::create(file("w.db"));
    db->createTable(sampleTable("It's [a] sheet"));
    db->Execute(R"(INSERT INTO "It's [a] sheet" (Code) VALUES (1))");
    db->copyTableStructure("it's [A] SHEET", "~Backup");
    const TableDef a = db->tableDef("It's [a] sheet");
    const TableDef b = db->tableDef("~Backup");
    EXPECT_EQ(b.name, "~Backup");
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (size_t i = 0; i < a.fields.size(); ++i) {
        EXPECT_EQ(a.fields[i].name, b.fields[i].name);
        EXPECT_EQ(a.fields[i].type, b.fields[i].type) << a.fields[i].name;
        EXPECT_EQ(a.fields[i].size, b.fields[i].size) << a.fields[i].name;
        EXPECT_EQ(a.fields[i].allowZeroLength, b.fields[i].allowZeroLength) << a.fields[i].name;
        EXPECT_TRUE(a.fields[i].defaultValue == b.fields[i].defaultValue) << a.fields[i].name;
        EXPECT_EQ(a.fields[i].defaultValue.kind(), b.fields[i].defaultValue.kind());
    }
    EXPECT_EQ(b.fields[2].size, 20);
    EXPECT_TRUE(b.fields[4].defaultValue == Value(-999.0));
    EXPECT_TRUE(b.fields[2].defaultValue == Value("Sound Level"));
    ASSERT_EQ(b.indexes.size(), 1u);
    EXPECT_EQ(b.indexes[0].name, "Code");
    EXPECT_TRUE(b.indexes[0].primary);
    EXPECT_TRUE(b.indexes[0].unique);
    EXPECT_EQ(b.indexes[0].fields, std::vector<std::string>{"Code"});
    EXPECT_EQ(db->scalar("SELECT count(*) FROM \"~Backup\"").toLong(), 0);
    // The copy refuses what the source refuses, and takes its rows by SQL.
    db->Execute(R"(INSERT INTO "~Backup" SELECT * FROM "It's [a] sheet")");
    EXPECT_THROW(db->Execute(R"(INSERT INTO "~Backup" SELECT * FROM "It's [a] sheet")"), Error);
    EXPECT_THROW(db->copyTableStructure("~Backup", "~BACKUP"), Error);
}

TEST_F(Database_, AppendedFieldKeepsItsRules) {
    auto db = Database::create(file("w.db"));
    TableDef list;
    list.name = "Sheets List";
    list.fields = {field("Sheet Name", FieldType::Text),
                   field("Octave/Third Octave", FieldType::Long),
                   field("First Band", FieldType::Long)};
    db->createTable(list);
    db->appendField("Sheets List", field("Notes", FieldType::Memo, 0, Value(), true));
    const TableDef t = db->tableDef("Sheets List");
    ASSERT_EQ(t.fields.size(), 4u);
    EXPECT_EQ(t.fields[3].type, FieldType::Memo);
    EXPECT_TRUE(t.fields[3].allowZeroLength);
    EXPECT_FALSE(t.fields[0].allowZeroLength);
}

TEST_F(Database_, FailedTransactionLeavesNothing) {
    auto db = Database::create(file("w.db"));
    db->createTable(sampleTable("S"));
    try {
        Database::Transaction tx(*db);
        db->Execute("INSERT INTO S (Code) VALUES (1)");
        db->Execute("INSERT INTO S (Code) VALUES (1)");
        tx.commit();
    } catch (const Error&) {
    }
    EXPECT_EQ(db->scalar("SELECT count(*) FROM S").toLong(), 0);
    EXPECT_THROW(db->Execute("DELETE FROM S; DROP TABLE S"), Error); // one statement only
    EXPECT_TRUE(db->findTable("S"));

    // A sheet and its catalogue row come together or not at all: a name too
    // long for the catalogue leaves no table behind.
    db->createTable(db::sheetsListTableDef());
    const std::string longName(300, 'n');
    EXPECT_THROW(db::createSheet(*db, db::worksheetTableDef(longName, 10), 1, 14), Error);
    EXPECT_FALSE(db->findTable(longName));
    db::createSheet(*db, db::worksheetTableDef("Office", 30), 2, 13);
    EXPECT_TRUE(db->findTable("Office"));
    EXPECT_EQ(db->scalar("SELECT \"First Band\" FROM \"Sheets List\"").toLong(), 13);
}

TEST_F(Database_, CompactionInterruptedAtAnyStepKeepsAUsableFile) {
    const std::string path = file("site.db");
    {
        auto db = Database::create(path);
        db->createTable(sampleTable("S"));
        for (int i = 1; i <= 200; ++i)
            db->Execute("INSERT INTO S (Code, Notes) VALUES (?, ?)",
                        {Value(i), Value(std::string(2000, 'n'))});
        db->Execute("DELETE FROM S WHERE Code > 10");
    }
    const auto before = std::filesystem::file_size(path);
    for (CompactStep stop : {CompactStep::CopyWritten, CompactStep::CopyChecked}) {
        EXPECT_THROW(compactFile(path,
                                 [stop](CompactStep s) {
                                     if (s == stop) throw Error("interrupted");
                                 }),
                     Error);
        auto db = Database::open(path);
        EXPECT_EQ(db->scalar("SELECT count(*) FROM S").toLong(), 10);
        EXPECT_EQ(std::filesystem::file_size(path), before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
    }
    // A file that cannot be compacted (damaged) stays as it was.
    writeBytes(file("bad.db"), "SQLite format 3");
    EXPECT_THROW(compactFile(file("bad.db")), Error);
    EXPECT_TRUE(std::filesystem::exists(file("bad.db")));
    std::filesystem::remove(file("bad.db"));

    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    compactFile(path);
    EXPECT_LT(fs::file_size(path), before);
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto db = Database::open(path);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM S").toLong(), 10);
    EXPECT_EQ(db->tableDef("S").indexes.at(0).name, "Code");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

// A file with room to give back: 200 wide records, 190 of them deleted.
void writeLooseFile(const std::string& path) {
    auto db = Database::create(path);
    db->createTable(sampleTable("S"));
    for (int i = 1; i <= 200; ++i)
        db->Execute("INSERT INTO S (Code, Notes) VALUES (?, ?)",
                    {Value(i), Value(std::string(2000, 'n'))});
    db->Execute("DELETE FROM S WHERE Code > 10");
}

int entries(const std::filesystem::path& dir) {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST_F(Database_, CompactionThroughALinkReplacesTheRealFileAndKeepsTheLink) {
    namespace fs = std::filesystem;
    fs::create_directories(dir_ / "data");
    const std::string real = file("data/site.db");
    writeLooseFile(real);
    const auto before = fs::file_size(real);
    fs::create_symlink("data/site.db", dir_ / "link.db");
    fs::create_symlink("link.db", dir_ / "link2.db"); // a link to a link
    compactFile(file("link2.db"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link2.db"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.db"));
    EXPECT_EQ(fs::read_symlink(dir_ / "link.db"), "data/site.db");
    EXPECT_LT(fs::file_size(real), before);
    EXPECT_EQ(Database::open(file("link2.db"))->scalar("SELECT count(*) FROM S").toLong(), 10);
    EXPECT_EQ(entries(dir_), 3);
    EXPECT_EQ(entries(dir_ / "data"), 1);
}

// Every index in the file: no table name the layer accepts may equal one.
void expectNoIndexNameIsATableName(Database& db) {
    Statement st(db, "SELECT name FROM sqlite_schema WHERE type = 'index'");
    std::vector<std::string> names;
    while (st.step())
        names.push_back(st.column(0).toText());
    for (const std::string& n : names) {
        try {
            checkTableName(n);
            ADD_FAILURE() << "a table may take the index name " << n;
        } catch (const Error&) {
        }
    }
}

TEST_F(Database_, IndexNamesNeverStandInASheetsWay) {
    auto db = Database::create(file("w.db"));
    db->createTable(sheetsListTableDef());
    // Names that read like the indexes of another sheet come first.
    for (const char* name : {"S|P|Code", "S", "Code", "T", "PrimaryKey"})
        createSheet(*db, worksheetTableDef(name, 10), 1, 14);
    db->renameTable("T", "T|P|Code");
    db->renameTable("T|P|Code", "t|p|code");
    TableDef other = sampleTable("X");
    other.indexes.push_back({"By \"Type\", then Code", {"Type", "Code"}, false, false});
    other.indexes.push_back({"Described", {"Description"}, false, true});
    db->createTable(other);
    db->copyTableStructure("X", "Copy of X");
    db->renameTable("Copy of X", "Y");
    expectNoIndexNameIsATableName(*db);
    for (const char* name : {"S", "S|P|Code", "t|p|code", "PrimaryKey"}) {
        const TableDef def = db->tableDef(name);
        ASSERT_EQ(def.indexes.size(), 1u) << name;
        EXPECT_EQ(def.indexes[0].name, "Code") << name;
        EXPECT_TRUE(def.indexes[0].primary && def.indexes[0].unique) << name;
        db->Execute("INSERT INTO " + quoteIdent(name) + " (Code) VALUES (1)");
        EXPECT_THROW(db->Execute("INSERT INTO " + quoteIdent(name) + " (Code) VALUES (1)"), Error);
    }
    // The key's name is read back from the table's definition, whatever the
    // name and the defaults beside it hold.
    TableDef tricky = sampleTable("Z");
    tricky.fields[3].defaultValue = Value("', CONSTRAINT \"x\" PRIMARY KEY (Code) --");
    tricky.indexes[0].name = "Key \"CONSTRAINT\" ] PRIMARY";
    db->createTable(tricky);
    EXPECT_EQ(db->tableDef("Z").indexes.at(0).name, tricky.indexes[0].name);
    const TableDef y = db->tableDef("Y");
    ASSERT_EQ(y.indexes.size(), 3u);
    EXPECT_EQ(y.indexes[0].name, "Code");
    EXPECT_EQ(y.indexes[1].name, "By \"Type\", then Code");
    EXPECT_EQ(y.indexes[1].fields, (std::vector<std::string>{"Type", "Code"}));
    EXPECT_FALSE(y.indexes[1].primary || y.indexes[1].unique);
    EXPECT_EQ(y.indexes[2].name, "Described");
    EXPECT_TRUE(y.indexes[2].unique && !y.indexes[2].primary);

    // The catalogue holds a name of so many characters, and says so.
    EXPECT_NO_THROW(createSheet(*db, worksheetTableDef(std::string(255, 'n'), 10), 1, 14));
    try {
        createSheet(*db, worksheetTableDef(std::string(256, 'n'), 10), 1, 14);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The sheet name is too long: a sheet name holds at most 255 characters");
    }
    std::string wide;
    for (int i = 0; i < 255; ++i)
        wide += "ä"; // two bytes, one character
    EXPECT_NO_THROW(createSheet(*db, worksheetTableDef(wide, 10), 1, 14));
}

TEST_F(Database_, FilesWithIndexesOfTheOldNamesStillWork) {
    auto db = Database::create(file("w.db"));
    db->createTable(sheetsListTableDef());
    // As earlier versions wrote them: the index named after its table.
    TableDef s = worksheetTableDef("S", 10);
    s.indexes.clear();
    createSheet(*db, s, 1, 14);
    db->Execute(R"(CREATE UNIQUE INDEX "S|P|Code" ON "S" ("Code"))");
    db->Execute(R"(CREATE INDEX "S|I|Type" ON "S" ("Type"))");
    db->Execute("INSERT INTO S (Code) VALUES (1)");
    auto expectIndexes = [&](const std::string& table) {
        const TableDef def = db->tableDef(table);
        ASSERT_EQ(def.indexes.size(), 2u) << table;
        EXPECT_EQ(def.indexes[0].name, "Code");
        EXPECT_TRUE(def.indexes[0].primary && def.indexes[0].unique);
        EXPECT_EQ(def.indexes[1].name, "Type");
        EXPECT_FALSE(def.indexes[1].primary || def.indexes[1].unique);
        EXPECT_THROW(db->Execute("INSERT INTO " + quoteIdent(table) + " (Code) VALUES (1)"), Error);
    };
    expectIndexes("S");
    // A sheet of an old index's name moves the index out of its way.
    createSheet(*db, worksheetTableDef("S|P|Code", 10), 1, 14);
    createSheet(*db, worksheetTableDef("s|i|TYPE", 10), 1, 14);
    expectIndexes("S");
    db->copyTableStructure("S", "Copy");
    db->Execute("INSERT INTO Copy (Code) VALUES (1)");
    expectIndexes("Copy");
    db->renameTable("S", "Renamed");
    expectIndexes("Renamed");
    expectNoIndexNameIsATableName(*db);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Database_, FilesOfANewerFormatAreRefusedAndLeftAlone) {
    const std::string newer = file("newer.db"), older = file("older.db");
    for (const std::string& p : {newer, older}) {
        auto db = Database::create(p);
        EXPECT_EQ(db->scalar("PRAGMA user_version").toLong(), 1);
        db->createTable(sampleTable("S"));
    }
    Database::open(newer)->Execute("PRAGMA user_version = 2");
    Database::open(older)->Execute("PRAGMA user_version = 0"); // as earlier versions left it
    const std::string bytes = readAll(newer);
    for (auto attempt : {std::function<void()>([&] { Database::open(newer); }),
                         std::function<void()>([&] { compactFile(newer); })}) {
        try {
            attempt();
            ADD_FAILURE() << "a file of a newer format was taken";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "The file \"" + newer +
                          "\" was written by a newer version of this program (file format 2; "
                          "this version reads formats up to 1) and cannot be opened");
        }
    }
    EXPECT_TRUE(readAll(newer) == bytes); // not a byte changed
    EXPECT_EQ(entries(dir_), 2);
    // An earlier file of ours opens, takes changes and keeps its number.
    auto db = Database::open(older);
    db->Execute("INSERT INTO S (Code) VALUES (1)");
    EXPECT_EQ(db->scalar("PRAGMA user_version").toLong(), 0);
}

// Tests may run as root, whom permission bits do not stop: what is checked
// is that the layer itself keeps its hands off.
TEST_F(Database_, ReadOnlyFilesOpenForReadingAndRefuseEveryChange) {
    namespace fs = std::filesystem;
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const auto folderReadOnly =
        readOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    struct Case {
        std::string folder;
        bool lockFile;
        std::string why;
    } cases[] = {{"file", true, ""}, {"folder", false, " (its folder cannot be written to)"}};
    for (const Case& c : cases) {
        fs::create_directories(dir_ / c.folder);
        const std::string path = file(c.folder + "/site.db");
        writeLooseFile(path);
        {
            auto db = Database::open(path);
            db->createTable(sheetsListTableDef());
            createSheet(*db, worksheetTableDef("Sheet", 10), 1, 14);
        }
        if (c.lockFile)
            fs::permissions(path, readOnly);
        else
            fs::permissions(dir_ / c.folder, folderReadOnly);
        const std::string bytes = readAll(path);
        const std::string message =
            "The file \"" + path + "\" is read-only" + c.why + "; it cannot be changed";

        auto db = Database::open(path);
        EXPECT_EQ(db->scalar("SELECT count(*) FROM S").toLong(), 10);
        auto rs = db->OpenRecordset("SELECT * FROM S ORDER BY Code");
        auto batch = db->OpenRecordset("S", {}, LockType::BatchOptimistic);
        const std::vector<std::function<void()>> changes = {
            [&] { db->Execute("INSERT INTO S (Code) VALUES (99)"); },
            [&] { db->Execute("DELETE FROM S"); },
            [&] { db->createTable(sampleTable("New")); },
            [&] { db->renameTable("S", "T"); },
            [&] { db->deleteTable("S"); },
            [&] { db->copyTableStructure("S", "Copy"); },
            [&] { db->appendField("S", field("More", FieldType::Long)); },
            [&] { createSheet(*db, worksheetTableDef("Another", 10), 1, 14); },
            [&] {
                rs.Fields("Description") = Value("changed");
                rs.Update();
            },
            [&] {
                batch.Fields("Description") = Value("changed");
                batch.Update();
                batch.UpdateBatch();
            },
            [&] { compactFile(path); },
        };
        for (size_t i = 0; i < changes.size(); ++i) {
            try {
                changes[i]();
                ADD_FAILURE() << c.folder << ": change " << i << " was made";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), message) << c.folder << ": change " << i;
            }
            if (rs.editing()) rs.CancelUpdate();
        }
        EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"S", "Sheets List", "Sheet"}));
        db.reset();
        rs = Recordset();
        batch = Recordset();
        if (!c.lockFile) {
            const std::string other = file(c.folder + "/new.db");
            try {
                Database::create(other);
                ADD_FAILURE() << "a file was made in a read-only folder";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()),
                          "The folder of \"" + other +
                              "\" is read-only; the file cannot be made there");
            }
        }
        EXPECT_TRUE(readAll(path) == bytes) << c.folder; // not a byte changed
        EXPECT_EQ(entries(dir_ / c.folder), 1) << c.folder;
        fs::permissions(dir_ / c.folder, fs::perms::owner_all);
    }
}

// Compacts in a child process that dies once the copy is written, as a
// compaction killed part-way does.
void compactAndDie(const std::string& path) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        try {
            compactFile(path, [](CompactStep s) {
                if (s == CompactStep::CopyWritten) _exit(3);
            });
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 3);
}

TEST_F(Database_, ACompactionNeverReplacesAFileAnotherProgramOpenedMeanwhile) {
    const std::string path = file("site.db");
    writeLooseFile(path);
    ASSERT_EQ(holdFile(path), FileHold::Writing);
    const auto inode = [&path] {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    int ready[2] = {-1, -1};
    ASSERT_EQ(pipe(ready), 0);
    pid_t other = -1;
    // Another program opens the file while the copy is being made: it would
    // go on with a file no one sees any more.
    try {
        compactFile(path, [&](CompactStep s) {
            if (s != CompactStep::CopyChecked) return;
            other = fork();
            if (other == 0) {
                const char viewing = holdFile(path) == FileHold::Viewing;
                (void)!write(ready[1], &viewing, 1);
                for (;;)
                    pause();
            }
            char viewing = 0;
            ASSERT_EQ(read(ready[0], &viewing, 1), 1);
            EXPECT_EQ(viewing, 1);
        });
        ADD_FAILURE() << "a file another program has open was replaced";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "The file \"" + path +
                                             "\" is open in another Bandwright; it is compacted "
                                             "only when no other Bandwright has it open");
    }
    EXPECT_EQ(inode(), before);
    EXPECT_FALSE(std::filesystem::exists(path + kCompactSuffix));
    if (other > 0) {
        kill(other, SIGKILL);
        waitpid(other, nullptr, 0);
    }
    for (int fd : ready)
        close(fd);
    releaseAllFiles();
}

TEST_F(Database_, KilledCompactionsLeaveOneWorkFileThatTheNextOneClears) {
    const std::string path = file("site.db");
    writeLooseFile(path);
    const auto before = std::filesystem::file_size(path);
    compactAndDie(path);
    compactAndDie(path);
    EXPECT_EQ(entries(dir_), 2); // the file and one work copy, not a pile of them
    compactFile(path);
    EXPECT_EQ(entries(dir_), 1);
    EXPECT_LT(std::filesystem::file_size(path), before);
    EXPECT_EQ(Database::open(path)->scalar("SELECT count(*) FROM S").toLong(), 10);
}

// A writer that dies in the middle of a change, spilled into the file: its
// journal stays beside the file.
void changeAndDie(const std::string& path) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        try {
            auto db = Database::open(path);
            db->Execute("PRAGMA cache_size = 5");
            db->Execute("BEGIN");
            db->Execute("UPDATE S SET Notes = 'half'");
            for (int i = 100; i < 200; ++i)
                db->Execute("INSERT INTO S (Code, Notes) VALUES (?, ?)",
                            {Value(i), Value(std::string(3000, 'h'))});
            _exit(3);
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 3);
    ASSERT_TRUE(std::filesystem::exists(path + "-journal"));
}

TEST_F(Database_, AChangeAKilledWriterLeftIsSaidSoWhereTheFileCannotBeWritten) {
    namespace fs = std::filesystem;
    const std::string path = file("site.db");
    writeLooseFile(path);
    changeAndDie(path);
    // Read-only, the file cannot be put right here: the message says what
    // is true rather than calling it damaged.
    fs::permissions(path, fs::perms::owner_read);
    try {
        Database::open(path);
        ADD_FAILURE() << "opened with a journal it could not play back";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Another program's last change to \"" + path +
                      "\" did not finish. The file is whole: the unfinished change is undone when "
                      "the file is next opened where it can be written. Try again then.");
    }
    EXPECT_TRUE(fs::exists(path + "-journal"));
    // Writable again, the next open plays the journal back.
    fs::permissions(path, fs::perms::owner_all);
    auto db = Database::open(path);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM S").toLong(), 10);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM S WHERE Notes = 'half'").toLong(), 0);
    EXPECT_FALSE(fs::exists(path + "-journal"));
}

// Runs in another working folder and goes back at the end.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

TEST_F(Database_, PathsThatReadLikeURIsAreFileNames) {
    namespace fs = std::filesystem;
    InFolder here(dir_);
    Database::create("b.bwdb")->createTable(sampleTable("Plain"));
    // Each of these names the file of that very name in the working folder.
    for (const std::string name : {"file:b.bwdb", "file:b.bwdb?mode=memory", ":memory:"}) {
        Database::create(name)->createTable(sampleTable("Own"));
        EXPECT_TRUE(fs::is_regular_file(dir_ / name)) << name;
        EXPECT_EQ(Database::open(name)->tableNames(), std::vector<std::string>{"Own"}) << name;
        compactFile(name);
        EXPECT_EQ(Database::open(name)->tableNames(), std::vector<std::string>{"Own"}) << name;
    }
    EXPECT_EQ(Database::open("b.bwdb")->tableNames(), std::vector<std::string>{"Plain"});
    EXPECT_EQ(entries(dir_), 4);
}

} // namespace

namespace {

// The statements the sheets need, written for this engine, give the results
// the original's SQL gave.
TEST_F(Database_, JetStatementsInThisEnginesTerms) {
    auto db = Database::create(file("w.db"));
    db->createTable(sampleTable("Sheet [1]"));
    db->copyTableStructure("Sheet [1]", "~Backup");
    const std::string sheet = quoteIdent("Sheet [1]");
    db->Execute("INSERT INTO " + sheet + " (Code, Description) VALUES (1, 'Fan'), (2, NULL)");
    // [Code] & ': ' & [Description], where & takes Null as "".
    auto names = db->OpenRecordset("SELECT ifnull(Code, '') || ': ' || ifnull(Description, '') "
                                   "AS Name, " +
                                   sheet + ".* FROM " + sheet + " ORDER BY Code");
    EXPECT_EQ(names.Fields("Name").value().text(), "1: Fan");
    names.MoveNext();
    EXPECT_EQ(names.Fields("Name").value().text(), "2: ");
    EXPECT_EQ(names.Fields(1).Name(), "Code"); // every field one place later
    // INSERT INTO [~Backup] SELECT * FROM [sheet]; DELETE * FROM [sheet].
    EXPECT_EQ(db->Execute("INSERT INTO \"~Backup\" SELECT * FROM " + sheet), 2);
    EXPECT_EQ(db->Execute("DELETE FROM " + sheet), 2);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM \"~Backup\" WHERE L1 = -999").toLong(), 2);
    // Bracketed names as the sheets write them still read.
    EXPECT_EQ(db->OpenRecordset("Select * From [~Backup] Order By [Code]").RecordCount(), 2);
}

} // namespace
