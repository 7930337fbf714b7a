#include "platform/db/file_lock.h"

#include "platform/db/database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

namespace db {

// One open description of a held file and the locks placed through it;
// shared by the names of the file this program holds it under.
struct HeldLock {
    int fd = -1;
    FileHold hold = FileHold::Writing;
    ViewingCause cause = ViewingCause::OtherProgram;
    std::string detail; // the system's text, for Unchecked
    bool writable = false;
    dev_t dev = 0;
    ino_t ino = 0;
    HeldLock() = default;
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock() {
        if (fd >= 0) ::close(fd);
    }
};

namespace {

// The two bytes of the hold lie just below the largest offset a lock can
// name: no file of ours ever reaches them, and they are far from the bytes
// the database engine locks (from 1 GiB on, see its PENDING_BYTE) and from
// its pages. A lock beyond the end of a file is allowed and costs nothing.
constexpr off_t kWriterByte = 0x7fff'ffff'ffff'0000;
constexpr off_t kOpenByte = kWriterByte + 1;

using LockPtr = std::shared_ptr<HeldLock>;

// Holds kept by windows (keepShared()), also when no longer among the held
// files.
std::vector<std::weak_ptr<HeldLock>>& keptLocks() {
    static std::vector<std::weak_ptr<HeldLock>> kept;
    return kept;
}

// Keyed by the file's full path, so two spellings of one name meet; two
// names of one file share their lock.
std::map<std::string, LockPtr>& heldFiles() {
    static std::map<std::string, LockPtr> files;
    static pid_t owner = ::getpid();
    // A forked process is another program: what its parent holds stays the
    // parent's (the descriptors it inherited are only closed here; the locks
    // belong to the descriptions, which the parent still has).
    if (owner != ::getpid()) {
        const auto drop = [](const LockPtr& lock) {
            if (lock && lock->fd >= 0) {
                ::close(lock->fd);
                lock->fd = -1;
            }
        };
        for (const auto& [key, lock] : files)
            drop(lock);
        files.clear();
        for (const auto& weak : keptLocks())
            drop(weak.lock());
        keptLocks().clear();
        owner = ::getpid();
    }
    return files;
}

std::string keyOf(const std::string& path) {
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? path : p.string();
}

// F_OFD_SETLK: 0 when placed, else the error (EAGAIN or EACCES: another
// description holds a lock in the way).
struct flock lockRange(short type, off_t start, off_t len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    return fl;
}

int setLock(int fd, short type, off_t start, off_t len) {
    struct flock fl = lockRange(type, start, len);
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 0 : errno;
}

// F_OFD_GETLK: 0 when the lock could be placed, EAGAIN when a lock of
// another description is in the way, else the error.
int testLock(int fd, short type, off_t start, off_t len) {
    struct flock fl = lockRange(type, start, len);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return errno;
    return fl.l_type == F_UNLCK ? 0 : EAGAIN;
}

bool inTheWay(int error) {
    return error == EAGAIN || error == EACCES;
}

// Anyone else holding either byte of the hold (0 when no one, EAGAIN when
// someone, else the error).
int othersHold(int fd) {
    return testLock(fd, F_WRLCK, kWriterByte, 2);
}

// The held lock of the file named by `path`, under this name or another
// name of the same file.
LockPtr findLock(const std::string& path, const std::string& key) {
    auto& files = heldFiles();
    if (const auto it = files.find(key); it != files.end()) return it->second;
    struct stat st {};
    if (::stat(key.c_str(), &st) != 0) return nullptr;
    for (const auto& [name, lock] : files)
        if (lock->dev == st.st_dev && lock->ino == st.st_ino) return lock;
    auto& kept = keptLocks();
    std::erase_if(kept, [](const auto& weak) { return weak.expired(); });
    for (const auto& weak : kept)
        if (const LockPtr lock = weak.lock(); lock->dev == st.st_dev && lock->ino == st.st_ino)
            return lock;
    (void)path;
    return nullptr;
}

LockPtr findLock(const std::string& path) {
    return findLock(path, keyOf(path));
}

// An open description of the file for its locks: for reading and writing
// where this user may write it, else for reading. Nothing when it cannot be
// opened at all (the engine then cannot read it either, and says so).
LockPtr openLock(const std::string& key) {
    auto lock = std::make_shared<HeldLock>();
    lock->fd = ::open(key.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    lock->writable = lock->fd >= 0;
    if (lock->fd < 0) lock->fd = ::open(key.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (lock->fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(lock->fd, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    lock->dev = st.st_dev;
    lock->ino = st.st_ino;
    return lock;
}

void unchecked(HeldLock& lock, int error) {
    lock.hold = FileHold::Viewing;
    lock.cause = ViewingCause::Unchecked;
    lock.detail = std::strerror(error);
}

// Places the locks of a hold for writing, or for viewing where another
// program writes the file or the locks cannot be placed.
void take(HeldLock& lock) {
    if (const int e = setLock(lock.fd, F_RDLCK, kOpenByte, 1)) return unchecked(lock, e);
    if (!lock.writable) {
        lock.hold = FileHold::Viewing;
        lock.cause = ViewingCause::ReadOnly;
        return;
    }
    const int e = setLock(lock.fd, F_WRLCK, kWriterByte, 1);
    if (e == 0) {
        lock.hold = FileHold::Writing;
    } else if (inTheWay(e)) {
        lock.hold = FileHold::Viewing;
        lock.cause = ViewingCause::OtherProgram;
    } else {
        unchecked(lock, e);
    }
}

} // namespace

FileHold holdFile(const std::string& path) {
    const std::string key = keyOf(path);
    auto& files = heldFiles();
    if (const LockPtr lock = findLock(path, key)) {
        files[key] = lock;
        return lock->hold;
    }
    const LockPtr lock = openLock(key);
    if (!lock) return FileHold::Writing; // no file, or one no one can read
    // Nor is a file this program cannot change (its folder, or its mode when
    // run as root) held for writing: no other program is then kept from it.
    if (readOnlyReason(key)) lock->writable = false;
    take(*lock);
    files[key] = lock;
    return lock->hold;
}

bool shareFile(const std::string& path) {
    const std::string key = keyOf(path);
    auto& files = heldFiles();
    if (const LockPtr lock = findLock(path, key)) {
        files[key] = lock;
        return true;
    }
    const LockPtr lock = openLock(key);
    if (!lock) return false;
    lock->hold = FileHold::Shared;
    const int e = setLock(lock->fd, F_RDLCK, kOpenByte, 1);
    // Shared on the writer's byte too: no program takes a file others share
    // as its own to write alone.
    setLock(lock->fd, F_RDLCK, kWriterByte, 1);
    files[key] = lock;
    return e == 0;
}

bool takeForWriting(const std::string& path) {
    const LockPtr lock = findLock(path);
    if (!lock || lock->hold != FileHold::Viewing || lock->cause == ViewingCause::ReadOnly)
        return false;
    // Only the file that still has the name: one replaced under it is
    // another file.
    struct stat st {};
    if (::stat(keyOf(path).c_str(), &st) != 0 || st.st_dev != lock->dev || st.st_ino != lock->ino)
        return false;
    take(*lock);
    return lock->hold == FileHold::Writing;
}

void releaseFile(const std::string& path) {
    // Under every name: a hold left under another name of the file would
    // make it this program's to write while another program writes it.
    const LockPtr lock = findLock(path);
    if (!lock) return;
    std::erase_if(heldFiles(), [&lock](const auto& held) { return held.second == lock; });
}

void releaseAllFiles(const std::string& keep, bool keepShared) {
    // The file kept may be held under another of its names: it is kept under
    // its own name, and the hold with it.
    const LockPtr kept = keep.empty() ? nullptr : findLock(keep);
    if (kept) heldFiles()[keyOf(keep)] = kept;
    auto& files = heldFiles();
    for (auto it = files.begin(); it != files.end();) {
        if ((kept && it->second == kept) || (keepShared && it->second->hold == FileHold::Shared))
            ++it;
        else
            it = files.erase(it);
    }
}

void releaseSharedFiles() {
    auto& files = heldFiles();
    std::erase_if(files, [](const auto& held) { return held.second->hold == FileHold::Shared; });
}

std::shared_ptr<void> keepShared(const std::string& path) {
    if (!shareFile(path)) return nullptr;
    const LockPtr lock = findLock(path);
    if (lock) keptLocks().push_back(lock);
    return lock;
}

std::optional<FileHold> heldAs(const std::string& path) {
    const LockPtr lock = findLock(path);
    if (!lock) return std::nullopt;
    return lock->hold;
}

std::optional<ViewingCause> viewingCause(const std::string& path) {
    const LockPtr lock = findLock(path);
    if (!lock || lock->hold != FileHold::Viewing) return std::nullopt;
    return lock->cause;
}

namespace {

// Whether the name holds the file of this hold (and not another one put in
// its place since).
bool atName(const HeldLock& lock, const std::string& path) {
    struct stat st {};
    return ::stat(keyOf(path).c_str(), &st) == 0 && st.st_dev == lock.dev && st.st_ino == lock.ino;
}

// Whether other programs have the file `key` names, which this program
// does not hold: None, Elsewhere, or Unknown with the system's text.
FileUse othersUse(const std::string& key, std::string* detail) {
    const int fd = ::open(key.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (detail) *detail = std::strerror(errno);
        return FileUse::Unknown;
    }
    const int e = othersHold(fd);
    ::close(fd);
    if (e == 0) return FileUse::None;
    if (inTheWay(e)) return FileUse::Elsewhere;
    if (detail) *detail = std::strerror(e);
    return FileUse::Unknown;
}

} // namespace

bool openElsewhere(const std::string& path) {
    FileUse use = FileUse::None;
    if (const LockPtr lock = findLock(path)) {
        if (othersHold(lock->fd) != 0) return true;
        // Another file put in place of the one held is another program's.
        if (atName(*lock, path) || !std::filesystem::exists(keyOf(path))) return false;
        use = othersUse(keyOf(path), nullptr);
    } else {
        use = fileUse(path);
    }
    return use == FileUse::Elsewhere || use == FileUse::Unknown;
}

bool replacedAtName(const std::string& path) {
    const LockPtr lock = findLock(path);
    return lock && !atName(*lock, path) && std::filesystem::exists(keyOf(path));
}

FileUse fileUse(const std::string& path, std::string* detail) {
    const std::string key = keyOf(path);
    struct stat st {};
    if (::stat(key.c_str(), &st) != 0) return FileUse::None;
    if (findLock(path, key)) return FileUse::Here;
    return othersUse(key, detail);
}

std::optional<std::string> viewingReason(const std::string& path) {
    const LockPtr lock = findLock(path);
    if (!lock || lock->hold != FileHold::Viewing) return std::nullopt;
    const std::string file = "The file \"" + path + "\"";
    switch (lock->cause) {
    case ViewingCause::OtherProgram:
        return file + " is open in another Bandwright; it cannot be changed here";
    case ViewingCause::Unchecked:
        return file +
               " can only be viewed here: this program cannot make sure that no other "
               "Bandwright changes it at the same time (" +
               lock->detail + ")";
    case ViewingCause::ReadOnly:
        break;
    }
    return readOnlyReason(path).value_or(file + " can only be read here; it cannot be changed");
}

CopyHold::CopyHold(const std::string& copy, const std::string& name)
    : name_(name), lock_(openLock(keyOf(copy))) {
    if (lock_) take(*lock_);
}

CopyHold::~CopyHold() = default;

void CopyHold::keep() {
    if (lock_) heldFiles()[keyOf(name_)] = lock_;
}

void removeWorkFiles(const std::string& path) {
    const std::string key = keyOf(path);
    std::error_code ec;
    for (const char* suffix : {kCompactSuffix, kSavingSuffix})
        for (const char* journal : {"", "-journal"})
            std::filesystem::remove(key + suffix + journal, ec);
}

} // namespace db
