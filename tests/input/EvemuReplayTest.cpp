#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

const std::string kFixture = std::string(TAVIX_INPUT_FIXTURES) + "/first-model-tap.evemu";

// tavix-replay run as a user would, with the recording on standard input.
Outcome replay(const std::string& input) {
    const fs::path dir = fs::temp_directory_path() / ("tavix-evemu-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "in") << input;
    const std::string command = "'" TAVIX_REPLAY "' <'" + (dir / "in").string() + "' >'" +
                                (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir / "out"),
                    readFile(dir / "err")};
    fs::remove_all(dir);
    return outcome;
}

TEST(EvemuReplay, TheFirstModelTapRecordingPlaysAsExactlyOneLeftClick) {
    const auto outcome = replay(readFile(kFixture));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(count(outcome.out, "\"post\""), 2u);
    EXPECT_EQ(count(outcome.out, "\"post\":\"hid\",\"type\":1,\"x\":0,\"y\":0,\"button\":0"), 1u);
    EXPECT_THAT(outcome.out, HasSubstr("\"lastGesture\":\"单指轻点 → 点按\""));
}

TEST(EvemuReplay, PressesScrollsAndMotionGoThroughTheTapAndThePointer) {
    // The button goes down with the fourth report and up with the seventh; the pointer moves
    // during the touch and a scroll follows it.
    std::istringstream lines(readFile(kFixture));
    std::string out;
    for (std::string line; std::getline(lines, line);) {
        out += line + "\n";
        if (line.starts_with("E: 0.030311 0003 0036")) out += "E: 0.030311 0001 0110 0001\n";
        if (line.starts_with("E: 0.060601 0003 0036")) out += "E: 0.060601 0001 0110 0000\n";
        if (line.starts_with("E: 0.040402 0003 0036")) out += "E: 0.040402 0002 0000 0007\n";
    }
    out += "E: 0.300000 0002 0008 0001\nE: 0.300000 0002 000b 0120\nE: 0.300000 0000 0000 0000\n";

    const auto outcome = replay(out);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_THAT(outcome.out, Not(HasSubstr("\"post\"")));  // a physical click, not a tap
    EXPECT_THAT(outcome.out,
                HasSubstr("{\"t\":1.030311,\"input\":\"leftMouseDown\",\"verdict\":\"passed\"}"));
    EXPECT_THAT(outcome.out,
                HasSubstr("{\"t\":1.060601,\"input\":\"leftMouseUp\",\"verdict\":\"passed\"}"));
    EXPECT_THAT(outcome.out,
                HasSubstr("{\"t\":1.3,\"input\":\"scrollWheel\",\"verdict\":\"passed\"}"));
}

TEST(EvemuReplay, MalformedRecordingsStopWithTheLineNamed) {
    auto outcome = replay("# EVEMU 1.3\nN: mouse\nE: 0.000000 0003 0039\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "tavix-replay: line 3: E: needs time, type, code and value\n");
    EXPECT_EQ(outcome.out, "");

    outcome = replay("# EVEMU 1.3\nI: 0003 046d c52b 0111\nA: 35 0 10 0 0 0\nA: 36 0 10 0 0 0\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "tavix-replay: line 2: not a Magic Mouse (vendor 046d, product c52b)\n");

    // Times are the recording's own to check: one that goes back, one too far after the first.
    const std::string tap = readFile(kFixture);
    const std::size_t lines = count(tap, "\n");
    outcome = replay(tap + "E: 0.050000 0000 0000 0000\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "tavix-replay: line " + std::to_string(lines + 1) +
                               ": time 0.050000 is before the previous event's (0.101003)\n");
    outcome = replay(tap + "E: 1000000000.000000 0000 0000 0000\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_THAT(outcome.err, HasSubstr("line " + std::to_string(lines + 1) +
                                       ": time 1000000000.000000 is more than 1e9 seconds"));
    EXPECT_EQ(outcome.out, "");
}

TEST(EvemuReplay, TouchScriptsStartingWithACommentStillPlay) {
    const auto outcome = replay(
        "# a comment first\n"
        "{\"device\": {\"handle\": 1, \"family\": 112, \"widthMM\": 50, \"heightMM\": 90}}\n"
        "{\"t\": 1.0, \"rescan\": true}\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_THAT(outcome.out, HasSubstr("\"rescan\""));
}

}  // namespace
