// Each system call of the atomic write failed at each of its steps: the old file stays byte
// for byte, no temporary file is left, and the write says it failed.

#include "platform/plist/PropertyList.h"
#include "platform/plist/SystemCalls.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;
using plist::Dictionary;
using plist::detail::realSystemCalls;
using plist::detail::systemCalls;

namespace {

enum class Call { Mkostemp, Fchmod, Write, Fsync, Close, Rename, Count };
constexpr const char* kNames[] = {"mkostemp", "fchmod", "write", "fsync", "close", "rename"};

// One injected fault: the `occurrence`-th call (from 1) of `call` fails with `error`; a write
// failing with error 0 returns 0, making no progress. Every write takes at most `chunk`
// bytes, so a file takes several.
struct Injection {
  Call call = Call::Count;
  int occurrence = 0;
  int error = 0;
  std::size_t chunk = 4096;
  std::array<int, static_cast<int>(Call::Count)> seen{};
  bool fired = false;
};
Injection* active = nullptr;

bool failsNow(Call call) {
  if (!active) return false;
  const int n = ++active->seen[static_cast<int>(call)];
  if (call != active->call || n != active->occurrence) return false;
  active->fired = true;
  return true;
}

int fail() {
  errno = active->error;
  return -1;
}

int injectedMkostemp(char* pattern, int flags) {
  return failsNow(Call::Mkostemp) ? fail() : realSystemCalls().mkostemp(pattern, flags);
}
int injectedFchmod(int fd, mode_t mode) { return failsNow(Call::Fchmod) ? fail() : realSystemCalls().fchmod(fd, mode); }
ssize_t injectedWrite(int fd, const void* bytes, size_t count) {
  if (failsNow(Call::Write)) return active->error == 0 ? 0 : fail();
  return realSystemCalls().write(fd, bytes, active ? std::min(count, active->chunk) : count);
}
int injectedFsync(int fd) { return failsNow(Call::Fsync) ? fail() : realSystemCalls().fsync(fd); }
// Linux has let go of the descriptor even when close reports an error.
int injectedClose(int fd) {
  const bool failing = failsNow(Call::Close);
  const int result = realSystemCalls().close(fd);
  return failing ? fail() : result;
}
int injectedRename(const char* from, const char* to) {
  return failsNow(Call::Rename) ? fail() : realSystemCalls().rename(from, to);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> namesIn(const fs::path& directory) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

class AtomicWrite : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "atomic-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = dir_ / "settings.plist";
    ASSERT_TRUE(plist::writeDictionaryAtomically({{"old", "contents"}}, path_));
    before_ = readFile(path_);
    systemCalls() = {injectedMkostemp, injectedFchmod, injectedWrite, injectedFsync, injectedClose, injectedRename,
                     realSystemCalls().unlink};
  }
  void TearDown() override {
    systemCalls() = realSystemCalls();
    fs::remove_all(dir_);
  }

  bool write(Injection& injection, const fs::path& path) {
    active = &injection;
    const bool written = plist::writeDictionaryAtomically(replacement_, path, plist::Format::XmlOrBinary);
    active = nullptr;
    return written;
  }
  // How often a write that goes through makes `call`.
  int callsOf(Call call) {
    Injection counting;
    const fs::path scratch = dir_ / "scratch.plist";
    EXPECT_TRUE(write(counting, scratch));
    fs::remove(scratch);
    return counting.seen[static_cast<int>(call)];
  }
  void expectUntouched(const std::string& step) {
    EXPECT_EQ(readFile(path_), before_) << step;
    EXPECT_EQ(namesIn(dir_), std::set<std::string>{"settings.plist"}) << step;
  }

  fs::path dir_, path_;
  std::string before_;
  // About 22 KB of XML: six writes of at most 4 KB.
  const Dictionary replacement_{{"new", plist::Data(16384, 7)}, {"isEnabled", true}};
};

struct Fault {
  Call call;
  int error;
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << kNames[static_cast<int>(fault.call)] << " fails with " << (fault.error ? strerrorname_np(fault.error) : "0");
}

class EachStep : public AtomicWrite, public testing::WithParamInterface<Fault> {};

TEST_P(EachStep, FailingLeavesTheOldFileAndNothingElse) {
  const Fault fault = GetParam();
  const int steps = callsOf(fault.call);
  ASSERT_GT(steps, 0);
  if (fault.call == Call::Write) {
    ASSERT_GT(steps, 4) << "the file goes in several writes";
  }
  for (int step = 1; step <= steps; ++step) {
    Injection injection{fault.call, step, fault.error};
    const std::string name = std::string(kNames[static_cast<int>(fault.call)]) + " #" + std::to_string(step);
    EXPECT_FALSE(write(injection, path_)) << name;
    EXPECT_TRUE(injection.fired) << name;
    expectUntouched(name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EachStep,
    testing::Values(Fault{Call::Mkostemp, EACCES}, Fault{Call::Mkostemp, EROFS}, Fault{Call::Mkostemp, ENOSPC},
                    Fault{Call::Mkostemp, EMFILE}, Fault{Call::Fchmod, EPERM}, Fault{Call::Fchmod, EROFS},
                    Fault{Call::Write, ENOSPC}, Fault{Call::Write, EDQUOT}, Fault{Call::Write, EIO},
                    Fault{Call::Write, EFBIG}, Fault{Call::Write, 0}, Fault{Call::Fsync, EIO},
                    Fault{Call::Fsync, ENOSPC}, Fault{Call::Close, EIO}, Fault{Call::Close, ENOSPC},
                    Fault{Call::Rename, EACCES}, Fault{Call::Rename, EROFS}, Fault{Call::Rename, ENOSPC},
                    Fault{Call::Rename, EXDEV}, Fault{Call::Rename, EBUSY}),
    [](const auto& info) {
      return std::string(kNames[static_cast<int>(info.param.call)]) + "_" +
             (info.param.error ? strerrorname_np(info.param.error) : "NoProgress");
    });

// Neither is a failure: the rest of the file follows.
TEST_F(AtomicWrite, ShortAndInterruptedWritesStillWriteEverything) {
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
    Injection injection;
    injection.chunk = chunk;
    ASSERT_TRUE(write(injection, path_)) << chunk;
    EXPECT_EQ(plist::readDictionary(path_), replacement_) << chunk;
  }
  const int steps = callsOf(Call::Write);
  for (int step = 1; step <= steps; ++step) {
    fs::remove(path_);
    Injection injection{Call::Write, step, EINTR};
    ASSERT_TRUE(write(injection, path_)) << step;
    EXPECT_TRUE(injection.fired);
    EXPECT_EQ(plist::readDictionary(path_), replacement_) << step;
  }
  EXPECT_EQ(namesIn(dir_), std::set<std::string>{"settings.plist"});
}

// Without an old file, a failed write leaves no file at all.
TEST_F(AtomicWrite, AFailedFirstWriteLeavesNoFile) {
  fs::remove(path_);
  for (const Call call : {Call::Fchmod, Call::Write, Call::Fsync, Call::Close, Call::Rename}) {
    Injection injection{call, 1, EIO};
    EXPECT_FALSE(write(injection, path_)) << kNames[static_cast<int>(call)];
    EXPECT_TRUE(namesIn(dir_).empty()) << kNames[static_cast<int>(call)];
  }
}

}  // namespace
