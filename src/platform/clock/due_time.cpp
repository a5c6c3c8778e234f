#include "platform/clock/due_time.h"

namespace platform {

namespace {
thread_local std::optional<Clock::TimePoint> running;
}  // namespace

std::optional<Clock::TimePoint> RunningDue() { return running; }

DueScope::DueScope(std::optional<Clock::TimePoint> due) : outer_(running) { running = due; }

DueScope::~DueScope() { running = outer_; }

}  // namespace platform
