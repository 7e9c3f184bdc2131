// The tap timer: its one-second gate, the millisecond count and its shutdown.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "app/taptimer.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Waits up to `limit` seconds for the gate to open; returns the time it took.
double WaitUntilReady(const TapTimer& timer, double limit) {
  auto start = Clock::now();
  while (!timer.IsReady() && SecondsSince(start) < limit) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return SecondsSince(start);
}

TEST(TapTimer, OpensAfterACountedSecondAndClosesOnReset) {
  auto start = Clock::now();
  TapTimer timer;
  EXPECT_EQ(timer.GetStartResult(), S_OK);
  EXPECT_FALSE(timer.IsReady());
  WaitUntilReady(timer, 3.0);
  double opened = SecondsSince(start);
  ASSERT_TRUE(timer.IsReady());
  EXPECT_GT(opened, 0.9);
  EXPECT_LT(opened, 2.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(timer.IsReady()) << "stays open until reset";

  // After a reset the gate opens at the next count of the running cadence, which
  // was not restarted: within about a second.
  timer.Reset();
  EXPECT_FALSE(timer.IsReady());
  double reopened = WaitUntilReady(timer, 3.0);
  EXPECT_TRUE(timer.IsReady());
  EXPECT_LT(reopened, 1.5);
}

TEST(Timer, CountsUntilStoppedAndJoinsOnDestruction) {
  auto timer = std::make_unique<Timer>();
  EXPECT_EQ(timer->GetSeconds(), 0u);
  EXPECT_EQ(timer->GetMilliseconds(), 0u);
  auto start = Clock::now();
  ASSERT_EQ(timer->Start(), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  unsigned counted = timer->GetMilliseconds();
  // At least one turn, and never more turns than milliseconds went by.
  EXPECT_GT(counted, 0u);
  EXPECT_LE(counted, static_cast<unsigned>(SecondsSince(start) * 1000) + 1);

  timer->Stop();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  unsigned stopped = timer->GetMilliseconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(timer->GetMilliseconds(), stopped) << "the milliseconds thread ended";

  // The seconds thread may be inside its one-second sleep: the join waits for it.
  auto destroyStart = Clock::now();
  timer.reset();
  EXPECT_LT(SecondsSince(destroyStart), 1.5);
}

}  // namespace
