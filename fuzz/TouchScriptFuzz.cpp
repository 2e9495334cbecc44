#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "Tavix/events/Actions.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "replay/Replay.h"

namespace {

// Every log line is a JSON object with a time, whatever the script.
void checkLog(const std::string& log) {
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        if (!object.is_object() || !object.contains("t") || !object["t"].is_number()) std::abort();
    }
}

// A script stops with exactly one short line of printable text, or plays with none.
void checkErrors(int status, const std::string& errors) {
    if (status == 0) {
        if (!errors.empty()) std::abort();
        return;
    }
    const auto controls = std::count_if(
        errors.begin(), errors.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (status != 2 || controls != 1 || errors.back() != '\n' || errors.size() > 1200) {
        std::abort();
    }
}

}  // namespace

// A whole script, any number of lines, through the tool's own path: parse, playback through the
// simulated framework, the manager, the engine, the actions and the tap, and the event log.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavix;
    std::ostringstream log, errors;
    int status = 0;
    {
        replay::Replay replay(log, MultitouchManager::frameworkPath());
        replay::LineReader script(std::string(reinterpret_cast<const char*>(data), size));
        status = replay.play(script, errors);
        // The next script meets the shared engine as a fresh process would: no finger down, the
        // default configuration, events posted.
        auto& engine = GestureEngine::shared();
        engine.setConfig({});
        engine.process({});
        Actions::dryRun = false;
    }
    checkLog(log.str());
    checkErrors(status, errors.str());
    return 0;
}
