#pragma once
// Which copy of the program may write a worksheet file.
//
// Beside each worksheet file a program has open lies the lock file
// "<file>.lock". Every program that has the file open holds a shared lock on
// its second byte; the one that writes the file also holds an exclusive lock
// on its first byte. The locks are the system's (open-file-description
// locks), so a program that dies lets go of them at once: a lock file left
// behind is only a file, and the next program takes it over. The last
// program to let go removes it.
//
// While this program holds a file for viewing, Database::open() opens it
// read-only with a reason that says why.
#include <optional>
#include <string>

namespace db {

// Names of the work files written beside a file: a compaction's copy and a
// copy for Save File As. The engine may add "-journal" to either.
inline constexpr const char* kCompactSuffix = ".compact~";
inline constexpr const char* kSavingSuffix = ".saving~";
inline constexpr const char* kLockSuffix = ".lock";

enum class FileHold {
    Writing, // no other program writes it: this one may
    Viewing, // another program writes it: this one only reads it
};

// Takes the file at `path` for this program: for writing when no other
// program writes it, else for viewing. Taking a file held already gives
// its hold again. Where no lock file can be made (a read-only folder) the
// file is taken for writing: nothing can write it anyway.
FileHold holdFile(const std::string& path);
// Lets go of the file (nothing when it is not held).
void releaseFile(const std::string& path);
// Lets go of every file held, but `keep`.
void releaseAllFiles(const std::string& keep = {});
// How this program holds the file, if it does.
std::optional<FileHold> heldAs(const std::string& path);
// True when another program has the file open, for writing or viewing.
bool openElsewhere(const std::string& path);
// The text a write to a file held for viewing is refused with; nothing when
// the file is not held for viewing.
std::optional<std::string> viewingReason(const std::string& path);

// Removes the work files a killed program left beside `path` (call only
// while holding the file for writing: no live program is writing them).
void removeWorkFiles(const std::string& path);

} // namespace db
