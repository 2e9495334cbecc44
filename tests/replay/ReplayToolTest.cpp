#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool as a user would, each run a process of its own.
class ReplayTool : public ::testing::Test {
  protected:
    ReplayTool()
        : dir_(fs::temp_directory_path() / ("tavix-replay-test-" + std::to_string(getpid()))) {
        fs::create_directories(dir_);
    }
    ~ReplayTool() override { fs::remove_all(dir_); }

    Outcome run(const std::string& arguments, const std::string& stdinText = "") {
        const auto in = dir_ / "in", out = dir_ / "out", err = dir_ / "err";
        std::ofstream(in) << stdinText;
        const std::string command = "'" TAVIX_REPLAY "' " + arguments + " <'" + in.string() +
                                    "' >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
    }

    fs::path script(const std::string& text) {
        const auto path = dir_ / "script.jsonl";
        std::ofstream(path) << text;
        return path;
    }

    fs::path dir_;
};

TEST_F(ReplayTool, ExamplesMatchTheirGoldenLogs) {
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(TAVIX_EXAMPLES)) {
        if (entry.path().extension() != ".jsonl") continue;
        SCOPED_TRACE(entry.path().filename());
        const auto golden = fs::path(TAVIX_GOLDEN) / entry.path().stem().concat(".log");
        ASSERT_TRUE(fs::exists(golden)) << "no golden log for this example";
        const Outcome r = run("'" + entry.path().string() + "'");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, readFile(golden));
        ++compared;
    }
    EXPECT_GE(compared, 7);
}

TEST_F(ReplayTool, ReadsStandardInputWhenNoFileIsNamed) {
    const Outcome r = run("", readFile(fs::path(TAVIX_EXAMPLES) / "tap.jsonl"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, readFile(fs::path(TAVIX_GOLDEN) / "tap.log"));
}

TEST_F(ReplayTool, AMalformedLineStopsWithOneMessageAndKeepsTheLogSoFar) {
    const std::string head =
        "{\"device\": {\"handle\": 1, \"family\": 112, \"widthMM\": 50, \"heightMM\": 90}}\n"
        "{\"t\": 1.0, \"frame\": {\"device\": 1, \"contacts\": [{\"id\": 1, \"state\": 4, "
        "\"x\": 0.5, \"y\": 0.5}]}}\n";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"t\": 0.5, \"rescan\": true}\n", "line 3: time goes backwards"},
        {"{\"t\": 1.1, \"frame\": {\"device\": 4, \"contacts\": []}}\n",
         "line 3: unknown device handle 4"},
        {"{\"t\": 1.1, \"detach\": 9}\n", "line 3: unknown device handle 9"},
        {"{\"device\": {\"handle\": 1}}\n", "line 3: device 1 is already declared"},
        {"not json\n", "line 3: not JSON"},
        {"{\"t\": 1.1, \"tap\": true}\n", "line 3:"},
    };
    for (const auto& [bad, message] : cases) {
        SCOPED_TRACE(bad);
        const Outcome r =
            run("'" + script(head + bad + "{\"t\": 9, \"rescan\": true}\n").string() + "'");
        EXPECT_EQ(r.status, 2);
        EXPECT_THAT(r.err, HasSubstr(message));
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
        // What happened before the bad line is there, each line whole; nothing after it.
        EXPECT_THAT(r.out, HasSubstr("{\"t\":1.0,\"status\":{\"fingers\":1,"));
        EXPECT_EQ(r.out.back(), '\n');
        EXPECT_EQ(r.out.find("\"t\":9"), std::string::npos);
    }
}

TEST_F(ReplayTool, AMissingFileIsAnErrorToo) {
    const Outcome r = run("'" + (dir_ / "absent.jsonl").string() + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("absent.jsonl"));
    EXPECT_EQ(r.out, "");
}

}  // namespace
