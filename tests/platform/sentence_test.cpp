// A reason from elsewhere at the end of one of the printer's messages.

#include <gtest/gtest.h>

#include "platform/printer/sentence.h"

namespace platform {
namespace {

TEST(EndOfSentence, EndsWithOneMarkOfItsOwnOrAFullStop)
{
    const struct {
        const char* reason;
        const char* said;
    } cases[] = {
        {"out of paper", "out of paper."},
        {"Destination \"A4\" is not accepting jobs.", "Destination \"A4\" is not accepting jobs."},
        {"Paper jam!", "Paper jam!"},
        {"Is the printer on?", "Is the printer on?"},
        {"No space left on device \r\n", "No space left on device."},
        {"done. \t", "done."},
    };
    for (const auto& c : cases) EXPECT_EQ(EndOfSentence(c.reason), c.said) << '"' << c.reason << '"';
}

}  // namespace
}  // namespace platform
