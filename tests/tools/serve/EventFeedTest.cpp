// The feed behind the event streams: a watcher joining late gets the timeline from the
// oldest kept event but no stale news, a slow watcher skips what was dropped, and closing
// wakes every watcher.

#include "tools/tessaro-sim/serve/EventFeed.h"

#include <gtest/gtest.h>

#include <thread>

namespace sim::serve {
namespace {

using namespace std::chrono_literals;

TEST(EventFeed, ALateWatcherGetsTheTimelineButNotOldNews) {
  EventFeed feed;
  feed.event(R"({"event":"boot"})");
  feed.news("frame", R"({"frame":1})");
  std::uint64_t position = feed.firstPosition();
  const std::uint64_t joined = feed.lastPosition();
  feed.news("frame", R"({"frame":2})");
  const auto texts = feed.after(position, joined, 0ms);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "data: {\"event\":\"boot\"}\n\n");
  EXPECT_EQ(texts[1], "event: frame\ndata: {\"frame\":2}\n\n");
  EXPECT_TRUE(feed.after(position, joined, 0ms).empty()) << "nothing twice";
}

TEST(EventFeed, OnlyTheLastKeptEventsAreKeptAndNewsGoesFirst) {
  EventFeed feed;
  for (std::size_t i = 0; i < EventFeed::kKeptEvents + 10; ++i) feed.event("{\"n\":" + std::to_string(i) + "}");
  for (std::size_t i = 0; i < 3 * EventFeed::kKeptNews; ++i) feed.news("motion", "{}");
  std::uint64_t position = feed.firstPosition();
  const auto texts = feed.after(position, feed.lastPosition(), 0ms);
  ASSERT_FALSE(texts.empty());
  EXPECT_LE(texts.size(), EventFeed::kKeptEvents + EventFeed::kKeptNews);
  EXPECT_EQ(texts.back(), "data: {\"n\":" + std::to_string(EventFeed::kKeptEvents + 9) + "}\n\n")
      << "the newest event survives a flood of news";
}

TEST(EventFeed, ClosingWakesAWaitingWatcher) {
  EventFeed feed;
  std::uint64_t position = feed.firstPosition();
  std::thread closer([&] {
    std::this_thread::sleep_for(50ms);
    feed.close();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(feed.after(position, 0, 10s).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_TRUE(feed.closed());
  closer.join();
}

}  // namespace
}  // namespace sim::serve
