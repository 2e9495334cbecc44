#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/input/Evemu.h"
#include "platform/linux/input/MultitouchDecoder.h"
#include "replay/EvemuInput.h"

namespace {

using namespace tavix::platform::input;

// What every decoded frame must be: at most the driver's slots, contacts that are fingers with
// a tracking id, positions that are numbers.
void check(const DecodedFrame& frame) {
    if (frame.contacts.size() > 16) std::abort();
    for (const auto& c : frame.contacts) {
        if (c.identifier < 0 || c.state != kContactTouching) std::abort();
        if (!std::isfinite(c.normalized.position.x) || !std::isfinite(c.normalized.position.y)) {
            std::abort();
        }
    }
}

}  // namespace

// Text starting with "# EVEMU" goes the whole way of tavix-replay's evemu input (parser, decoder,
// script writer); anything else is read as raw events (type, code, value: 8 bytes each) into
// the decoder, over axis ranges taken from the first bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (isEvemuHeader(text)) {
        tavix::replay::LineReader in(text);
        EvemuProblem problem;
        const auto script = tavix::replay::evemuScript(in, problem);
        if (!script && problem.what.empty()) std::abort();
        return 0;
    }
    if (size < 16) return 0;
    int32_t bounds[4];
    std::memcpy(bounds, data, sizeof bounds);
    MultitouchDecoder decoder(kMagicMouseSurface, {bounds[0], bounds[1]}, {bounds[2], bounds[3]});
    for (size_t at = 16; at + 8 <= size; at += 8) {
        InputEvent e;
        std::memcpy(&e.type, data + at, 2);
        std::memcpy(&e.code, data + at + 2, 2);
        std::memcpy(&e.value, data + at + 4, 4);
        if (decoder.feed({0, e})) check(decoder.frame());
    }
    return 0;
}
