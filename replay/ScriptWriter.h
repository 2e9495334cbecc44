#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/Geometry.h"
#include "platform/linux/input/MagicMouseModels.h"
#include "platform/linux/input/MultitouchDecoder.h"

namespace tavix::replay {

// Writes what a Magic Mouse did as touch-script lines (docs of tavix-replay): its declaration,
// then per report the contact frame, the pointer (relative motion summed from (0, 0)), and the
// presses, left releases and scrolls as physical inputs, in the order the application meets them.
class ScriptWriter {
  public:
    explicit ScriptWriter(std::ostream& out) : out_(out) {}

    void device(int64_t handle, const platform::input::MagicMouseModel& model, uint64_t deviceID);
    void report(int64_t handle, double t, const platform::input::DecodedFrame& frame);
    // Any other timed line; `body` is its members after "t".
    void line(double t, const std::string& body);

  private:
    std::ostream& out_;
    Point pointer_;
};

}  // namespace tavix::replay
