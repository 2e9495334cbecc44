#pragma once

#include "platform/linux/output/KeyChord.h"

namespace tavix::platform::output {

// Where the desktop actions send a key chord: pressed and released at once.
class ChordOutput {
  public:
    virtual ~ChordOutput() = default;
    virtual void pressChord(const KeyChord& chord) = 0;
};

}  // namespace tavix::platform::output
