#include "platform/linux/input/MagicMouseNodes.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

namespace tavix::platform::input {
namespace {

std::string readLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::optional<uint16_t> readHex(const std::filesystem::path& file) {
    const std::string text = readLine(file);
    uint16_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc{} || end == text.data()) return std::nullopt;
    return value;
}

}  // namespace

std::vector<MagicMouseNode> findMagicMouseNodes(const std::filesystem::path& sysClassInput,
                                                const std::filesystem::path& devInput) {
    std::vector<MagicMouseNode> nodes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(sysClassInput, ec)) {
        const std::string node = entry.path().filename().string();
        if (!std::string_view(node).starts_with("event")) continue;
        const auto device = entry.path() / "device";
        const auto bus = readHex(device / "id" / "bustype");
        const auto vendor = readHex(device / "id" / "vendor");
        const auto product = readHex(device / "id" / "product");
        if (!bus || !vendor || !product) continue;
        const auto model = magicMouseModel(*vendor, *product);
        if (!model) continue;
        nodes.push_back({devInput / node, *bus, *model, readLine(device / "name"),
                         readLine(device / "uniq"), readLine(device / "phys")});
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const auto& a, const auto& b) { return a.devnode < b.devnode; });
    return nodes;
}

}  // namespace tavix::platform::input
