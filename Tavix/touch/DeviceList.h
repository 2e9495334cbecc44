#pragma once

#include <cstdint>
#include <utility>

namespace tavix {

// The functions that read and release the framework's device list; Core Foundation's array
// functions stand here on the original platform.
struct ArrayFunctions {
    intptr_t (*count)(void* array) = nullptr;
    void* (*at)(void* array, intptr_t index) = nullptr;
    void (*release)(void* array) = nullptr;

    bool complete() const { return count && at && release; }
};

// A device list owned by the application: the framework keeps its handles valid until the list
// is released, which happens exactly once.
class DeviceList {
  public:
    DeviceList(void* array, ArrayFunctions functions) : array_(array), functions_(functions) {}
    DeviceList(DeviceList&& other) noexcept
        : array_(std::exchange(other.array_, nullptr)), functions_(other.functions_) {}
    DeviceList& operator=(DeviceList&& other) noexcept {
        if (this != &other) {
            release();
            array_ = std::exchange(other.array_, nullptr);
            functions_ = other.functions_;
        }
        return *this;
    }
    ~DeviceList() { release(); }

    intptr_t count() const { return functions_.count(array_); }
    // May be null.
    void* at(intptr_t index) const { return functions_.at(array_, index); }

  private:
    void release() {
        if (array_) functions_.release(std::exchange(array_, nullptr));
    }

    void* array_;
    ArrayFunctions functions_;
};

}  // namespace tavix
