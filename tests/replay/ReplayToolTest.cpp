#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
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

// Where the tool's standard input comes from (a descriptor) and its standard output goes (a
// file), when not the text given to run() and a file the test reads back.
struct Streams {
    static constexpr int kText = -1, kClosed = -2;
    int in = kText;
    std::string out;  // "-": closed
};

// Runs the tool as a user would, each run a process of its own.
class ReplayTool : public ::testing::Test {
  protected:
    ReplayTool()
        : dir_(fs::temp_directory_path() / ("tavix-replay-test-" + std::to_string(getpid()))) {
        fs::create_directories(dir_);
    }
    ~ReplayTool() override { fs::remove_all(dir_); }

    Outcome run(const std::vector<std::string>& arguments, const std::string& stdinText = "",
                Streams streams = {}) {
        const auto in = dir_ / "in", out = dir_ / "out", err = dir_ / "err";
        std::ofstream(in) << stdinText;
        fs::remove(out);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (streams.in == Streams::kClosed) {
            posix_spawn_file_actions_addclose(&actions, 0);
        } else if (streams.in != Streams::kText) {
            posix_spawn_file_actions_adddup2(&actions, streams.in, 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        }
        if (streams.out == "-") {
            posix_spawn_file_actions_addclose(&actions, 1);
        } else {
            const std::string target = streams.out.empty() ? out.string() : streams.out;
            posix_spawn_file_actions_addopen(&actions, 1, target.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::vector<char*> argv{const_cast<char*>(TAVIX_REPLAY)};
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        pid_t pid = -1;
        int raw = -1;
        if (posix_spawn(&pid, TAVIX_REPLAY, &actions, nullptr, argv.data(), environ) == 0) {
            waitpid(pid, &raw, 0);
        }
        posix_spawn_file_actions_destroy(&actions);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
    }

    std::string script(const std::string& text) {
        const auto path = dir_ / "script.jsonl";
        std::ofstream(path) << text;
        return path.string();
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
        const Outcome r = run({entry.path().string()});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, readFile(golden));
        ++compared;
    }
    EXPECT_GE(compared, 7);
}

TEST_F(ReplayTool, ReadsStandardInputWhenNoFileIsNamed) {
    std::string text = readFile(fs::path(TAVIX_EXAMPLES) / "tap.jsonl");
    text.pop_back();  // a last line without its newline is played too
    const Outcome r = run({}, text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, readFile(fs::path(TAVIX_GOLDEN) / "tap.log"));
}

TEST_F(ReplayTool, AMalformedLineStopsWithOneMessageAndKeepsTheLogSoFar) {
    const std::string head =
        "{\"device\": {\"handle\": 1, \"family\": 112, \"widthMM\": 50, \"heightMM\": 90}}\n"
        "{\"t\": 1.0, \"frame\": {\"device\": 1, \"contacts\": [{\"id\": 1, \"state\": 4, "
        "\"x\": 0.5, \"y\": 0.5}]}}\n";
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"{\"t\": 0.5, \"rescan\": true}\n", "line 3: time goes backwards"},
        {"{\"t\": 1.1, \"frame\": {\"device\": 4, \"contacts\": []}}\n",
         "line 3: unknown device handle 4"},
        {"{\"t\": 1.1, \"detach\": 9}\n", "line 3: unknown device handle 9"},
        {"{\"device\": {\"handle\": 1}}\n", "line 3: device 1 is already declared"},
        {"not json\n", "line 3: not JSON"},
        {"{\"t\": 1.1, \"tap\": true}\n", "line 3:"},
        {"{\"t\": 1e41, \"rescan\": true}\n", "line 3: \"t\" must not exceed 1e9"},
        {"{\"t\": 1.1, \"rescan\": true}\0 garbage\n"s, "line 3: a NUL byte at column 27"},
        {"{\"t\": 1.1, \"input\": \"\\u001b[2J\\u009b\"}\n",
         "line 3: unknown input \"\\u001b[2J\\u009b\""},
        {"{\"t\": 1.1, \"input\": \"" + std::string(10'000'000, 'x') + "\"}\n",
         "(10000000 bytes in all)"},
    };
    for (const auto& [bad, message] : cases) {
        SCOPED_TRACE(bad);
        const Outcome r = run({script(head + bad + "{\"t\": 9, \"rescan\": true}\n")});
        EXPECT_EQ(r.status, 2);
        EXPECT_THAT(r.err, HasSubstr(message));
        // One short line that cannot drive the terminal.
        EXPECT_EQ(std::count_if(r.err.begin(), r.err.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
                  1);
        EXPECT_EQ(r.err.back(), '\n');
        EXPECT_LT(r.err.size(), 300u);
        // What happened before the bad line is there, each line whole; nothing after it.
        EXPECT_THAT(r.out, HasSubstr("{\"t\":1.0,\"status\":{\"fingers\":1,"));
        EXPECT_EQ(r.out.back(), '\n');
        EXPECT_EQ(r.out.find("\"t\":9"), std::string::npos);
    }
}

// A script that cannot be read, in whole or in part, and a log that cannot be written are never
// taken for success: each gives one message saying which and why.
TEST_F(ReplayTool, FailuresToReadOrWriteExitWithOneMessage) {
    const auto tap = fs::path(TAVIX_EXAMPLES) / "tap.jsonl";
    // A stream whose writer went away with data unread: four lines and half of the fifth arrive,
    // then the read fails.
    const std::string text = readFile(tap);
    const auto cut = text.find("\"state\": 5");
    int stream[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, stream), 0);
    ASSERT_EQ(write(stream[0], text.data(), cut), static_cast<ssize_t>(cut));
    ASSERT_EQ(write(stream[1], "!", 1), 1);
    close(stream[0]);

    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        Streams streams;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"a directory",
         {dir_.string()},
         {},
         2,
         "cannot read \"" + dir_.string() + "\": Is a directory"},
        {"closed input",
         {},
         {Streams::kClosed, ""},
         2,
         "cannot read standard input: Bad file descriptor"},
        {"reset mid-stream",
         {},
         {stream[1], ""},
         2,
         "cannot read standard input after line 4: Connection reset by peer"},
        {"closed output",
         {tap.string()},
         {Streams::kText, "-"},
         1,
         "cannot write the event log: standard output is closed"},
        {"full disk",
         {tap.string()},
         {Streams::kText, "/dev/full"},
         1,
         "cannot write the event log: No space left on device"},
    };
    std::string played;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome r = run(c.arguments, "", c.streams);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, "tavix-replay: " + c.message + "\n");
        if (c.streams.in == stream[1]) played = r.out;
    }
    close(stream[1]);
    // What arrived before the failure was played: the finger went down, no click came.
    EXPECT_THAT(played, HasSubstr("{\"t\":1.0,\"status\":{\"fingers\":1,"));
    EXPECT_THAT(played, Not(HasSubstr("\"post\"")));
}

TEST_F(ReplayTool, AMissingFileIsAnErrorToo) {
    const Outcome r = run({(dir_ / "absent.jsonl").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("absent.jsonl"));
    EXPECT_EQ(r.out, "");
}

}  // namespace
