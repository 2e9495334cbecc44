#include "platform/preferences/linux/PlistPreferenceStore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScopedEnvironment;
using testing::writeFile;

const PreferenceDomain kMouse = PreferenceDomain::application("com.apple.AppleMultitouchMouse");

class PlistPreferenceStoreTest : public ::testing::Test {
  protected:
    fs::path fileOf(const PreferenceDomain& domain) const { return *store.fileFor(domain); }

    testing::TempDirectory dir;
    PlistPreferenceStore store{dir.path()};
};

TEST_F(PlistPreferenceStoreTest, ValuesOfEachTypeSurviveTheFile) {
    const std::vector<std::pair<std::string, PreferenceValue>> values{
        {"on", true},
        {"off", false},
        {"three", std::int64_t{3}},
        {"lowest", std::numeric_limits<std::int64_t>::min()},
        {"speed", 0.1},
        {"whole", 3.0},
        {"title", std::string("点按右侧 <&> \"x\"")},
    };
    for (const auto& [key, value] : values) store.setValue(key, value, kMouse);
    // Seen here at once, by others only once synchronised.
    EXPECT_EQ(store.copyValue("three", kMouse), PreferenceValue(std::int64_t{3}));
    EXPECT_FALSE(PlistPreferenceStore(dir.path()).copyValue("three", kMouse));

    ASSERT_TRUE(store.synchronize(kMouse));
    const PlistPreferenceStore reader(dir.path());
    for (const auto& [key, value] : values) EXPECT_EQ(reader.copyValue(key, kMouse), value) << key;
    EXPECT_FALSE(reader.copyValue("missing", kMouse));
}

TEST_F(PlistPreferenceStoreTest, EachDomainIsItsOwnFileInsideTheFolder) {
    store.setValue("k", std::int64_t{1}, PreferenceDomain::global());
    store.setValue("k", std::int64_t{2}, kMouse);
    EXPECT_TRUE(store.synchronize(PreferenceDomain::global()));
    EXPECT_TRUE(store.synchronize(kMouse));
    EXPECT_TRUE(fs::exists(dir.path() / ".GlobalPreferences.plist"));
    EXPECT_TRUE(fs::exists(dir.path() / "com.apple.AppleMultitouchMouse.plist"));
    EXPECT_EQ(store.copyValue("k", PreferenceDomain::global()), PreferenceValue(std::int64_t{1}));

    for (const char* bad : {"", "..", "../escape", "a/b"}) {
        const auto domain = PreferenceDomain::application(bad);
        store.setValue("k", true, domain);
        EXPECT_FALSE(store.synchronize(domain)) << bad;
        EXPECT_FALSE(store.copyValue("k", domain)) << bad;
    }
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "escape.plist"));
}

TEST_F(PlistPreferenceStoreTest, UnparsableFileReadsAsEmptyAndIsKeptBeforeReplacement) {
    for (const std::string& garbage :
         {std::string("not a property list"), std::string(),
          std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")}) {
        const fs::path file = fileOf(kMouse);
        writeFile(file, garbage);
        EXPECT_FALSE(store.copyValue("k", kMouse));
        store.setValue("k", true, kMouse);
        ASSERT_TRUE(store.synchronize(kMouse));
        EXPECT_EQ(readFile(fs::path(file) += ".corrupt"), garbage);
        EXPECT_EQ(PlistPreferenceStore(dir.path()).copyValue("k", kMouse), PreferenceValue(true));
    }
}

TEST_F(PlistPreferenceStoreTest, FileThatCannotBeReadIsNeverReplaced) {
    fs::create_directories(fileOf(kMouse));
    store.setValue("k", true, kMouse);
    EXPECT_FALSE(store.synchronize(kMouse));
    EXPECT_TRUE(fs::is_directory(fileOf(kMouse)));
}

TEST_F(PlistPreferenceStoreTest, CrashBeforeTheRenameLeavesTheOldFileIntact) {
    store.setValue("speed", 1.0, kMouse);
    ASSERT_TRUE(store.synchronize(kMouse));
    const std::string before = readFile(fileOf(kMouse));
    const fs::path newContents = dir.path() / "new-contents";

    EXPECT_EXIT(
        {
            PlistPreferenceStore crashing(dir.path(), [&](const fs::path& temporary) {
                fs::copy_file(temporary, newContents);
                std::_Exit(7);
            });
            crashing.setValue("speed", 2.0, kMouse);
            crashing.synchronize(kMouse);
        },
        ::testing::ExitedWithCode(7), "");

    EXPECT_EQ(readFile(fileOf(kMouse)), before);
    EXPECT_EQ(store.copyValue("speed", kMouse), PreferenceValue(1.0));
    // The write itself had completed: only the replacement was missing.
    fs::rename(newContents, fileOf(kMouse));
    EXPECT_EQ(store.copyValue("speed", kMouse), PreferenceValue(2.0));
}

TEST(PlistPreferenceStoreLocationTest, FollowsXdgConfigHomeThenHome) {
    ScopedEnvironment home("HOME", "/home/someone");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/elsewhere/config");
        EXPECT_EQ(PlistPreferenceStore::defaultDirectory(),
                  fs::path("/elsewhere/config/tavix/preferences"));
    }
    for (const char* ignored : {"relative/config", "", static_cast<const char*>(nullptr)}) {
        ScopedEnvironment config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(PlistPreferenceStore::defaultDirectory(),
                  fs::path("/home/someone/.config/tavix/preferences"));
    }
}

// Another reader and writer of the format: Python's plistlib.
class PlistInteroperabilityTest : public PlistPreferenceStoreTest {
  protected:
    void SetUp() override {
        if (std::system("command -v python3 >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "python3 not found";
        }
    }

    std::string python(const std::string& script) const {
        const fs::path file = dir.path() / "script.py";
        writeFile(file, script);
        const std::string command =
            "python3 '" + file.string() + "' '" + fileOf(kMouse).string() + "'";
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
            EXPECT_EQ(pclose(pipe), 0) << output;
        }
        return output;
    }
};

TEST_F(PlistInteroperabilityTest, PythonReadsTheTypesTavixWrote) {
    store.setValue("flag", true, kMouse);
    store.setValue("code", std::int64_t{-3}, kMouse);
    store.setValue("speed", 0.3125, kMouse);
    store.setValue("whole", 2.0, kMouse);
    store.setValue("mode", std::string("TwoButtonSwapped"), kMouse);
    ASSERT_TRUE(store.synchronize(kMouse));
    EXPECT_EQ(python("import plistlib, sys\n"
                     "d = plistlib.load(open(sys.argv[1], 'rb'), fmt=plistlib.FMT_XML)\n"
                     "for k in sorted(d): print(k, type(d[k]).__name__, repr(d[k]))\n"),
              "code int -3\nflag bool True\nmode str 'TwoButtonSwapped'\nspeed float 0.3125\n"
              "whole float 2.0\n");
}

TEST_F(PlistInteroperabilityTest, WritesKeepKeysTavixDoesNotKnowInEitherFormat) {
    for (const char* format : {"FMT_XML", "FMT_BINARY"}) {
        python(std::string("import plistlib, sys, datetime\n"
                           "d = {'when': datetime.datetime(2020, 1, 2, 3, 4, 5), 'list': [1, 'a'],"
                           " 'blob': b'\\x00\\x01', 'speed': 1.25, 'on': False}\n"
                           "plistlib.dump(d, open(sys.argv[1], 'wb'), fmt=plistlib.") +
               format + ")\n");
        EXPECT_EQ(store.copyValue("speed", kMouse), PreferenceValue(1.25)) << format;
        EXPECT_EQ(store.copyValue("on", kMouse), PreferenceValue(false)) << format;
        EXPECT_FALSE(store.copyValue("list", kMouse)) << format;

        store.setValue("added", std::int64_t{1}, kMouse);
        ASSERT_TRUE(store.synchronize(kMouse));
        EXPECT_EQ(python("import plistlib, sys\n"
                         "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                         "print(d['when'].isoformat(), d['list'], d['blob'], d['speed'],"
                         " d['on'], d['added'])\n"),
                  "2020-01-02T03:04:05 [1, 'a'] b'\\x00\\x01' 1.25 False 1\n")
            << format;
        EXPECT_FALSE(fs::exists(fs::path(fileOf(kMouse)) += ".corrupt"));
    }
}

}  // namespace
}  // namespace tavix::platform
