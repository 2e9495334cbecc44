#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "platform/linux/input/InputAccess.h"
#include "platform/linux/input/MagicMouseModels.h"
#include "platform/linux/input/PhysicalInput.h"
#include "platform/linux/input/PointerLocator.h"

namespace tavix::platform::input {
namespace {

namespace fs = std::filesystem;

TEST(InputAccess, TrustMeansEveryMagicMouseNodeCanBeRead) {
    const fs::path root = fs::temp_directory_path() / ("tavix-access-" + std::to_string(getpid()));
    fs::remove_all(root);
    const auto sys = root / "sys";
    const auto dev = root / "dev";
    fs::create_directories(dev);
    auto addNode = [&](const char* node, const char* product) {
        fs::create_directories(sys / node / "device" / "id");
        std::ofstream(sys / node / "device" / "id" / "bustype") << "0005\n";
        std::ofstream(sys / node / "device" / "id" / "vendor") << "05ac\n";
        std::ofstream(sys / node / "device" / "id" / "product") << product << "\n";
        std::ofstream(dev / node) << "";
    };
    EXPECT_TRUE(canReadMagicMice(sys, dev));  // no mouse: nothing refused
    addNode("event3", "030d");
    addNode("event4", "030e");  // a trackpad: not ours to read
    EXPECT_TRUE(canReadMagicMice(sys, dev));
    if (geteuid() != 0) {  // root reads everything
        fs::permissions(dev / "event4", fs::perms::none);
        EXPECT_TRUE(canReadMagicMice(sys, dev));
        fs::permissions(dev / "event3", fs::perms::none);
        EXPECT_FALSE(canReadMagicMice(sys, dev));
    }
    EXPECT_FALSE(canWriteUinput(root / "no-uinput"));
    std::ofstream(root / "uinput") << "";
    EXPECT_TRUE(canWriteUinput(root / "uinput"));
    fs::remove_all(root);
}

TEST(PointerLocator, X11SessionsAskTheServerAndEverythingElseSumsTheMotion) {
    using Source = PointerLocator::Source;
    EXPECT_EQ(PointerLocator::sourceFor("x11", ":0", nullptr), Source::x11);
    EXPECT_EQ(PointerLocator::sourceFor("wayland", ":0", "wayland-0"), Source::relativeMotion);
    EXPECT_EQ(PointerLocator::sourceFor("x11", nullptr, nullptr), Source::relativeMotion);
    EXPECT_EQ(PointerLocator::sourceFor(nullptr, ":1", nullptr), Source::x11);
    EXPECT_EQ(PointerLocator::sourceFor("", ":1", "wayland-1"), Source::relativeMotion);
    EXPECT_EQ(PointerLocator::sourceFor("tty", nullptr, nullptr), Source::relativeMotion);
}

}  // namespace
}  // namespace tavix::platform::input

namespace tavix::platform::input {
namespace {

// The udev rule opens up exactly the models of the table: no more, no fewer.
TEST(UdevRule, GrantsTheMagicMiceOfTheModelTableAndUinputOnly) {
    std::ifstream rules(TAVIX_UDEV_RULES);
    ASSERT_TRUE(rules);
    std::set<std::pair<std::string, std::string>> granted;
    int uinput = 0;
    std::string line;
    const std::regex mouse(
        R"re(ATTRS\{id/vendor\}=="([0-9a-f]{4})", ATTRS\{id/product\}=="([0-9a-f]{4})", TAG\+="uaccess")re");
    while (std::getline(rules, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::smatch m;
        if (std::regex_search(line, m, mouse)) {
            EXPECT_NE(line.find(R"(SUBSYSTEM=="input", KERNEL=="event*")"), std::string::npos);
            granted.insert({m[1], m[2]});
        } else if (line.find("uaccess") != std::string::npos) {
            EXPECT_NE(line.find(R"(KERNEL=="uinput")"), std::string::npos) << line;
            ++uinput;
        }
    }
    std::set<std::pair<std::string, std::string>> models;
    for (const auto& model : kMagicMouseModels) {
        char vendor[8];
        char product[8];
        std::snprintf(vendor, sizeof vendor, "%04x", model.vendor);
        std::snprintf(product, sizeof product, "%04x", model.product);
        models.insert({vendor, product});
    }
    EXPECT_EQ(granted, models);
    EXPECT_EQ(uinput, 1);
}

}  // namespace
}  // namespace tavix::platform::input
