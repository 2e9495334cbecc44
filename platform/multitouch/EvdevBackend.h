#pragma once

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "platform/linux/input/MagicMouseReader.h"
#include "platform/multitouch/Backend.h"

namespace tavix::platform::mt {

// Real Magic Mice: the nodes the shared reader has open, their frames decoded from the kernel's
// multitouch slots. Nothing else is ever listed.
class EvdevBackend final : public Backend, private input::MagicMouseListener {
  public:
    // Where frames go: Framework::deliver in the framework file, a test's hand elsewhere.
    using Deliver = std::function<void(uint64_t key, MTContact* records, int32_t count,
                                       double timestamp, int32_t frame)>;

    EvdevBackend(input::MagicMouseReader& reader, Deliver deliver);
    ~EvdevBackend() override;
    EvdevBackend(const EvdevBackend&) = delete;
    EvdevBackend& operator=(const EvdevBackend&) = delete;

    std::optional<Listing> devices() override;

  private:
    void frame(const input::MagicMouseDevice& device, const input::DecodedFrame& frame) override;
    void closed(const input::MagicMouseDevice& device) override;

    input::MagicMouseReader& reader_;
    const Deliver deliver_;
    // Reader thread only.
    std::vector<MTContact> records_;
    // The openings whose last frame had contacts, with that frame's time and number.
    std::map<uint64_t, std::pair<double, int32_t>> touching_;
};

}  // namespace tavix::platform::mt
