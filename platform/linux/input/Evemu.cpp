#include "platform/linux/input/Evemu.h"

#include <charconv>
#include <limits>
#include <sstream>
#include <string_view>

namespace tavix::platform::input {
namespace {

// Evemu writes event types below 0x20 and codes below 0x300 (the kernel's EV_MAX, KEY_MAX).
constexpr uint32_t kTypeLimit = 0x20;
constexpr uint32_t kCodeLimit = 0x300;

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t\r", start), text.size());
        out.push_back(text.substr(start, end - start));
        at = end;
    }
    return out;
}

template <class Int>
std::optional<Int> number(std::string_view text, int base) {
    Int value{};
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// "sec.usec": decimal seconds, then exactly six digits of microseconds.
std::optional<double> timeOf(std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const auto sec = number<uint64_t>(text.substr(0, dot), 10);
    const auto usec = number<uint32_t>(text.substr(dot + 1), 10);
    if (!sec || !usec || text.size() - dot - 1 != 6) return std::nullopt;
    return static_cast<double>(*sec) + *usec / 1e6;
}

}  // namespace

bool isEvemuHeader(std::string_view firstLine) {
    return firstLine.starts_with("# EVEMU");
}

std::optional<EvemuRecording> parseEvemu(std::istream& in, EvemuProblem& problem) {
    EvemuRecording recording;
    std::string text;
    auto fail = [&](std::size_t line, std::string what) {
        problem = {line, std::move(what)};
        return std::nullopt;
    };
    for (std::size_t line = 1; std::getline(in, text); ++line) {
        if (line == 1 && !isEvemuHeader(text)) return fail(line, "not an evemu recording");
        std::string_view body = text;
        body = body.substr(0, body.find('#'));
        const auto w = words(body);
        if (w.empty()) continue;
        const std::string_view kind = w[0];
        if (kind == "N:") {
            const std::size_t start = body.find("N:") + 2;
            const auto trimmed = words(body.substr(start));
            recording.name.clear();
            for (std::size_t i = 0; i < trimmed.size(); ++i) {
                if (i) recording.name += ' ';
                recording.name += trimmed[i];
            }
        } else if (kind == "I:") {
            if (w.size() != 5) return fail(line, "I: needs bus, vendor, product and version");
            const auto bus = number<uint16_t>(w[1], 16);
            const auto vendor = number<uint16_t>(w[2], 16);
            const auto product = number<uint16_t>(w[3], 16);
            if (!bus || !vendor || !product || !number<uint16_t>(w[4], 16)) {
                return fail(line, "I: values must be 16-bit hexadecimal numbers");
            }
            recording.bustype = *bus;
            recording.vendor = *vendor;
            recording.product = *product;
        } else if (kind == "P:" || kind == "B:" || kind == "L:" || kind == "S:") {
            for (std::size_t i = 1; i < w.size(); ++i) {
                if (!number<uint8_t>(w[i], 16)) {
                    return fail(line, std::string(kind) + " values must be hexadecimal bytes");
                }
            }
        } else if (kind == "A:") {
            if (w.size() != 6 && w.size() != 7)
                return fail(line, "A: needs code, min, max, fuzz, flat[, resolution]");
            const auto code = number<uint16_t>(w[1], 16);
            const auto min = number<int32_t>(w[2], 10);
            const auto max = number<int32_t>(w[3], 10);
            bool rest = true;
            for (std::size_t i = 4; i < w.size(); ++i) rest = rest && number<int32_t>(w[i], 10);
            if (!code || *code >= 0x40 || !min || !max || !rest) {
                return fail(line, "A: values are an axis code and decimal numbers");
            }
            recording.axes[*code] = {*min, *max};
        } else if (kind == "E:") {
            if (w.size() != 5) return fail(line, "E: needs time, type, code and value");
            const auto time = timeOf(w[1]);
            const auto type = number<uint32_t>(w[2], 16);
            const auto code = number<uint32_t>(w[3], 16);
            const auto value = number<int32_t>(w[4], 10);
            if (!time) return fail(line, "E: time must be seconds.microseconds");
            if (!type || *type >= kTypeLimit) return fail(line, "E: event type out of range");
            if (!code || *code >= kCodeLimit) return fail(line, "E: event code out of range");
            if (!value) return fail(line, "E: value must be a 32-bit decimal number");
            recording.events.push_back(
                {line,
                 {*time, {static_cast<uint16_t>(*type), static_cast<uint16_t>(*code), *value}}});
        } else {
            return fail(line, "unknown line kind \"" + std::string(kind) + "\"");
        }
    }
    return recording;
}

}  // namespace tavix::platform::input
