#pragma once
// The device's file system lives in a directory of the host: its "/" is the device root, so
// "/var/mobile/Library/Preferences/com.brel.tessaro.plist" is a file under that directory and
// never the host's own /var or /Library.

#include <filesystem>
#include <optional>
#include <string_view>

namespace core {

// Chooses the device root (made absolute). Call it while the device starts, before anything
// resolves a path or runs on another thread; a reference from root() does not survive it.
// The directory is the caller's: it is never removed here. Aborts on an empty path or the
// host's "/", which would put device files into the host's own directories.
void setRoot(std::filesystem::path root);

// The device root. Without setRoot, the first call makes a fresh private directory
// (mkdtemp, mode 0700) under $TMPDIR, or /tmp, and uses it for the rest of the process; that
// directory and everything in it is removed when the process that made it exits normally
// (std::exit or returning from main). Aborts if the directory cannot be made.
const std::filesystem::path& root();

// The host path of an absolute device path. "." and ".." are resolved by the text alone, so
// "/var/mobile/../mobile/x" is fine, but a path that climbs above "/" is refused, as is a
// relative or empty one, or one holding a NUL. Symbolic links are not looked at: whatever
// the device root contains is trusted.
std::optional<std::filesystem::path> resolve(std::string_view devicePath);

// Creates the missing directories above `hostPath` (a path from resolve()), for a writer
// about to create the file. Refuses any path not strictly inside the device root. True when
// the parent directory exists afterwards.
bool ensureParentDirectories(const std::filesystem::path& hostPath);

// Files this device's processes may not read: a reader of the device's file layer
// (NSDictionary's) fails on them as on a file of another owner, while the file stays in
// place for its owner (the simulator's own reads, a writer replacing it). The device runs as
// root, which permissions would not stop, so the device says so itself. By device path;
// "." and ".." resolved as resolve() does.
void setUnreadable(std::string_view devicePath, bool unreadable);
bool isUnreadable(const std::filesystem::path& hostPath);

}  // namespace core
