#pragma once

#include <mutex>
#include <utility>

namespace tavix {

// A value and the lock that guards it, allocated together. Holders only copy or replace a few
// fields; nothing else is ever called while the lock is held.
template <class T>
class Locked {
  public:
    explicit Locked(T value = T{}) : value_(std::move(value)) {}

    T read() const {
        std::lock_guard guard(mutex_);
        return value_;
    }

    void write(T value) {
        std::lock_guard guard(mutex_);
        value_ = std::move(value);
    }

    template <class F>
    auto with(F&& body) {
        std::lock_guard guard(mutex_);
        return std::forward<F>(body)(value_);
    }

    template <class F>
    auto with(F&& body) const {
        std::lock_guard guard(mutex_);
        return std::forward<F>(body)(std::as_const(value_));
    }

  private:
    mutable std::mutex mutex_;
    T value_;
};

}  // namespace tavix
