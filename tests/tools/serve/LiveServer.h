#pragma once
// A `tessaro-sim serve` of the test's own on a free loopback port, as a user starts it,
// and a client that speaks to it as the page does (its Origin on every request).

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace servetest {

class LiveServer : public ::testing::Test {
 protected:
  // Starts the server with `arguments` after `serve --port 0`; fails the test when it
  // does not say where it serves within a minute.
  void start(const std::vector<std::string>& arguments = {}) {
    std::vector<std::string> words = {TESSARO_SIM, "serve", "--port", "0"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    ASSERT_EQ(posix_spawn(&child_, TESSARO_SIM, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string line;
    pollfd wait{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&wait, 1, 60000) == 1) {
      char buffer[256];
      const ssize_t n = ::read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    const std::string prefix = "serving http://127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << "the server said: " << line;
    port_ = std::stoi(line.substr(prefix.size()));
    origin_ = "http://127.0.0.1:" + std::to_string(port_);
  }

  void TearDown() override {
    if (child_ > 0) {
      ::kill(child_, SIGTERM);
      int status = 0;
      ::waitpid(child_, &status, 0);
    }
  }

  httplib::Client client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_default_headers({{"Origin", origin_}});
    client.set_read_timeout(30, 0);
    return client;
  }

  // POST /api/command: the status and the JSON answer.
  std::pair<int, nlohmann::json> command(const std::string& line) const {
    auto answer = client().Post("/api/command", line, "text/plain");
    if (!answer) return {0, nullptr};
    return {answer->status, nlohmann::json::parse(answer->body, nullptr, false)};
  }

  nlohmann::json getJson(const std::string& path) const {
    auto answer = client().Get(path.c_str());
    if (!answer || answer->status != 200) return nullptr;
    return nlohmann::json::parse(answer->body, nullptr, false);
  }

  // Reads /api/events on a thread of its own until stopped: the timeline's objects and
  // the names of the news that came.
  class EventReader {
   public:
    EventReader(int port, std::string origin) {
      thread_ = std::thread([this, port, origin] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(5, 0);
        client.Get("/api/events", [&](const char* data, std::size_t length) {
          std::lock_guard lock(mutex_);
          buffer_.append(data, length);
          for (std::size_t end; (end = buffer_.find("\n\n")) != std::string::npos;) {
            const std::string message = buffer_.substr(0, end);
            buffer_.erase(0, end + 2);
            if (message.rfind("data: ", 0) == 0) events_.push_back(nlohmann::json::parse(message.substr(6)));
            if (message.rfind("event: ", 0) == 0) news_.push_back(message.substr(7, message.find('\n') - 7));
          }
          return !stop_;
        });
      });
    }
    ~EventReader() {
      stop_ = true;
      thread_.join();
    }
    std::vector<nlohmann::json> events() {
      std::lock_guard lock(mutex_);
      return events_;
    }
    std::vector<std::string> news() {
      std::lock_guard lock(mutex_);
      return news_;
    }

   private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string buffer_;
    std::vector<nlohmann::json> events_;
    std::vector<std::string> news_;
    std::thread thread_;
  };

  pid_t child_ = 0;
  int port_ = 0;
  std::string origin_;
};

}  // namespace servetest
