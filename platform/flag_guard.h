#pragma once
// A global flag set for the life of a block and reset however the block is
// left (return or exception), so a failure never leaves it standing.

namespace platform {

enum class FlagEnd {
    Clear,   // the flag reads false (0) afterwards
    Restore, // the flag gets back the value it had before (guards may nest)
};

template <typename T> class FlagGuard {
public:
    explicit FlagGuard(T& flag, FlagEnd end = FlagEnd::Clear)
        : flag_(flag), after_(end == FlagEnd::Restore ? flag : T{}) {
        flag_ = T(true);
    }
    ~FlagGuard() { flag_ = after_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    T& flag_;
    T after_;
};

} // namespace platform
