// Copying a whole database file under another name: the copy is complete or
// the destination is left as it was.
#include "platform/db/database.h"
#include "platform/db/file_copy.h"
#include "platform/db/file_lock.h"
#include "platform/db/sheet_layout.h"

#include "db_test_util.h"

#include <csignal>
#include <fstream>
#include <iterator>

#include <sqlite3.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;

namespace {

class FileCopy : public DbFolder {
protected:
    std::string makeSource() {
        const std::string path = file("source.bwdb");
        auto database = Database::create(path);
        database->createTable(sheetsListTableDef());
        createSheet(*database, worksheetTableDef("Site [1]", 10), 1, 14, "notes");
        database->Execute("INSERT INTO \"Site [1]\" (Code, L3) VALUES (1, 55.5)");
        return path;
    }
};

TEST_F(FileCopy, TheCopyHoldsEverythingAndReplacesAnOldFile) {
    const std::string source = makeSource();
    const std::string dest = file("copy.bwdb");
    {
        std::ofstream old(dest);
        old << "an older file";
    }
    // A reader of the source stays open meanwhile, as the windows' are.
    auto reader = Database::open(source);
    copyDatabaseFile(source, dest);
    auto copy = Database::open(dest);
    EXPECT_EQ(copy->tableNames(), reader->tableNames());
    EXPECT_DOUBLE_EQ(copy->scalar("SELECT L3 FROM \"Site [1]\" WHERE Code = 1").toDouble(), 55.5);
    EXPECT_EQ(copy->scalar("SELECT Notes FROM \"Sheets List\"").toText(), "notes");
    EXPECT_EQ(copy->tableDef("Site [1]").indexes.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dest + ".saving~"));
}

TEST_F(FileCopy, AFileAnotherProgramOpensWhileTheCopyIsMadeIsNotReplaced) {
    const std::string source = makeSource();
    const std::string dest = file("copy.bwdb");
    {
        std::ofstream old(dest);
        old << "an older file";
    }
    auto reader = Database::open(source);
    // Another program opens the destination while the copy is being
    // written: replaced under it, its changes would go to a file no one sees.
    struct Other {
        std::string dest;
        pid_t pid = -1;
        int ready[2] = {-1, -1};
    } other{dest};
    ASSERT_EQ(pipe(other.ready), 0);
    sqlite3_progress_handler(
        reader->handle(), 1,
        [](void* p) {
            auto* o = static_cast<Other*>(p);
            if (o->pid >= 0) return 0;
            o->pid = fork();
            if (o->pid == 0) {
                const char writing = holdFile(o->dest) == FileHold::Writing;
                (void)!write(o->ready[1], &writing, 1);
                for (;;)
                    pause();
            }
            char writing = 0;
            EXPECT_EQ(read(o->ready[0], &writing, 1), 1);
            EXPECT_EQ(writing, 1);
            return 0;
        },
        &other);
    try {
        copyDatabaseFile(*reader, dest, true);
        ADD_FAILURE() << "a file another program has open was replaced";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "\"" + dest +
                      "\" is open in another Bandwright; it cannot be replaced while it is open "
                      "there");
    }
    sqlite3_progress_handler(reader->handle(), 0, nullptr, nullptr);
    EXPECT_GT(other.pid, 0);
    std::ifstream in(dest);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == "an older file");
    EXPECT_FALSE(std::filesystem::exists(dest + ".saving~"));
    if (other.pid > 0) {
        kill(other.pid, SIGKILL);
        waitpid(other.pid, nullptr, 0);
    }
    for (int fd : other.ready)
        close(fd);
    releaseAllFiles();
}

TEST_F(FileCopy, ARefusedOrFailedCopyLeavesTheDestination) {
    const std::string source = makeSource();
    EXPECT_THROW(copyDatabaseFile(source, source), Error);
    EXPECT_THROW(copyDatabaseFile(source, (dir_ / "." / "source.bwdb").string()), Error);
    EXPECT_TRUE(Database::open(source)->findTable("Site [1]"));

    // Not a database of ours: nothing is written.
    const std::string text = file("notes.txt");
    {
        std::ofstream out(text);
        out << "plain text";
    }
    const std::string dest = file("dest.bwdb");
    EXPECT_THROW(copyDatabaseFile(text, dest), Error);
    EXPECT_FALSE(std::filesystem::exists(dest));

    // A folder that cannot be written: the old file there stays.
    const auto locked = dir_ / "locked";
    std::filesystem::create_directories(locked);
    const std::string kept = (locked / "kept.bwdb").string();
    {
        std::ofstream out(kept);
        out << "keep me";
    }
    ::chmod(locked.c_str(), 0555);
    if (::access(locked.c_str(), W_OK) != 0) { // root writes anyway
        EXPECT_THROW(copyDatabaseFile(source, kept), Error);
        std::ifstream in(kept);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "keep me");
    }
    ::chmod(locked.c_str(), 0755);
}

} // namespace
