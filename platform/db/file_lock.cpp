#include "platform/db/file_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <vector>

namespace db {

namespace {

constexpr off_t kWriterByte = 0;
constexpr off_t kOpenByte = 1;

struct Held {
    int fd = -1;
    FileHold hold = FileHold::Writing;
};

// Keyed by the file's full path, so two spellings of one file meet.
std::map<std::string, Held>& heldFiles() {
    static std::map<std::string, Held> files;
    static pid_t owner = ::getpid();
    // A forked process is another program: what its parent holds stays the
    // parent's (the descriptors it inherited are only closed here).
    if (owner != ::getpid()) {
        for (const auto& [key, held] : files)
            ::close(held.fd);
        files.clear();
        owner = ::getpid();
    }
    return files;
}

std::string keyOf(const std::string& path) {
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? path : p.string();
}

// F_OFD_SETLK or F_OFD_GETLK on one byte; true when the lock is placed (or,
// for a test, when it could be).
bool lockByte(int fd, int cmd, short type, off_t byte) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    if (::fcntl(fd, cmd, &fl) != 0) return false;
    return cmd != F_OFD_GETLK || fl.l_type == F_UNLCK;
}

bool sameFile(int fd, const std::string& lockPath) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::stat(lockPath.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace

FileHold holdFile(const std::string& path) {
    const std::string key = keyOf(path);
    auto& files = heldFiles();
    if (auto it = files.find(key); it != files.end()) return it->second.hold;
    const std::string lockPath = key + kLockSuffix;
    // A program letting go may remove the lock file between our open and our
    // lock: then the lock is on a file no one else sees, and we go again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) return FileHold::Writing;
        if (!lockByte(fd, F_OFD_SETLK, F_RDLCK, kOpenByte)) {
            ::close(fd);
            return FileHold::Writing;
        }
        const bool writer = lockByte(fd, F_OFD_SETLK, F_WRLCK, kWriterByte);
        if (!sameFile(fd, lockPath)) {
            ::close(fd);
            continue;
        }
        const FileHold hold = writer ? FileHold::Writing : FileHold::Viewing;
        files[key] = Held{fd, hold};
        return hold;
    }
    return FileHold::Writing;
}

void releaseFile(const std::string& path) {
    auto& files = heldFiles();
    const auto it = files.find(keyOf(path));
    if (it == files.end()) return;
    const int fd = it->second.fd;
    // The last one out removes the lock file, while no one can take it.
    if (lockByte(fd, F_OFD_SETLK, F_WRLCK, kOpenByte) &&
        lockByte(fd, F_OFD_SETLK, F_WRLCK, kWriterByte))
        ::unlink((it->first + kLockSuffix).c_str());
    ::close(fd);
    files.erase(it);
}

void releaseAllFiles(const std::string& keep) {
    const std::string kept = keep.empty() ? std::string() : keyOf(keep);
    std::vector<std::string> going;
    for (const auto& [key, held] : heldFiles())
        if (key != kept) going.push_back(key);
    for (const std::string& key : going)
        releaseFile(key);
}

std::optional<FileHold> heldAs(const std::string& path) {
    const auto& files = heldFiles();
    const auto it = files.find(keyOf(path));
    if (it == files.end()) return std::nullopt;
    return it->second.hold;
}

bool openElsewhere(const std::string& path) {
    const std::string key = keyOf(path);
    const auto& files = heldFiles();
    if (const auto it = files.find(key); it != files.end())
        return !lockByte(it->second.fd, F_OFD_GETLK, F_WRLCK, kOpenByte);
    const int fd = ::open((key + kLockSuffix).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    // Our own test lock goes through a descriptor of its own: anyone holding
    // either byte conflicts with it.
    const bool elsewhere = !lockByte(fd, F_OFD_GETLK, F_WRLCK, kOpenByte) ||
                           !lockByte(fd, F_OFD_GETLK, F_WRLCK, kWriterByte);
    ::close(fd);
    return elsewhere;
}

std::optional<std::string> viewingReason(const std::string& path) {
    if (heldAs(path) != FileHold::Viewing) return std::nullopt;
    return "The file \"" + path + "\" is open in another Bandwright; it cannot be changed here";
}

void removeWorkFiles(const std::string& path) {
    const std::string key = keyOf(path);
    std::error_code ec;
    for (const char* suffix : {kCompactSuffix, kSavingSuffix})
        for (const char* journal : {"", "-journal"})
            std::filesystem::remove(key + suffix + journal, ec);
}

} // namespace db
