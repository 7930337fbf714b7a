#include "platform/db/file_state.h"

#include "platform/db/database.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace db {

// Why a file cannot be written, or nothing when it can: no write permission
// on the file or on its folder (where the engine keeps its journal, and where
// compaction replaces the file). Read from the mode bits as well as access():
// run as root, access() allows everything and the engine would write.
bool locked(const std::filesystem::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return true;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(p.c_str(), W_OK) != 0;
}

bool startsWithJetHeader(const char* head, size_t n) {
    if (n < 19) return false;
    return std::memcmp(head + 4, "Standard Jet DB", 15) == 0 ||
           std::memcmp(head + 4, "Standard ACE DB", 15) == 0;
}

namespace {

// Whether a file (another one) is under the name now.
bool replacedByAnother(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

std::string goneShort(const std::string& path) {
    if (replacedByAnother(path))
        return "The file \"" + path +
               "\" was replaced by another file; nothing can be stored in the one this program "
               "opened. File > Save File As saves what the windows show under a new name";
    return "The file \"" + path +
           "\" is no longer there; nothing can be stored in it. File > Save File As saves what "
           "the windows show under a new name";
}

// The first write to a file that is gone says what happened and what can
// be done; later ones only that it is gone.
std::string goneMessage(const std::string& path) {
    static std::vector<std::string> told;
    const std::string gone = "The file \"" + path + "\" is no longer there";
    if (std::find(told.begin(), told.end(), path) != told.end()) return goneShort(path);
    told.push_back(path);
    if (replacedByAnother(path))
        return "The file \"" + path +
               "\" was replaced by another file while it was open (one was put under its name), "
               "and nothing more can be stored in the file this program opened. The windows "
               "still show what it held: File > Save File As saves that under a new name";
    return gone +
           ": it was deleted or moved while it was open, and nothing more can be stored in it. "
           "The windows still show what it held: File > Save File As saves that under a new name";
}

std::optional<std::string> readOnlyReason(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    if (ec) return std::nullopt; // the caller reports a missing file
    const std::string file = "The file \"" + path + "\" is read-only";
    if (locked(real)) return file + "; it cannot be changed";
    if (locked(real.parent_path()))
        return file + " (its folder cannot be written to); it cannot be changed";
    return std::nullopt;
}

} // namespace db
