#pragma once
// A full disk for tests: while a FullDisk lives, no file of a database
// connection opened meanwhile can grow (the engine hears "database or disk
// is full"), while writes that fit in a file as it stands still go through.
// Connections opened before keep writing as before, as a window's
// connection does whose pages are already there.
namespace testing_support {

class FullDisk {
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

} // namespace testing_support
