#include "platform/db/file_copy.h"

#include "platform/db/database.h"
#include "platform/db/file_lock.h"

#include <filesystem>

namespace db {

namespace {

void copyTo(const std::string& source, Database* open, const std::string& dest) {
    namespace fs = std::filesystem;
    if (dest.empty()) throw Error("No file name was given for the copy");
    std::error_code ec;
    const fs::path from = fs::weakly_canonical(source, ec);
    const fs::path to = fs::weakly_canonical(dest, ec);
    if (!ec && from == to) throw Error("A file cannot be copied onto itself");
    if (fs::is_directory(dest, ec)) throw Error("\"" + dest + "\" is a folder");

    if (fs::exists(to, ec) && openElsewhere(to.string()))
        throw Error("\"" + dest +
                    "\" is open in another Bandwright; it cannot be replaced while it is open "
                    "there");

    fs::path work = to;
    work += kSavingSuffix;
    auto cleanup = [&] {
        std::error_code e;
        fs::remove(work, e);
    };
    try {
        cleanup();
        if (open) {
            open->Execute("VACUUM INTO ?", {Value(work.string())});
        } else {
            auto db = Database::open(source);
            db->Execute("VACUUM INTO ?", {Value(work.string())});
        }
        {
            auto copy = Database::open(work.string());
            const Value ok = copy->scalar("PRAGMA integrity_check");
            if (ok.toText() != "ok") throw Error("The copy failed its check (" + ok.toText() + ")");
        }
        fs::rename(work, to, ec);
        if (ec) throw Error("Cannot write \"" + dest + "\" (" + ec.message() + ")");
    } catch (...) {
        cleanup();
        throw;
    }
}

} // namespace

void copyDatabaseFile(const std::string& source, const std::string& dest) {
    copyTo(source, nullptr, dest);
}

void copyDatabaseFile(Database& source, const std::string& dest) {
    copyTo(source.path(), &source, dest);
}

} // namespace db
