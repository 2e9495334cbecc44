#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/replay/TouchScript.h"

// Any line a user might put in a touch script is either read or refused with a reason.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = tavix::replay::parseLine(text);
    if (const auto* timed = std::get_if<tavix::replay::line::Timed>(&parsed.line)) {
        if (const auto* config = std::get_if<tavix::replay::line::Config>(&timed->action)) {
            tavix::GestureConfig changed;
            tavix::replay::applyConfig(*config, changed);
        }
    }
    return 0;
}
