#include "platform/core/EventKinds.h"
#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

using Source = core::RunLoop::Source;

TEST(RunLoop, RunsInTimeOrderAndFirstInFirstOutAmongEqualTimes) {
  auto& loop = core::RunLoop::main();
  std::vector<std::string> order;
  loop.schedule(2.0, Source::Timer, [&] { order.push_back("b"); });
  loop.schedule(1.0, Source::Dispatch, [&] { order.push_back("a1"); });
  loop.schedule(1.0, Source::Notification, [&] { order.push_back("a2"); });
  loop.schedule(1.0, Source::Sensor, [&] {
    order.push_back("a3");
    // Work scheduled for now runs after what was already waiting for now.
    loop.scheduleAfter(0.0, Source::Dispatch, [&] { order.push_back("a4"); });
  });
  loop.runUntil(1.5);
  EXPECT_EQ(order, (std::vector<std::string>{"a1", "a2", "a3", "a4"}));
  EXPECT_EQ(loop.now(), 1.5);
  loop.runUntilIdle();
  EXPECT_EQ(order.back(), "b");
  EXPECT_EQ(loop.now(), 2.0);
}

TEST(RunLoop, CancelledWorkNeverRuns) {
  auto& loop = core::RunLoop::main();
  int runs = 0;
  auto id = loop.scheduleAfter(1.0, Source::Timer, [&] { ++runs; });
  EXPECT_TRUE(loop.cancel(id));
  EXPECT_FALSE(loop.cancel(id));
  loop.runFor(2.0);
  EXPECT_EQ(runs, 0);
}

TEST(RunLoop, AGateHoldsWorkBackUntilItOpens) {
  auto& loop = core::RunLoop::main();
  bool asleep = true;
  loop.setGate([&](Source source) { return !asleep || source != Source::Timer; });
  std::vector<std::string> order;
  loop.schedule(1.0, Source::Timer, [&] { order.push_back("timer"); });
  loop.schedule(2.0, Source::Input, [&] { order.push_back("input"); });
  loop.runUntil(5.0);
  EXPECT_EQ(order, std::vector<std::string>{"input"});
  asleep = false;
  loop.runUntil(5.0);
  EXPECT_EQ(order, (std::vector<std::string>{"input", "timer"}));
}

TEST(RunLoop, RealTimeFollowsTheWallClock) {
  auto& loop = core::RunLoop::main();
  loop.setRealtime(true);
  const auto start = std::chrono::steady_clock::now();
  loop.runFor(0.05);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
}

TEST(EventLog, StampsEventsWithDeviceTimeAndStreamsThem) {
  auto& loop = core::RunLoop::main();
  std::vector<double> streamed;
  core::eventLog().setListener([&](const core::Event& event) { streamed.push_back(event.time); });
  loop.scheduleAfter(3.0, Source::Input, [] { core::record("button", "lock"); });
  loop.runUntilIdle();
  ASSERT_EQ(core::eventLog().count("button", "lock"), 1u);
  EXPECT_EQ(core::eventLog().events().back().time, 3.0);
  EXPECT_EQ(streamed, std::vector<double>{3.0});
}

}  // namespace

namespace {

TEST(RunLoop, ATurnRunsWhatWaitedAtItsStartAndLeavesWorkItAddsForTheNext) {
  auto& loop = core::RunLoop::main();
  std::vector<std::string> order;
  loop.schedule(0.0, Source::Notification, [&] {
    order.push_back("delivery");
    loop.scheduleAfter(0.0, Source::Dispatch, [&] { order.push_back("reload"); });
  });
  loop.schedule(3.0, Source::Timer, [&] { order.push_back("timer"); });
  EXPECT_EQ(loop.runTurn(), 1u);
  EXPECT_EQ(order, (std::vector<std::string>{"delivery"}));
  EXPECT_EQ(loop.runTurn(), 1u);
  EXPECT_EQ(order.back(), "reload");
  EXPECT_EQ(loop.now(), 0.0);
  // Nothing due: the turn waits for the next work, as a sleeping run loop does.
  EXPECT_EQ(loop.runTurn(), 1u);
  EXPECT_EQ(order.back(), "timer");
  EXPECT_EQ(loop.now(), 3.0);
  EXPECT_EQ(loop.runTurn(), 0u);
}

TEST(RunLoop, HeldBackWorkIsNoNextRunnableTime) {
  auto& loop = core::RunLoop::main();
  bool asleep = true;
  loop.setGate([&](Source source) { return !asleep || source != Source::Timer; });
  loop.schedule(1.0, Source::Timer, [] {});
  loop.schedule(5.0, Source::Input, [] {});
  EXPECT_EQ(loop.nextTime(), 1.0);
  EXPECT_EQ(loop.nextRunnableTime(), 5.0);
  asleep = false;
  EXPECT_EQ(loop.nextRunnableTime(), 1.0);
  loop.setGate(nullptr);
}

TEST(EventLog, WithoutKeptEventsItStillCountsKindsAndTheTextsAskedFor) {
  auto& log = core::eventLog();
  log.setKeepEvents(false);
  log.countText("display", "on");
  for (int i = 0; i < 3; ++i) log.record("display", i == 1 ? "off" : "on");
  EXPECT_TRUE(log.events().empty());
  EXPECT_EQ(log.count("display"), 3u);
  EXPECT_EQ(log.count("display", "on"), 2u);
  EXPECT_EQ(log.count("display", "dim"), 0u);
}

// Each kind the device, the tweak or the module records is in the closed list.
TEST(EventKinds, EveryRecordedKindIsListed) {
  const std::regex recorded(R"re(record\("([^"]+)")re");
  std::size_t seen = 0;
  for (const char* part : {"platform", "tweak", "module"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path(TESSARO_SOURCE_DIR) / part)) {
      if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
      std::ifstream in(entry.path());
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      for (std::sregex_iterator match(text.begin(), text.end(), recorded), end; match != end; ++match) {
        ++seen;
        EXPECT_TRUE(core::isEventKind((*match)[1].str())) << (*match)[1] << " in " << entry.path();
      }
    }
  }
  EXPECT_GT(seen, 30u);
}

}  // namespace
