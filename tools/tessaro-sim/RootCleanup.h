#pragma once
// The device's files live in a directory of the host's for the length of a run. A run that
// ends normally removes it (see core::root); these make the same true of a run that is
// killed, and let a user keep the files instead.

#include <filesystem>
#include <string>

namespace sim {

// From now on SIGINT, SIGTERM and SIGHUP remove `root` and everything in it (with
// async-signal-safe calls only), then end the process as the signal would have.
void removeRootOnSignals(const std::filesystem::path& root);

// `--keep-root DIR`: DIR is made when missing and must be an empty directory otherwise, so
// that no file of the user's is mixed with (or overwritten by) the device's. Empty string
// when it may be used; the reason otherwise.
std::string prepareKeptRoot(const std::filesystem::path& directory);

}  // namespace sim
