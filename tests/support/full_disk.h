#pragma once
// A full disk for tests: while a FullDisk lives, no file of a database
// connection opened meanwhile can grow (the engine hears "database or disk
// is full"), while writes that fit in a file as it stands still go through.
// Connections opened before keep writing as before, as a window's
// connection does whose pages are already there; one named to the
// constructor gets no new pages for its file either (the engine hears
// "database or disk is full" as soon as a statement needs one), while it
// still rewrites the pages it has.
struct sqlite3;

namespace testing_support {

class FullDisk {
public:
    FullDisk();
    explicit FullDisk(sqlite3* alsoFull);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    sqlite3* alsoFull_ = nullptr;
    long long maxPages_ = 0; // its limit before
};

} // namespace testing_support
