#include "tests/support/full_disk.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace testing_support {
namespace {

sqlite3_vfs* gReal = nullptr;
sqlite3_vfs gFull;
bool gOn = false; // a connection that outlives the full disk writes again

struct File {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->real;
}

int xClose(sqlite3_file* f) {
    return real(f)->pMethods->xClose(real(f));
}
int xRead(sqlite3_file* f, void* buf, int n, sqlite3_int64 at) {
    return real(f)->pMethods->xRead(real(f), buf, n, at);
}
int xWrite(sqlite3_file* f, const void* buf, int n, sqlite3_int64 at) {
    sqlite3_int64 size = 0;
    if (gOn && (real(f)->pMethods->xFileSize(real(f), &size) != SQLITE_OK || at + n > size))
        return SQLITE_FULL;
    return real(f)->pMethods->xWrite(real(f), buf, n, at);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int flags) {
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xLock(real(f), level);
}
int xUnlock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xUnlock(real(f), level);
}
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}

// Version 1: no shared memory and no mapping, so every write passes xWrite.
sqlite3_io_methods methods() {
    sqlite3_io_methods m{};
    m.iVersion = 1;
    m.xClose = xClose;
    m.xRead = xRead;
    m.xWrite = xWrite;
    m.xTruncate = xTruncate;
    m.xSync = xSync;
    m.xFileSize = xFileSize;
    m.xLock = xLock;
    m.xUnlock = xUnlock;
    m.xCheckReservedLock = xCheckReservedLock;
    m.xFileControl = xFileControl;
    m.xSectorSize = xSectorSize;
    m.xDeviceCharacteristics = xDeviceCharacteristics;
    return m;
}
const sqlite3_io_methods kMethods = methods();

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<File*>(f);
    file->base.pMethods = nullptr;
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    const int rc = gReal->xOpen(gReal, name, file->real, flags, outFlags);
    if (rc == SQLITE_OK && file->real->pMethods) file->base.pMethods = &kMethods;
    return rc;
}

} // namespace

FullDisk::FullDisk() {
    gReal = sqlite3_vfs_find(nullptr);
    gFull = *gReal;
    gFull.iVersion = 1;
    gFull.szOsFile = static_cast<int>(sizeof(File)) + gReal->szOsFile;
    gFull.zName = "full-disk";
    gFull.pNext = nullptr;
    gFull.xOpen = xOpen;
    sqlite3_vfs_register(&gFull, 1);
    gOn = true;
}

namespace {

long long pragma(sqlite3* db, const std::string& sql) {
    long long value = 0;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* out, int, char** values, char**) {
            if (values[0]) *static_cast<long long*>(out) = std::atoll(values[0]);
            return 0;
        },
        &value, nullptr);
    return value;
}

} // namespace

FullDisk::FullDisk(sqlite3* alsoFull) : FullDisk() {
    alsoFull_ = alsoFull;
    maxPages_ = pragma(alsoFull, "PRAGMA main.max_page_count");
    pragma(alsoFull, "PRAGMA main.max_page_count = " +
                         std::to_string(pragma(alsoFull, "PRAGMA main.page_count")));
}

FullDisk::~FullDisk() {
    if (alsoFull_) pragma(alsoFull_, "PRAGMA main.max_page_count = " + std::to_string(maxPages_));
    gOn = false;
    sqlite3_vfs_unregister(&gFull);
    sqlite3_vfs_register(gReal, 1);
}

} // namespace testing_support
