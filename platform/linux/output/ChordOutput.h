#pragma once

#include "platform/linux/output/KeyChord.h"

namespace tavix::platform::output {

// Where the desktop actions send a key chord: pressed and released at once.
class ChordOutput {
  public:
    virtual ~ChordOutput() = default;
    // False when there is no keyboard to type it on: nothing reached the desktop.
    virtual bool pressChord(const KeyChord& chord) = 0;
};

}  // namespace tavix::platform::output
