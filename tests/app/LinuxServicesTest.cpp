#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/linux/DevicePermissions.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/sim/SimulatedPlatform.h"
#include "tests/mouse_settings/TempDirectory.h"
#include "tests/touch/SimDevices.h"

namespace tavix::testing {
namespace {

namespace fs = std::filesystem;
using platform::LoginItemStatus;
using platform::XdgAutostart;

// A program path no shell could take unquoted.
const std::string kHostile = "a b \"q\" $HOME `id` 'x' \\ %f";
// All the Exec key's reserved characters; a % no desktop entry can hold for GLib.
const std::string kReserved = "a b \"q\" $HOME `id` 'x' \\ ~;&|<>*?#()";

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        output += "exit " + std::to_string(WEXITSTATUS(pclose(pipe)));
    }
    return output;
}

TEST(XdgAutostartTest, EntryRoundTripsAndValidatesWithAHostilePath) {
    TempDirectory home;
    ScopedEnvironment config("XDG_CONFIG_HOME", (home.path() / "config").c_str());
    const fs::path program = home.path() / kReserved / "tavix";
    fs::create_directories(program.parent_path());
    writeFile(program, "#!/bin/sh\ntouch '" + (home.path() / "launched").string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    XdgAutostart items(program.string());
    const fs::path entry = home.path() / "config" / "autostart" / "tavix.desktop";
    EXPECT_EQ(XdgAutostart::defaultEntry(), entry);
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);

    EXPECT_EQ(items.registerItem(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    EXPECT_EQ(run("desktop-file-validate '" + entry.string() + "' 2>&1"), "exit 0");
    // Quoted, escaped for the quotes, then for the string: each backslash written twice.
    const auto text = readFile(entry);
    EXPECT_NE(
        text.find("Exec=\"" + home.path().string() +
                  "/a b \\\\\"q\\\\\" \\\\$HOME \\\\`id\\\\` 'x' \\\\\\\\ ~;&|<>*?#()/tavix\"\n"),
        std::string::npos)
        << text;
    // A desktop starts it: GLib's own launcher runs exactly that program.
    EXPECT_EQ(run("gio launch '" + entry.string() + "' 2>&1"), "exit 0");
    EXPECT_TRUE(eventually([&] { return fs::exists(home.path() / "launched"); }));

    // The session manager's own switches count as off.
    writeFile(entry, text + "Hidden=true\n");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    writeFile(entry, "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    writeFile(entry, "[Other]\nHidden=true\n[Desktop Entry]\nHidden=false\n");
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);

    EXPECT_EQ(items.unregisterItem(), std::nullopt);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(items.unregisterItem(), std::nullopt);
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(XdgAutostart::execArgument("line\nbreak"), std::nullopt);
}

TEST(XdgAutostartTest, APathNoDesktopCouldStartIsAFailureAndWritesNothing) {
    TempDirectory home;
    const fs::path entry = home.path() / "autostart" / "tavix.desktop";
    for (const std::string& program :
         {(home.path() / "100%" / "tavix").string(), home.path().string() + "/caf\xe9/tavix",
          std::string("/usr/bin/tavix (deleted)"), std::string("tavix"),
          (home.path() / "missing").string()}) {
        if (fs::path(program).is_absolute() && program.find("missing") == std::string::npos) {
            fs::create_directories(fs::path(program).parent_path());
            writeFile(program, "#!/bin/sh\n");
            fs::permissions(program, fs::perms::owner_all);
        }
        XdgAutostart items(program, entry);
        const auto error = items.registerItem();
        ASSERT_TRUE(error) << program;
        EXPECT_NE(error->find(program), std::string::npos) << *error;
        EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
        EXPECT_TRUE(!fs::exists(entry.parent_path()) || fs::is_empty(entry.parent_path()));
    }
}

TEST(XdgAutostartTest, AFailedWriteIsReportedAndLeavesNothingBehind) {
    TempDirectory home;
    writeFile(home.path() / "autostart", "a file where the folder should be");
    XdgAutostart items("/usr/bin/tavix", home.path() / "autostart" / "tavix.desktop");
    const auto error = items.registerItem();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find((home.path() / "autostart").string()), std::string::npos) << *error;
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(std::distance(fs::directory_iterator(home.path()), fs::directory_iterator()), 1);
}

struct PermissionsFixture : ::testing::Test {
    PermissionsFixture() {
        fs::create_directories(dev);
        locations.sysClassInput = home.path() / "sys";
        locations.devInput = dev;
        locations.uinput = home.path() / "uinput";
        locations.rules = {home.path() / "rules.d" / "70-tavix.rules"};
        locations.helper = home.path() / "helper";
        locations.pkexec = home.path() / "pkexec";
        locations.helpPage = "file:///help.html";
        writeFile(locations.helper, "");
    }
    void addMouse(const std::string& node) {
        const auto device = locations.sysClassInput / node / "device";
        fs::create_directories(device / "id");
        writeFile(device / "id" / "bustype", "0005\n");
        writeFile(device / "id" / "vendor", "004c\n");
        writeFile(device / "id" / "product", "0269\n");
    }
    void fakePkexec(int status) {
        writeFile(locations.pkexec, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" +
                                        (home.path() / "pkexec.args").string() + "'\nexit " +
                                        std::to_string(status) + "\n");
        fs::permissions(locations.pkexec, fs::perms::owner_all);
    }
    // What requestGrants answered, once the main queue has run.
    std::optional<bool> ask(platform::DevicePermissions& permissions) {
        std::optional<bool> asked;
        permissions.requestGrants([&](bool a) { asked = a; });
        eventually([&] { return asked || sim.queue->drain() > 0; });
        sim.queue->drain();
        return asked;
    }

    platform::SimulatedPlatform sim;
    TempDirectory home;
    fs::path dev = home.path() / "dev";
    platform::DevicePermissions::Locations locations;
};

TEST_F(PermissionsFixture, TrustIsReadAccessToEveryMouseNodeAndPostingIsUinput) {
    using platform::MouseAccess;
    platform::DevicePermissions permissions(locations);
    EXPECT_TRUE(permissions.isTrusted());                        // no mouse, nothing refused
    EXPECT_EQ(permissions.mouseAccess(), MouseAccess::noMouse);  // … and nothing granted
    EXPECT_FALSE(permissions.canPostEvents());
    writeFile(locations.uinput, "");
    EXPECT_TRUE(permissions.canPostEvents());

    addMouse("event3");
    writeFile(dev / "event3", "");
    EXPECT_EQ(permissions.mouseAccess(), MouseAccess::granted);
    addMouse("event9");  // a node udev has not made, or made unreadable
    EXPECT_FALSE(permissions.isTrusted());
    EXPECT_EQ(permissions.mouseAccess(), MouseAccess::refused);
}

TEST_F(PermissionsFixture, GrantsAreAskedThroughPkexecOnlyWhileTheRuleIsMissing) {
    platform::DevicePermissions permissions(locations);
    EXPECT_EQ(ask(permissions), false);  // no pkexec

    fakePkexec(0);
    EXPECT_EQ(ask(permissions), true);
    EXPECT_EQ(readFile(home.path() / "pkexec.args"), locations.helper.string() + "\n");

    fakePkexec(126);  // dismissed
    EXPECT_EQ(ask(permissions), false);

    // A second request while the dialog is up opens no second dialog.
    writeFile(locations.pkexec, "#!/bin/sh\necho run >> '" +
                                    (home.path() / "pkexec.runs").string() + "'\nsleep 0.3\n");
    std::optional<bool> first;
    permissions.requestGrants([&](bool a) { first = a; });
    EXPECT_EQ(ask(permissions), true);
    ASSERT_TRUE(eventually([&] { return sim.queue->drain() > 0 && first; }));
    EXPECT_EQ(readFile(home.path() / "pkexec.runs"), "run\n");

    // Once the rule is in place, pkexec is not run again: only the help page can help.
    fakePkexec(0);
    fs::create_directories(home.path() / "rules.d");
    writeFile(locations.rules.front(), "");
    fs::remove(home.path() / "pkexec.args");
    EXPECT_EQ(ask(permissions), false);
    EXPECT_FALSE(fs::exists(home.path() / "pkexec.args"));
    EXPECT_EQ(permissions.helpPage(), "file:///help.html");
}

TEST(RuleHelperTest, TakesNoArguments) {
    EXPECT_EQ(run(std::string("sh -n '") + TAVIX_RULE_HELPER + "' 2>&1"), "exit 0");
    EXPECT_EQ(run(std::string("'") + TAVIX_RULE_HELPER + "' extra 2>/dev/null"), "exit 2");
    EXPECT_EQ(platform::DevicePermissions::configured().helper, fs::path(TAVIX_RULE_HELPER));
}

TEST(PackageRemovalTest, TakesTheAclFromEveryNodeNoRuleTagsAnyMore) {
    if (getuid() != 0) GTEST_SKIP() << "device nodes need root";
    TempDirectory home;
    const fs::path dev = home.path() / "dev";
    fs::create_directories(dev / "input");
    for (const char* node : {"uinput", "input/event3", "input/event4", "input/event5"}) {
        ASSERT_EQ(mknod((dev / node).c_str(), S_IFCHR | 0600, makedev(1, 3)), 0) << node;
    }
    // udev as it is after the reload: the mouse and uinput lost the tag, another rule still
    // tags event4, and event5 is nothing udev knows.
    const fs::path bin = home.path() / "bin";
    const fs::path log = home.path() / "log";
    fs::create_directories(bin);
    writeFile(bin / "udevadm",
              "#!/bin/sh\n"
              "case \"$1\" in\n"
              "--version) echo '252 (252.22-1)' ;;\n"
              "info) case \"$3\" in\n"
              "  */event4) echo 'TAGS=:seat:uaccess:'; echo 'CURRENT_TAGS=:seat:uaccess:' ;;\n"
              "  */event5) exit 4 ;;\n"
              "  *) echo 'TAGS=:seat:uaccess:'; echo 'CURRENT_TAGS=:seat:' ;;\n"
              "  esac ;;\n"
              "esac\n");
    writeFile(bin / "setfacl", "#!/bin/sh\necho \"setfacl $*\" >> '" + log.string() + "'\n");
    writeFile(bin / "modprobe", "#!/bin/sh\n");
    for (const char* tool : {"udevadm", "setfacl", "modprobe"}) {
        fs::permissions(bin / tool, fs::perms::owner_all);
    }

    EXPECT_EQ(run("TAVIX_DEV='" + dev.string() + "' PATH='" + bin.string() + ":/usr/bin:/bin' sh " +
                  TAVIX_POSTRM + " remove 2>&1"),
              "exit 0");
    EXPECT_EQ(readFile(log), "setfacl -b " + (dev / "uinput").string() + "\nsetfacl -b " +
                                 (dev / "input/event3").string() + "\n");
}

TEST(RuleHelperTest, InstallsOnlyARuleThatRootAloneCouldHaveWritten) {
    if (getuid() != 0) GTEST_SKIP() << "the helper's checks are about root";
    TempDirectory home;
    const fs::path rules = home.path() / "share";
    const fs::path rule = rules / "70-tavix.rules";
    const fs::path target = home.path() / "etc" / "70-tavix.rules";
    fs::create_directories(rules);
    fs::permissions(rules, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    writeFile(rule, "# rule\n");
    fs::permissions(rule, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    const fs::path helper = home.path() / "helper";
    std::string script = readFile(TAVIX_RULE_HELPER_TEMPLATE);
    script.replace(script.find("@packaged_rule@"), 15, rule.string());
    script.replace(script.find("@installed_rule@"), 16, target.string());
    writeFile(helper, script);
    const std::string command = "sh '" + helper.string() + "' 2>&1";

    auto refused = [&](const std::string& why) {
        const auto output = run(command);
        EXPECT_NE(output.find("must belong to root and be writable by root alone"),
                  std::string::npos)
            << why << ": " << output;
        EXPECT_FALSE(fs::exists(target)) << why;
    };
    fs::permissions(rule, fs::perms::group_write, fs::perm_options::add);
    refused("group-writable rule");
    fs::permissions(rule, fs::perms::group_write, fs::perm_options::remove);
    fs::permissions(rules, fs::perms::others_write, fs::perm_options::add);
    refused("world-writable folder");
    fs::permissions(rules, fs::perms::others_write, fs::perm_options::remove);
    ASSERT_EQ(chown(rule.c_str(), 65534, 65534), 0);
    refused("another user's rule");
    ASSERT_EQ(chown(rule.c_str(), 0, 0), 0);

    // Root's own rule is installed (udev itself is not running here).
    run(command);
    EXPECT_EQ(readFile(target), "# rule\n");
}

// Runs the probe at `probe` with `arguments` after it; returns its pid once it has exited 0.
pid_t runProbe(const fs::path& probe, const std::vector<std::string>& arguments,
               const fs::path& cwd) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(probe.c_str())};
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        execv(probe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return pid;
}

bool relaunched(const fs::path& record) {
    return eventually([&] {
        const auto text = readFile(record);
        return text.find("second") != std::string::npos && text.back() == '\n';
    });
}

TEST(RelaunchTest, TheSameProgramStartsAgainWithTheSameArgumentsFromAHostilePath) {
    TempDirectory home;
    const fs::path folder = home.path() / kHostile;
    fs::create_directories(folder);
    const fs::path probe = folder / "probe $(id)";
    fs::copy_file(TAVIX_RELAUNCH_PROBE, probe);
    const fs::path record = home.path() / "record";
    const std::vector<std::string> arguments{
        record.string(), "x y", "$PATH", "`touch pwned`", "\"", "'", ""};

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = runProbe(probe, arguments, home.path());
    ASSERT_TRUE(relaunched(record));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(700));

    std::string expected = "first " + std::to_string(pid) + "\nsecond " + std::to_string(pid);
    for (const auto& argument : arguments) expected += '\0' + argument;
    EXPECT_EQ(readFile(record), expected + '\0' + probe.string() + "\n");
    EXPECT_FALSE(fs::exists(home.path() / "pwned"));
}

TEST(RelaunchTest, AfterAnUpgradeReplacedTheBinaryTheNewOneStarts) {
    TempDirectory home;
    const fs::path probe = home.path() / "tavix";
    fs::copy_file(TAVIX_RELAUNCH_PROBE, probe);
    const fs::path upgrade = home.path() / "tavix.dpkg-new";
    fs::copy_file(TAVIX_RELAUNCH_PROBE, upgrade);
    const fs::path record = home.path() / "record";
    ScopedEnvironment upgrading("TAVIX_PROBE_UPGRADE", upgrade.c_str());

    runProbe(probe, {record.string()}, home.path());
    ASSERT_TRUE(relaunched(record));
    // The old binary would run on as "…/tavix (deleted)".
    const auto text = readFile(record);
    EXPECT_TRUE(text.ends_with('\0' + probe.string() + "\n")) << text;
    EXPECT_FALSE(fs::exists(upgrade));
}

}  // namespace
}  // namespace tavix::testing
