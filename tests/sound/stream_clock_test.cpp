// The stream clock without a server: when it may be trusted for writing over queued frames. A new
// stream's first reading may (a click that opens the stream is then written over its first,
// silent request); a clock set afresh by a jump (a server working off a stall) may not until a
// few readings agree with it.
#include "platform/flash/stream_clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::sound::StreamClock;

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kFramesPerMs = 48;

struct Reading {
    std::int64_t frame;
    std::int64_t heardNs;
};

TEST(StreamClock, IsTrustedOnItsFirstReadingAndAfterAJumpOnlyOnceReadingsAgree)
{
    struct Case {
        const char* what;
        std::vector<Reading> readings;
        bool settled;
    } const cases[] = {
        {"no reading yet", {}, false},
        {"a new stream's first reading", {{0, 100 * kMs}}, true},
        {"readings that agree", {{0, 100 * kMs}, {48, 101 * kMs}, {96, 102 * kMs}}, true},
        {"jitter within the tolerance", {{0, 100 * kMs}, {48, 101 * kMs + kMs}}, true},
        {"a jump of a second (a stall)", {{0, 100 * kMs}, {48, 1101 * kMs}}, false},
        {"a jump, then two readings that agree", {{0, 100 * kMs}, {48, 1101 * kMs}, {96, 1102 * kMs}, {144, 1103 * kMs}},
         false},
        {"a jump, then three that agree",
         {{0, 100 * kMs}, {48, 1101 * kMs}, {96, 1102 * kMs}, {144, 1103 * kMs}, {192, 1104 * kMs}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StreamClock clock;
        for (const Reading& r : c.readings) clock.Update(r.frame, r.heardNs, 0);
        EXPECT_EQ(clock.Settled(), c.settled);
    }
}

TEST(StreamClock, ANewStreamIsTrustedAgainAfterAReset)
{
    StreamClock clock;
    clock.Update(0, 100 * kMs, 0);
    clock.Update(48, 1101 * kMs, 0);
    ASSERT_FALSE(clock.Settled());
    clock.Reset();
    clock.Update(0, 2000 * kMs, 0);
    EXPECT_TRUE(clock.Settled());
    EXPECT_EQ(clock.FrameAt(2000 * kMs + 10 * kMs), 10 * kFramesPerMs);
}

}  // namespace
