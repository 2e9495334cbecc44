#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "platform/linux/input/MagicMouseReader.h"
#include "platform/linux/input/MultitouchDecoder.h"
#include "platform/linux/input/RecordedEvdev.h"
#include "tests/input/EvdevStreams.h"

namespace tavix::platform::input::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr AxisRange kX{-1100, 1258};
constexpr AxisRange kY{-1589, 2047};

std::vector<int32_t> ids(const std::vector<MTContact>& contacts) {
    std::vector<int32_t> out;
    for (const auto& c : contacts) out.push_back(c.identifier);
    return out;
}

// Decodes a whole stream; one entry per SYN_REPORT.
std::vector<Collector::Frame> decode(const std::vector<TimedEvent>& stream) {
    MultitouchDecoder decoder(kMagicMouseSurface, kX, kY);
    std::vector<Collector::Frame> frames;
    for (const auto& e : stream) {
        if (!decoder.feed(e)) continue;
        const auto& f = decoder.frame();
        frames.push_back({0,
                          f.touches,
                          {f.contacts.begin(), f.contacts.end()},
                          {f.pointer.begin(), f.pointer.end()}});
    }
    return frames;
}

TEST(MultitouchDecoder, FirstModelTapIsOneContactThroughoutThenNone) {
    const auto recording = fixture("first-model-tap.evemu");
    EXPECT_EQ(recording.vendor, 0x05ac);
    EXPECT_EQ(recording.product, 0x030d);
    EXPECT_EQ(recording.axis(ABS_MT_POSITION_Y).minimum, -1589);

    const auto frames = decode(events(recording));
    ASSERT_EQ(frames.size(), 11u);
    for (std::size_t i = 0; i < 10; ++i) {
        ASSERT_EQ(frames[i].contacts.size(), 1u) << "report " << i;
        const MTContact& c = frames[i].contacts[0];
        EXPECT_EQ(c.identifier, 40);
        // Still touching in the report whose touch size fell to 0.
        EXPECT_EQ(c.state, kContactTouching);
        EXPECT_NEAR(c.normalized.position.x, (879.0 + 1100) / 2358, 0.001);
        EXPECT_NEAR(c.normalized.position.y, (-34.0 + i + 1589) / 3636, 0.0001);
        EXPECT_NEAR(c.absolute.position.y, c.normalized.position.y * 90.56, 0.001);
    }
    EXPECT_TRUE(frames[10].touches);
    EXPECT_THAT(frames[10].contacts, IsEmpty());
}

TEST(MultitouchDecoder, ReusedSlotsStartNewContactsAndAxesOfEmptySlotsShowNothing) {
    std::vector<TimedEvent> stream;
    auto add = [&](std::vector<TimedEvent> r) { stream.insert(stream.end(), r.begin(), r.end()); };
    add(report(0.00, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 5), abs(ABS_MT_POSITION_X, 0),
                      abs(ABS_MT_SLOT, 1), abs(ABS_MT_TRACKING_ID, 6)}));
    // Slot 0 is freed and taken by a new finger within one report.
    add(report(0.01, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, -1), abs(ABS_MT_TRACKING_ID, 7),
                      abs(ABS_MT_POSITION_X, 1258)}));
    add(report(0.02, {abs(ABS_MT_SLOT, 1), abs(ABS_MT_TRACKING_ID, -1)}));
    // An axis of a free slot, then a slot number beyond the driver's.
    add(report(0.03, {abs(ABS_MT_POSITION_X, 100), abs(ABS_MT_SLOT, 40), abs(ABS_MT_TRACKING_ID, 9),
                      abs(ABS_MT_SLOT, -3), abs(ABS_MT_TRACKING_ID, 9)}));
    add(report(0.04, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, -1)}));
    add(report(0.05, {{EV_REL, REL_X, 3}}));  // motion with nothing on the surface

    const auto frames = decode(stream);
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_THAT(ids(frames[0].contacts), ElementsAre(5, 6));
    EXPECT_THAT(ids(frames[1].contacts), ElementsAre(7, 6));
    EXPECT_FLOAT_EQ(frames[1].contacts[0].normalized.position.x, 1);
    EXPECT_THAT(ids(frames[2].contacts), ElementsAre(7));
    EXPECT_THAT(ids(frames[3].contacts), ElementsAre(7));
    EXPECT_THAT(ids(frames[4].contacts), IsEmpty());
    EXPECT_FALSE(frames[5].touches);
    EXPECT_THAT(frames[5].pointer, ElementsAre(InputEvent{EV_REL, REL_X, 3}));
}

TEST(Evemu, MalformedLinesAreNamed) {
    auto problemOf = [](const std::string& text) {
        std::istringstream in(text);
        EvemuProblem problem;
        EXPECT_FALSE(parseEvemu(in, problem));
        return std::to_string(problem.line) + ": " + problem.what;
    };
    EXPECT_EQ(problemOf("N: mouse\n"), "1: not an evemu recording");
    EXPECT_EQ(problemOf("# EVEMU 1.3\nE: 0.1 0001 0110 0001\n"),
              "2: E: time must be seconds.microseconds");
    EXPECT_EQ(problemOf("# EVEMU 1.3\n# fine\n\nE: 0.000001 0020 0000 0000\n"),
              "4: E: event type out of range");
    EXPECT_EQ(problemOf("# EVEMU 1.3\nE: 0.000001 0001 0110 99999999999\n"),
              "2: E: value must be a 32-bit decimal number");
    EXPECT_EQ(problemOf("# EVEMU 1.3\nI: 0005 05ac\n"),
              "2: I: needs bus, vendor, product and version");
    EXPECT_EQ(problemOf("# EVEMU 1.3\nX: 1\n"), "2: unknown line kind \"X:\"");

    std::istringstream good("# EVEMU 1.3\nE: 1.000002 0002 0000 -005 # REL_X\n");
    EvemuProblem problem;
    const auto recording = parseEvemu(good, problem);
    ASSERT_TRUE(recording);
    ASSERT_EQ(recording->events.size(), 1u);
    EXPECT_EQ(recording->events[0].line, 2u);
    EXPECT_DOUBLE_EQ(recording->events[0].event.time, 1.000002);
    EXPECT_EQ(recording->events[0].event.event, (InputEvent{EV_REL, REL_X, -5}));
}

// The reader over recorded devices, with a listener keeping what it hands out.
struct ReaderFixture : ::testing::Test {
    RecordedDevices* devices = nullptr;
    std::unique_ptr<MagicMouseReader> reader;
    Collector seen;

    ReaderFixture() {
        auto owned = std::make_unique<RecordedDevices>();
        devices = owned.get();
        reader = std::make_unique<MagicMouseReader>(std::move(owned));
        reader->addListener(seen);
    }
    ~ReaderFixture() override { reader->removeListener(seen); }
};

TEST_F(ReaderFixture, DroppedEventsResyncToTheKernelsStateWithoutInventingContacts) {
    auto stream = devices->attach(recordedMagicMouse(3));
    ASSERT_EQ(reader->devices().size(), 1u);
    stream->push(report(0.00, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 3), abs(ABS_MT_SLOT, 1),
                               abs(ABS_MT_TRACKING_ID, 4)}));
    // Half a report, the drop, then what libevdev reports as changed: slot 0 ended, slot 2 has
    // stale axes but no contact.
    stream->push({{0.01, abs(ABS_MT_SLOT, 1)},
                  {0.01, abs(ABS_MT_POSITION_X, 50)},
                  {0.02, {EV_SYN, SYN_DROPPED, 0}},
                  {0.03, abs(ABS_MT_SLOT, 0)},
                  {0.03, abs(ABS_MT_TRACKING_ID, -1)},
                  {0.03, abs(ABS_MT_SLOT, 2)},
                  {0.03, abs(ABS_MT_POSITION_X, 900)},
                  {0.03, {EV_SYN, SYN_REPORT, 0}}});
    // Resynced, the node is read normally again.
    stream->push(report(0.04, {abs(ABS_MT_SLOT, 1), abs(ABS_MT_TRACKING_ID, -1)}));
    ASSERT_TRUE(eventually([&] { return seen.frameCount() == 3; }));

    const auto frames = seen.frames();
    EXPECT_THAT(ids(frames[0].contacts), ElementsAre(3, 4));
    EXPECT_THAT(ids(frames[1].contacts), ElementsAre(4));
    EXPECT_FLOAT_EQ(frames[1].contacts[0].normalized.position.x, (50.0f + 1100) / 2358);
    EXPECT_THAT(ids(frames[2].contacts), IsEmpty());
}

// A backlog larger than one round's budget: what libevdev already took from the kernel no
// longer makes the node readable, and must still come out without waiting for more input, nor
// for a listener's pending verdict that wants the reader back only much later.
TEST_F(ReaderFixture, ABacklogBeyondOneRoundIsReadToTheEndWithoutNewInput) {
    struct PendingVerdict final : MagicMouseListener {
        int idle() override { return 60'000; }
    } pending;
    reader->addListener(pending);
    auto stream = devices->attach(recordedMagicMouse(3));
    ASSERT_EQ(reader->devices().size(), 1u);
    std::vector<TimedEvent> backlog;
    constexpr int kReports = 1000;  // 2000 events: several rounds
    for (int i = 0; i < kReports; ++i) {
        const auto one = report(0.001 * i, {{EV_REL, REL_X, 1}});
        backlog.insert(backlog.end(), one.begin(), one.end());
    }
    const auto release = report(0.5, {{EV_KEY, BTN_LEFT, 0}});
    backlog.insert(backlog.end(), release.begin(), release.end());
    stream->push(backlog);
    EXPECT_TRUE(eventually([&] { return seen.frameCount() == kReports + 1; }))
        << seen.frameCount();
    reader->removeListener(pending);
}

TEST_F(ReaderFixture, AVanishingMouseEndsCleanlyAndComesBackAsANewOpening) {
    auto stream = devices->attach(recordedMagicMouse(5, "aa:bb:cc:dd:ee:01"));
    const auto before = reader->devices();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].deviceID, 0xaabbccddee01u);

    stream->push(report(0.0, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 1)}));
    // Gone in the middle of a report: its half is never shown.
    stream->push({{0.01, abs(ABS_MT_TRACKING_ID, -1)}, {0.01, abs(ABS_MT_SLOT, 1)}});
    stream->vanish();
    devices->detach("/dev/input/event5");
    ASSERT_TRUE(eventually([&] { return !seen.closedKeys().empty(); }));
    EXPECT_THAT(seen.closedKeys(), ElementsAre(before[0].key));
    EXPECT_EQ(seen.frameCount(), 1u);
    EXPECT_FALSE(stream->isOpen());
    EXPECT_THAT(reader->devices(), IsEmpty());

    auto again = devices->attach(recordedMagicMouse(5, "aa:bb:cc:dd:ee:01"));
    const auto after = reader->devices();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_NE(after[0].key, before[0].key);
    EXPECT_EQ(after[0].deviceID, before[0].deviceID);
}

// The node is replaced by a new device of the same name before the reader finds the old one
// gone: the change notice saw nothing new, so the vanishing itself must make the reader look.
TEST_F(ReaderFixture, AMouseBackOnTheNodeOfOneThatVanishedIsReadAtOnce) {
    auto stream = devices->attach(recordedMagicMouse(5));
    ASSERT_EQ(reader->devices().size(), 1u);
    auto back = devices->replace(recordedMagicMouse(5));
    ASSERT_EQ(reader->devices().size(), 1u);
    EXPECT_FALSE(back->isOpen());

    stream->vanish();
    ASSERT_TRUE(eventually([&] { return back->isOpen(); }));
    back->push(report(0.0, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 1)}));
    EXPECT_TRUE(eventually([&] { return seen.frameCount() == 1; }));
}

TEST_F(ReaderFixture, TwoMiceAreReadSideBySideAndAMouseFoundLaterIsOpened) {
    auto first = devices->attach(recordedMagicMouse(2, "aa:bb:cc:dd:ee:02"));
    ASSERT_EQ(reader->devices().size(), 1u);
    // Found through the change notice alone, without anyone asking for the devices.
    auto second = devices->attach(recordedMagicMouse(9, ""));
    ASSERT_TRUE(eventually([&] { return second->isOpen(); }));
    const auto listed = reader->devices();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_NE(listed[0].deviceID, listed[1].deviceID);

    first->push(report(0.0, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 11)}));
    second->push(report(0.0, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 22)}));
    ASSERT_TRUE(eventually([&] { return seen.frameCount() == 2; }));
    for (const auto& frame : seen.frames()) {
        ASSERT_EQ(frame.contacts.size(), 1u);
        EXPECT_EQ(frame.contacts[0].identifier, frame.key == listed[0].key ? 11 : 22);
    }
}

TEST_F(ReaderFixture, ANodeThatCannotBeOpenedIsTriedAgainAtTheNextLook) {
    devices->refuseOpen(true);
    auto stream = devices->attach(recordedMagicMouse(4));
    EXPECT_THAT(reader->devices(), IsEmpty());
    devices->refuseOpen(false);
    EXPECT_EQ(reader->devices().size(), 1u);
}

// The ID survives the mouse coming back on another node; a malformed address is no address.
TEST(StableDeviceID, FollowsTheAddressNotTheNode) {
    const auto id = [](const char* uniq, const char* devnode, const char* phys = "") {
        MagicMouseNode node;
        node.devnode = devnode;
        node.uniq = uniq;
        node.phys = phys;
        return stableDeviceID(node);
    };
    EXPECT_EQ(id("aa:bb:cc:dd:ee:ff", "/dev/input/event3"), 0xaabbccddeeffu);
    EXPECT_EQ(id("AA:BB:CC:DD:EE:FF", "/dev/input/event9"), 0xaabbccddeeffu);
    EXPECT_EQ(id("a:b:c:d:e:f", "/dev/input/event3"), 0x0a0b0c0d0e0fu);
    for (const char* malformed : {"aa:bb:cc:dd:ee", "aa:bb:cc:dd:ee:ff:00", "aa:bb:cc:dd:ee:fff",
                                  "aa-bb-cc-dd-ee-ff", "aa:bb:cc:dd:ee:ff ", "00:00:00:00:00:00"}) {
        EXPECT_EQ(id(malformed, "/dev/input/event3"), id(malformed, "/dev/input/event4"))
            << malformed;
        EXPECT_NE(id(malformed, "/dev/input/event3"), id("aa:bb:cc:dd:ee:ff", "/dev/input/event3"))
            << malformed;
    }
    EXPECT_EQ(id("", "/dev/input/event3", "usb-0000:00:14.0-1/input0"),
              id("", "/dev/input/event7", "usb-0000:00:14.0-1/input0"));
}

}  // namespace
}  // namespace tavix::platform::input::testing
