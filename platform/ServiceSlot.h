#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

namespace tavix::platform {

// Holds the one implementation of a platform service that the process uses. The first use
// without an installed one creates the simulated default. Installing replaces it for every
// later caller; do it only while no other thread is using the service (start-up, test set-up).
// Each slot is made once and never destroyed: the frame thread may use a service until the
// process ends.
template <class T>
class ServiceSlot {
  public:
    using Factory = std::shared_ptr<T> (*)();

    explicit ServiceSlot(Factory makeDefault) : makeDefault_(makeDefault) {}

    T& get() {
        if (T* service = current_.load(std::memory_order_acquire)) return *service;
        std::lock_guard guard(mutex_);
        if (!owner_) store(makeDefault_());
        return *owner_;
    }

    // Returns the service it replaces, so a caller can put it back.
    std::shared_ptr<T> install(std::shared_ptr<T> service) {
        std::lock_guard guard(mutex_);
        auto previous = std::move(owner_);
        store(service ? std::move(service) : makeDefault_());
        return previous;
    }

  private:
    void store(std::shared_ptr<T> service) {
        owner_ = std::move(service);
        current_.store(owner_.get(), std::memory_order_release);
    }

    Factory makeDefault_;
    std::mutex mutex_;
    std::shared_ptr<T> owner_;
    std::atomic<T*> current_{nullptr};
};

}  // namespace tavix::platform
