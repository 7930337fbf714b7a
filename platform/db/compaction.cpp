#include "platform/db/compaction.h"

#include "platform/db/database.h"
#include "platform/db/file_lock.h"

#include <filesystem>

namespace db {

void compactFile(const std::string& path, const std::function<void(CompactStep)>& afterStep) {
    namespace fs = std::filesystem;
    // Through a link the real file is compacted and replaced; the link stays.
    if (path.empty()) throw Error("No database file was named");
    std::error_code linkEc;
    const fs::path target = fs::canonical(path, linkEc);
    if (linkEc) throw Error("The file \"" + path + "\" does not exist");
    // One work name per file: what a killed compaction left there is only a
    // stale copy, cleared before this one starts.
    // A read-only file stays as it is, even where its folder would let the
    // rename through.
    if (auto why = readOnlyReason(path)) throw Error(*why);
    // Another program reading the old file would go on with a file no one sees.
    const Error inUse("The file \"" + path +
                      "\" is open in another Bandwright; it is compacted only when no other "
                      "Bandwright has it open");
    if (heldAs(path) == FileHold::Viewing || openElsewhere(path)) throw inUse;
    // Only the file this program has open is compacted, never another one put
    // under its name since: that may be another program's, or a backup restored.
    const Error replaced("The file \"" + path +
                         "\" was replaced by another file while it was open here; the file now "
                         "under that name was neither compacted nor changed");
    if (replacedAtName(path)) throw replaced;
    fs::path work = target;
    work += kCompactSuffix;
    auto cleanup = [&] {
        std::error_code ec;
        fs::remove(work, ec);
    };
    try {
        cleanup();
        std::error_code staleEc;
        if (fs::exists(fs::symlink_status(work, staleEc)))
            throw Error("Cannot remove \"" + work.string() +
                        "\", left by an earlier compaction; remove it and try again");
        {
            auto db = Database::open(path);
            db->Execute("VACUUM INTO ?", {Value(work.string())});
        }
        if (afterStep) afterStep(CompactStep::CopyWritten);
        {
            auto copy = Database::open(work.string());
            const Value ok = copy->scalar("PRAGMA integrity_check");
            if (ok.toText() != "ok")
                throw Error("The compacted copy failed its check (" + ok.toText() + ")");
        }
        if (afterStep) afterStep(CompactStep::CopyChecked);
        std::error_code ec;
        // The compacted file keeps the permissions the user gave the original.
        fs::permissions(work, fs::status(target).permissions(), ec);
        // Nor one that opened it or was put in its place while the copy was made.
        if (openElsewhere(path)) throw inUse;
        if (replacedAtName(path)) throw replaced;
        // A hold this program has on the file (file_lock.h) stays with the
        // old one: compaction runs as the program lets go of the file.
        fs::rename(work, target, ec); // one step: the old file or the new one, never neither
        if (ec)
            throw Error("Cannot replace \"" + path + "\" by its compacted copy (" + ec.message() +
                        ")");
    } catch (...) {
        cleanup();
        throw;
    }
    if (afterStep) afterStep(CompactStep::Replaced);
}

} // namespace db
