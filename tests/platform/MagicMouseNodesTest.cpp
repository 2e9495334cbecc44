#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/input/MagicMouseNodes.h"

namespace tavix::platform::input {
namespace {

namespace fs = std::filesystem;

struct FakeSysfs {
    fs::path root = fs::temp_directory_path() / ("tavix-sysfs-" + std::to_string(getpid()));
    FakeSysfs() { fs::remove_all(root); }
    ~FakeSysfs() { fs::remove_all(root); }

    void add(const std::string& node, const char* bus, const char* vendor, const char* product,
             const char* uniq = "") {
        const auto device = root / node / "device";
        fs::create_directories(device / "id");
        std::ofstream(device / "id" / "bustype") << bus << "\n";
        std::ofstream(device / "id" / "vendor") << vendor << "\n";
        std::ofstream(device / "id" / "product") << product << "\n";
        std::ofstream(device / "name") << "test device\n";
        std::ofstream(device / "uniq") << uniq << "\n";
    }
};

TEST(MagicMouseNodes, FindsOnlyMagicMiceAmongTheEventNodes) {
    FakeSysfs sys;
    sys.add("event7", "0005", "004c", "0269", "aa:bb:cc:dd:ee:ff");
    sys.add("event3", "0005", "05ac", "030d");
    sys.add("event4", "0005", "004c", "0265");  // a Magic Trackpad 2
    sys.add("event1", "0003", "046d", "c52b");  // a keyboard receiver
    sys.add("mouse0", "0005", "05ac", "030d");  // not an event node
    sys.add("event9", "0005", "zz", "0269");    // unreadable IDs
    fs::create_directories(sys.root / "event5");  // no device link at all

    const auto nodes = findMagicMouseNodes(sys.root, "/dev/input");
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].devnode, "/dev/input/event3");
    EXPECT_EQ(nodes[0].model.family, 112);
    EXPECT_EQ(nodes[1].devnode, "/dev/input/event7");
    EXPECT_EQ(nodes[1].model.family, 113);
    EXPECT_EQ(nodes[1].bustype, 5);
    EXPECT_EQ(nodes[1].uniq, "aa:bb:cc:dd:ee:ff");
    EXPECT_TRUE(findMagicMouseNodes(sys.root / "missing").empty());
}

}  // namespace
}  // namespace tavix::platform::input
