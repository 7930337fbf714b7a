#pragma once
// Several observers of one kind of notice, each registered with a
// Subscription that removes it again. An observer may remove itself or any
// other during a notice (a removed one is not called again, not even later in
// the same round); one added during a notice hears the next one.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace db {

namespace detail {
struct SlotState {
    bool alive = true;
};
} // namespace detail

// Ends the registration when destroyed, when disconnect() is called or when
// another subscription is assigned to it. Move-only.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::weak_ptr<detail::SlotState> slot) : slot_(std::move(slot)) {}
    ~Subscription() { disconnect(); }
    Subscription(Subscription&& o) noexcept : slot_(std::move(o.slot_)) { o.slot_.reset(); }
    Subscription& operator=(Subscription&& o) noexcept {
        if (this != &o) {
            disconnect();
            slot_ = std::move(o.slot_);
            o.slot_.reset();
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void disconnect() {
        if (auto s = slot_.lock()) s->alive = false;
        slot_.reset();
    }
    bool connected() const {
        auto s = slot_.lock();
        return s && s->alive;
    }

private:
    std::weak_ptr<detail::SlotState> slot_;
};

template <class... Args> class ObserverList {
public:
    Subscription add(std::function<void(Args...)> fn) {
        compact();
        auto slot = std::make_shared<Slot>();
        slot->fn = std::move(fn);
        slots_.push_back(slot);
        return Subscription(std::weak_ptr<detail::SlotState>(slot));
    }

    bool empty() const {
        for (const auto& s : slots_)
            if (s->alive) return false;
        return true;
    }

    // Calls each observer registered before the notice began. The list must
    // outlive the call: its owner keeps itself alive while it notifies.
    void notify(Args... args) {
        const size_t n = slots_.size();
        if (n == 0) return;
        ++depth_;
        for (size_t i = 0; i < n && i < slots_.size(); ++i) {
            std::shared_ptr<Slot> s = slots_[i]; // kept while it runs, even if removed
            if (s->alive) s->fn(args...);
        }
        --depth_;
        compact();
    }

private:
    struct Slot : detail::SlotState {
        std::function<void(Args...)> fn;
    };
    // Removed observers leave the list only between notices, so indexes in
    // a running notice stay valid.
    void compact() {
        if (depth_ > 0) return;
        std::erase_if(slots_, [](const std::shared_ptr<Slot>& s) { return !s->alive; });
    }

    std::vector<std::shared_ptr<Slot>> slots_;
    int depth_ = 0;
};

} // namespace db
