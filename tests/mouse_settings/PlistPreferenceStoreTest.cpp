#include "platform/preferences/linux/PlistPreferenceStore.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <limits>

#include "tests/mouse_settings/TempDirectory.h"
#include "tests/support/DecimalComma.h"

namespace tavix::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScopedEnvironment;
using testing::writeFile;

const PreferenceDomain kMouse = PreferenceDomain::application("com.apple.AppleMultitouchMouse");

std::string repeat(std::string_view text, std::size_t times) {
    std::string repeated;
    repeated.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) repeated += text;
    return repeated;
}

std::string xmlPlist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>\n";
}

std::string bigEndian32(std::uint64_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
    return bytes;
}

// A binary property list of objects 0…n-1 (references four bytes wide) whose object i is an
// array referring `width` times to object i+1, and whose last object is `true`.
std::string chainOfArrays(std::size_t count, unsigned width) {
    std::string plist = "bplist00";
    std::string offsets;
    for (std::size_t i = 0; i < count; ++i) {
        offsets += bigEndian32(plist.size());
        if (i + 1 == count) {
            plist += '\x09';
        } else {
            plist += static_cast<char>(0xA0 | width);
            for (unsigned w = 0; w < width; ++w) plist += bigEndian32(i + 1);
        }
    }
    const std::size_t table = plist.size();
    plist += offsets;
    plist += std::string(6, '\0') + "\x04\x04";
    for (const std::uint64_t field :
         {std::uint64_t{count}, std::uint64_t{0}, std::uint64_t{table}}) {
        plist += std::string(4, '\0') + bigEndian32(field);
    }
    return plist;
}

class PlistPreferenceStoreTest : public ::testing::Test {
  protected:
    fs::path fileOf(const PreferenceDomain& domain) const { return *store.fileFor(domain); }

    testing::TempDirectory dir;
    PlistPreferenceStore store{dir.path()};
};

// On a German desktop too, where the C library reads "0.1" as 0.
TEST_F(PlistPreferenceStoreTest, ValuesOfEachTypeSurviveTheFile) {
    const tavix::testing::DecimalComma comma;
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

TEST_F(PlistPreferenceStoreTest, HostileFileReadsAsEmptyAndEveryOneIsKeptAside) {
    const std::vector<std::pair<std::string, std::string>> hostile{
        {"text", "not a property list"},
        {"empty", ""},
        {"array at the root", xmlPlist("<array/>")},
        {"XML nested 300000 deep", xmlPlist("<dict><key>k</key>" + repeat("<array>", 300000) +
                                            repeat("</array>", 300000) + "</dict>")},
        {"XML of 150000 elements",
         xmlPlist("<dict><key>k</key><array>" + repeat("<true/>", 150000) + "</array></dict>")},
        {"binary nested 300000 deep", chainOfArrays(300000, 1)},
        {"binary of 2^48 shared references", chainOfArrays(49, 2)},
    };
    const fs::path file = fileOf(kMouse);
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        const auto& [what, bytes] = hostile[i];
        writeFile(file, bytes);
        EXPECT_FALSE(store.copyValue("k", kMouse)) << what;
        store.setValue("k", static_cast<std::int64_t>(i), kMouse);
        ASSERT_TRUE(store.synchronize(kMouse)) << what;
        EXPECT_EQ(PlistPreferenceStore(dir.path()).copyValue("k", kMouse),
                  PreferenceValue(static_cast<std::int64_t>(i)))
            << what;
    }
    // Each under a name of its own: a second bad file never replaces the first one's copy.
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        fs::path kept = fs::path(file) += ".corrupt";
        if (i > 0) kept += "." + std::to_string(i);
        EXPECT_TRUE(readFile(kept) == hostile[i].second) << hostile[i].first;
    }
}

TEST_F(PlistPreferenceStoreTest, KeptCopyFollowsNoLinkAndIsCompleteBeforeTheFileIsReplaced) {
    const fs::path file = fileOf(kMouse);
    const fs::path elsewhere = dir.path() / "elsewhere";
    writeFile(elsewhere, "precious");
    fs::create_symlink(elsewhere, fs::path(file) += ".corrupt");
    writeFile(file, "garbage");

    EXPECT_EXIT(
        {
            PlistPreferenceStore crashing(dir.path(), [](const fs::path&) { std::_Exit(7); });
            crashing.setValue("k", true, kMouse);
            crashing.synchronize(kMouse);
        },
        ::testing::ExitedWithCode(7), "");

    EXPECT_EQ(readFile(elsewhere), "precious");
    EXPECT_EQ(readFile(file), "garbage");
    EXPECT_EQ(readFile(fs::path(file) += ".corrupt.1"), "garbage");
}

TEST_F(PlistPreferenceStoreTest, TwoProcessesWritingAtOnceLoseNoKey) {
    constexpr int kKeysEach = 150;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> writers;
    for (const std::string prefix : {"a", "b"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char go = 0;
            (void)!::read(start[0], &go, 1);
            PlistPreferenceStore own(dir.path());
            bool synchronized = true;
            for (int i = 0; i < kKeysEach; ++i) {
                own.setValue(prefix + std::to_string(i), std::int64_t{i}, kMouse);
                synchronized = own.synchronize(kMouse) && synchronized;
            }
            std::_Exit(synchronized ? 0 : 1);
        }
        writers.push_back(pid);
    }
    // Closing the pipe releases both writers at once.
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    int lost = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kKeysEach; ++i) {
            lost += store.copyValue(prefix + std::to_string(i), kMouse) !=
                    PreferenceValue(std::int64_t{i});
        }
    }
    EXPECT_EQ(lost, 0);
    EXPECT_FALSE(fs::exists(fs::path(fileOf(kMouse)) += ".corrupt"));
}

TEST_F(PlistPreferenceStoreTest, OddFilesAtThePath) {
    // A FIFO is neither read nor replaced, and nothing waits for a writer to open it.
    const fs::path fifo = fileOf(kMouse);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto withoutBlocking = [&](auto operation) {
        auto result = std::async(std::launch::async, operation);
        if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "blocked on a FIFO";
            ::close(::open(fifo.c_str(), O_WRONLY));  // lets the blocked call return
        }
        return result.get();
    };
    store.setValue("k", true, kMouse);
    EXPECT_FALSE(withoutBlocking([&] { return store.copyValue("other", kMouse).has_value(); }));
    EXPECT_FALSE(withoutBlocking([&] { return store.synchronize(kMouse); }));
    EXPECT_TRUE(fs::is_fifo(fifo));

    // Missing folders are private whatever the umask.
    const fs::path config = dir.path() / "config";
    const fs::path folder = config / "tavix" / "preferences";
    PlistPreferenceStore fresh(folder);
    fresh.setValue("k", true, kMouse);
    const mode_t previousUmask = ::umask(0);
    EXPECT_TRUE(fresh.synchronize(kMouse));
    ::umask(previousUmask);
    for (const fs::path& created : {config, config / "tavix", folder}) {
        EXPECT_EQ(fs::status(created).permissions(), fs::perms::owner_all) << created;
    }

    // A linked file (as dotfile managers make them) is written through, in the target's folder.
    const fs::path dotfiles = dir.path() / "dotfiles";
    fs::create_directories(dotfiles);
    writeFile(dotfiles / "global.plist", xmlPlist("<dict><key>kept</key><true/></dict>"));
    const auto global = PreferenceDomain::global();
    const auto bluetooth =
        PreferenceDomain::application("com.apple.driver.AppleBluetoothMultitouch.mouse");
    fs::create_symlink("../../../dotfiles/global.plist", *fresh.fileFor(global));
    fs::create_symlink(dotfiles / "not-yet.plist", *fresh.fileFor(bluetooth));
    for (const auto& domain : {global, bluetooth}) {
        fresh.setValue("added", std::int64_t{1}, domain);
        EXPECT_TRUE(fresh.synchronize(domain)) << domain.name();
        EXPECT_TRUE(fs::is_symlink(*fresh.fileFor(domain))) << domain.name();
        EXPECT_EQ(fresh.copyValue("added", domain), PreferenceValue(std::int64_t{1}));
    }
    EXPECT_EQ(fresh.copyValue("kept", global), PreferenceValue(true));
    std::vector<std::string> targets;
    for (const auto& entry : fs::directory_iterator(dotfiles)) {
        targets.push_back(entry.path().filename().string());
    }
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets, (std::vector<std::string>{"global.plist", "not-yet.plist"}));
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

// Signed as most writers put them, or as the unsigned two's complement libplist 2.3 and later
// write for a negative value given as unsigned. Each keeps its meaning through a write.
TEST_F(PlistPreferenceStoreTest, IntegersReadAsTheSignedValuesTheyStoodFor) {
    constexpr auto kLowest = std::numeric_limits<std::int64_t>::min();
    const std::vector<std::pair<std::string, std::int64_t>> integers{
        {"-3", -3},
        {"18446744073709551613", -3},
        {"9223372036854775808", kLowest},
        {"-9223372036854775808", kLowest},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"4294967296", std::int64_t{1} << 32},
    };
    for (const auto& [text, value] : integers) {
        writeFile(fileOf(kMouse),
                  xmlPlist("<dict><key>k</key><integer>" + text + "</integer></dict>"));
        EXPECT_EQ(store.copyValue("k", kMouse), PreferenceValue(value)) << text;
        store.setValue("added", true, kMouse);
        ASSERT_TRUE(store.synchronize(kMouse));
        EXPECT_EQ(store.copyValue("k", kMouse), PreferenceValue(value)) << text;
    }
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
    store.setValue("lowest", std::numeric_limits<std::int64_t>::min(), kMouse);
    store.setValue("speed", 0.3125, kMouse);
    store.setValue("whole", 2.0, kMouse);
    store.setValue("mode", std::string("TwoButtonSwapped"), kMouse);
    ASSERT_TRUE(store.synchronize(kMouse));
    EXPECT_EQ(python("import plistlib, sys\n"
                     "d = plistlib.load(open(sys.argv[1], 'rb'), fmt=plistlib.FMT_XML)\n"
                     "for k in sorted(d): print(k, type(d[k]).__name__, repr(d[k]))\n"),
              "code int -3\nflag bool True\nlowest int -9223372036854775808\n"
              "mode str 'TwoButtonSwapped'\nspeed float 0.3125\n"
              "whole float 2.0\n");
}

TEST_F(PlistInteroperabilityTest, WritesKeepKeysTavixDoesNotKnowInEitherFormat) {
    // Nesting and shared references within the limits, as real files have them, are no reason
    // to set a file aside.
    const std::string depth =
        "def depth(x): return 1 + depth(x[0]) if isinstance(x, list) else 0\n";
    for (const char* format : {"FMT_XML", "FMT_BINARY"}) {
        python(std::string("import plistlib, sys, datetime\n"
                           "deep = 1\n"
                           "for _ in range(100): deep = [deep]\n"
                           "pair = [1, 'a']\n"
                           "d = {'when': datetime.datetime(2020, 1, 2, 3, 4, 5), 'list': pair,"
                           " 'deep': deep, 'shared': [pair] * 5000,"
                           " 'blob': b'\\x00\\x01', 'speed': 1.25, 'on': False, 'code': -3}\n"
                           "plistlib.dump(d, open(sys.argv[1], 'wb'), fmt=plistlib.") +
               format + ")\n");
        EXPECT_EQ(store.copyValue("speed", kMouse), PreferenceValue(1.25)) << format;
        EXPECT_EQ(store.copyValue("on", kMouse), PreferenceValue(false)) << format;
        EXPECT_EQ(store.copyValue("code", kMouse), PreferenceValue(std::int64_t{-3})) << format;
        EXPECT_FALSE(store.copyValue("list", kMouse)) << format;

        store.setValue("added", std::int64_t{1}, kMouse);
        ASSERT_TRUE(store.synchronize(kMouse));
        EXPECT_EQ(python("import plistlib, sys\n" + depth +
                         "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                         "print(d['when'].isoformat(), d['list'], d['blob'], d['speed'],"
                         " d['on'], d['added'], d['code'], depth(d['deep']), len(d['shared']))\n"),
                  "2020-01-02T03:04:05 [1, 'a'] b'\\x00\\x01' 1.25 False 1 -3 100 5000\n")
            << format;
        EXPECT_FALSE(fs::exists(fs::path(fileOf(kMouse)) += ".corrupt"));
    }
}

TEST_F(PlistInteroperabilityTest, StringsOtherReadersWouldRejectAreNeverWritten) {
    const std::vector<std::string> refused{
        "bell\x07",     std::string("cut\0here", 8), "cr\r", "\xff", "\xc0\x80", "\xed\xa0\x80",
        "\xef\xbf\xbe", "\xf4\x90\x80\x80",
    };
    const fs::path file = fileOf(kMouse);
    store.setValue("text", std::string("tab\t line\n ]]> &amp; <x> \xe7\x82\xb9 \xf0\x9f\x90\xad"),
                   kMouse);
    for (std::size_t i = 0; i < refused.size(); ++i) {
        store.setValue("refused" + std::to_string(i), refused[i], kMouse);
        store.setValue(refused[i], true, kMouse);
        EXPECT_FALSE(store.copyValue("refused" + std::to_string(i), kMouse)) << i;
    }
    // The accepted value is written; the refusal is reported.
    EXPECT_FALSE(store.synchronize(kMouse));
    EXPECT_EQ(
        python("import plistlib, sys\n"
               "print(ascii(plistlib.load(open(sys.argv[1], 'rb'), fmt=plistlib.FMT_XML)))\n"),
        "{'text': 'tab\\t line\\n ]]> &amp; <x> \\u70b9 \\U0001f42d'}\n");

    // Such a string from another writer's binary file, as a value or as a key (UTF-16 there), is
    // not turned into unreadable XML: the file stays as it was.
    for (const char* odd : {"{'odd': 'a\\x01b'}", "{'\\xe9\\x00': 1}"}) {
        python(std::string("import plistlib, sys\nplistlib.dump(") + odd +
               ", open(sys.argv[1], 'wb'), fmt=plistlib.FMT_BINARY)\n");
        const std::string before = readFile(file);
        store.setValue("added", true, kMouse);
        EXPECT_FALSE(store.synchronize(kMouse)) << odd;
        EXPECT_EQ(readFile(file), before) << odd;
    }
}

}  // namespace
}  // namespace tavix::platform
