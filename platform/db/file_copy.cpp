#include "platform/db/file_copy.h"

#include "platform/db/database.h"
#include "platform/db/file_lock.h"

#include <filesystem>
#include <optional>

namespace db {

namespace {

void copyTo(const std::string& source, Database* open, const std::string& dest, bool hold) {
    namespace fs = std::filesystem;
    if (dest.empty()) throw Error("No file name was given for the copy");
    std::error_code ec;
    const fs::path from = fs::weakly_canonical(source, ec);
    const fs::path to = fs::weakly_canonical(dest, ec);
    if (!ec && from == to) throw Error("A file cannot be copied onto itself");
    if (fs::is_directory(dest, ec)) throw Error("\"" + dest + "\" is a folder");

    if (const auto why = replaceRefusal(dest)) throw Error(*why);

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
        // Held before it has the name: no other program takes it meanwhile.
        std::optional<CopyHold> held;
        if (hold) held.emplace(work.string(), dest);
        // Nor is a file replaced that another program opened while the copy
        // was made: it would go on with a file no one sees any more.
        if (const auto why = replaceRefusal(dest)) throw Error(*why);
        fs::rename(work, to, ec);
        if (ec) throw Error("Cannot write \"" + dest + "\" (" + ec.message() + ")");
        if (held) held->keep();
    } catch (...) {
        cleanup();
        throw;
    }
}

} // namespace

std::optional<std::string> replaceRefusal(const std::string& dest) {
    std::string detail;
    switch (fileUse(dest, &detail)) {
    case FileUse::None:
        return std::nullopt;
    case FileUse::Here:
        return "\"" + dest +
               "\" is open in this Bandwright; it cannot be replaced while it is open";
    case FileUse::Elsewhere:
        return "\"" + dest +
               "\" is open in another Bandwright; it cannot be replaced while it is open there";
    case FileUse::Unknown:
        break;
    }
    return "\"" + dest +
           "\" cannot be replaced: whether another Bandwright has it open cannot be checked (" +
           detail + ")";
}

void copyDatabaseFile(const std::string& source, const std::string& dest, bool hold) {
    copyTo(source, nullptr, dest, hold);
}

void copyDatabaseFile(Database& source, const std::string& dest, bool hold) {
    copyTo(source.path(), &source, dest, hold);
}

} // namespace db
