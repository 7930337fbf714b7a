#pragma once
// Which copy of the program may write a worksheet file, and which files a
// program has open.
//
// The hold is a lock on the file itself, not on its name: every program
// that has the file open holds a shared lock on one byte of it, and the one
// that writes it also holds an exclusive lock on the byte before. The bytes
// lie far beyond anything the file holds and apart from the bytes the
// database engine locks, so the engine never meets them. The locks are the
// system's open-file-description locks: they go with the file under any of
// its names (a second hard link meets the same locks), nothing beside the
// file can be deleted or made unusable by another user, and a program that
// dies lets go of them at once.
//
// A hold that cannot be taken or checked (the system refuses the lock) or a
// file that can only be read here makes the file one this program views
// only. While this program holds a file for viewing, Database::open() opens
// it read-only with a reason that says why.
//
// Closing a descriptor drops the locks the engine holds on that file in this
// process: holds are let go only between commands, when no statement runs.
#include <memory>
#include <optional>
#include <string>

namespace db {

// Names of the work files written beside a file: a compaction's copy and a
// copy for Save File As. The engine may add "-journal" to either.
inline constexpr const char* kCompactSuffix = ".compact~";
inline constexpr const char* kSavingSuffix = ".saving~";

enum class FileHold {
    Writing, // no other program writes it: this one may
    Viewing, // this one only reads it (viewingCause() says why)
    Shared,  // a file every program writes (templates, datasheets): held
             // only so that no program replaces it while others have it open
};

enum class ViewingCause {
    OtherProgram, // another program writes it
    Unchecked,    // the hold cannot be taken or checked
    ReadOnly,     // it can only be read here
};

// Takes the file at `path` for this program: for writing when no other
// program writes it, else for viewing. Taking a file held already (under
// this name or another name of it) gives its hold again. A path that names
// no file is not held and gives Writing: there is nothing to protect.
FileHold holdFile(const std::string& path);
// Holds a file shared by design (Shared); true when the hold was taken.
bool shareFile(const std::string& path);
// Takes the file for writing when this program views it only because
// another program wrote it and no other program writes it now. True when
// this program now writes the file.
bool takeForWriting(const std::string& path);
// Lets go of the file under every name it is held by (nothing when it is
// not held).
void releaseFile(const std::string& path);
// Lets go of every file held (Shared ones too), but `keep` and every file
// held Shared when `keepShared`.
void releaseAllFiles(const std::string& keep = {}, bool keepShared = false);
// Lets go of every file held Shared (a file a window keeps stays held, see
// keepShared()).
void releaseSharedFiles();
// Keeps the file at `path` held Shared for as long as the value returned is
// kept (by a window that shows it), whichever files the program holds Shared
// meanwhile: no program replaces a file a window here still shows. Nothing
// when the file cannot be held.
std::shared_ptr<void> keepShared(const std::string& path);
// How this program holds the file, if it does.
std::optional<FileHold> heldAs(const std::string& path);
// Why this program views the file only; nothing when it does not.
std::optional<ViewingCause> viewingCause(const std::string& path);
// True when another program has the file open, for writing or viewing: the
// file this program holds under the name, or the file the name holds now.
bool openElsewhere(const std::string& path);
// True when this program holds a file under `path` and the name now holds
// another file (one put in its place, as restoring a backup does).
bool replacedAtName(const std::string& path);

// Whether a file is open in this program or another one, under any of its
// names (for a file about to be replaced).
enum class FileUse { None, Here, Elsewhere, Unknown };
// `detail` gets the system's text where the answer is Unknown.
FileUse fileUse(const std::string& path, std::string* detail = nullptr);

// The text a write to a file held for viewing is refused with; nothing when
// the file is not held for viewing.
std::optional<std::string> viewingReason(const std::string& path);

struct HeldLock;

// A hold for writing taken on a copy written beside `name` before the copy
// is renamed to `name`, so that no other program can take the new file for
// writing in between. keep() once the copy has the name records the hold
// under it; otherwise the copy's hold goes with this object.
class CopyHold {
public:
    CopyHold(const std::string& copy, const std::string& name);
    ~CopyHold();
    CopyHold(const CopyHold&) = delete;
    CopyHold& operator=(const CopyHold&) = delete;
    void keep();

private:
    std::string name_;
    std::shared_ptr<HeldLock> lock_;
};

// Removes the work files a killed program left beside `path` (call only
// while holding the file for writing: no live program is writing them).
void removeWorkFiles(const std::string& path);

} // namespace db
