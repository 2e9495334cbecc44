#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace tavix {

// A small set of contact identifiers kept inline: the fingers of a three-finger tap or of a
// zoom pair. Elements beyond capacity are not stored.
template <std::size_t Capacity>
class ContactSet {
  public:
    ContactSet() = default;

    void insert(int32_t id) {
        if (contains(id) || size_ == Capacity) return;
        // Kept sorted so that equal sets compare equal element by element.
        std::size_t at = size_++;
        for (; at > 0 && ids_[at - 1] > id; --at) ids_[at] = ids_[at - 1];
        ids_[at] = id;
    }
    bool contains(int32_t id) const { return std::find(begin(), end(), id) != end(); }
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    void clear() { size_ = 0; }

    const int32_t* begin() const { return ids_.data(); }
    const int32_t* end() const { return ids_.data() + size_; }

    friend bool operator==(const ContactSet& a, const ContactSet& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

  private:
    std::array<int32_t, Capacity> ids_{};
    std::size_t size_ = 0;
};

}  // namespace tavix
