#pragma once

#include "platform/sim/VirtualClock.h"

namespace tavix::ui::test {

// The clock every animation of the test process runs on; tests move it, nothing else does.
platform::VirtualClock& clock();

}  // namespace tavix::ui::test
