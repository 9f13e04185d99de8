// Settings and files: the tweak's settings file and the styling file, as the device boots
// with them and as other processes change them, and notifications from outside.

#include "platform/core/Installation.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/Words.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

namespace sim {

namespace {

Command parseSet(Line& line, const ParseContext&) { return command::Set{line.word(1), line.value(2)}; }
Command parseUnset(Line& line, const ParseContext&) { return command::Set{line.word(1), std::nullopt}; }
Command parseEdit(Line& line, const ParseContext&) { return command::Set{line.word(1), line.value(2), false}; }
Command parseEditUnset(Line& line, const ParseContext&) { return command::Set{line.word(1), std::nullopt, false}; }
Command parseStyle(Line& line, const ParseContext&) { return command::Style{line.word(1), line.value(2)}; }
Command parseUnstyle(Line& line, const ParseContext&) { return command::Style{line.word(1), std::nullopt}; }
Command parseStrict(Line&, const ParseContext&) { return command::Strict{}; }
Command parsePost(Line& line, const ParseContext&) { return command::Post{line.word(1)}; }

Command parseProgressImage(Line& line, const ParseContext& context) {
  const std::filesystem::path file =
      line.size() == 1 ? core::locate("share/tessaro/Progress@3x.png", TESSARO_PROGRESS_IMAGE) : context.directory / line.word(1);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) line.fail("no image file " + quote(file.string()));
  return command::ProgressImage{file};
}

Command parsePutFile(Line& line, const ParseContext& context) {
  const bool settings = line.word(0) == "settings-file";
  try {
    return command::PutFile{settings ? device::kSettingsPath : device::kStylingPath,
                            readGivenFile(context.directory / line.word(1), settings ? "settings file" : "styling file")};
  } catch (const ScenarioError& error) {
    line.fail(error.what());
  }
}

Command parseDeleteSettings(Line&, const ParseContext&) { return command::DeleteSettings{}; }
Command parseUnreadable(Line& line, const ParseContext&) { return command::SettingsUnreadable{line.onOff(1)}; }

constexpr CommandRow kRows[] = {
    {"set", When::Anywhere, 2, 2, "set KEY VALUE",
     "before boot, a key of the settings file the device boots with; after, the settings editor rewrites the whole file "
     "with the change, then posts `com.brel.tessaro.prefschanged`",
     parseSet},
    {"unset", When::Anywhere, 1, 1, "unset KEY", "as `set`, leaving the key out", parseUnset},
    {"settings-file", When::Anywhere, 1, 1, "settings-file FILE",
     "before boot, the device boots with exactly this file, bytes unchanged, XML or binary (a `set` after it applies "
     "on top, as the settings editor would, and rewrites it); after, another process puts FILE in place atomically and "
     "posts nothing. As `--settings FILE`",
     parsePutFile},
    {"delete-settings", When::AfterBoot, 0, 0, "delete-settings",
     "another process removes the settings file, posting nothing", parseDeleteSettings},
    {"settings-unreadable", When::Anywhere, 1, 1, "settings-unreadable on|off",
     "reading the settings file fails in the device's processes, as a file they may not read (the file stays, and the "
     "simulator's own `expect setting` still reads it)",
     parseUnreadable},
    {"edit-settings", When::Anywhere, 2, 2, "edit-settings KEY VALUE",
     "another process rewrites the settings file with the change and posts nothing: the tweak goes on with what it read "
     "last (before boot, as `set`)",
     parseEdit},
    {"edit-settings-unset", When::Anywhere, 1, 1, "edit-settings-unset KEY", "as `edit-settings`, leaving the key out",
     parseEditUnset},
    {"style", When::Anywhere, 2, 2, "style KEY VALUE",
     "as `set`, for the styling file \"/var/mobile/Library/Preferences/com.brel.corvel.plist\"; after boot the file is "
     "rewritten whole and nothing is posted (it is read at every use). Without a `style` line before boot there is no "
     "styling file",
     parseStyle},
    {"unstyle", When::Anywhere, 1, 1, "unstyle KEY", "as `style`, leaving the key out", parseUnstyle},
    {"styling-file", When::Anywhere, 1, 1, "styling-file FILE", "as `settings-file`, for the styling file",
     parsePutFile},
    {"strict", When::Anywhere, 0, 0, "strict", "settings warnings are errors, as with `--strict`", parseStrict},
    {"post", When::AfterBoot, 1, 1, "post NAME", "posts a Darwin notification, as another process would", parsePost},
    {"progress-image", When::BeforeBoot, 0, 1, "progress-image [FILE.png]",
     "puts a progress image at \"/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png\", where the repair run reads "
     "it: the test image the build draws (`tools/tessaro-progress`), or the given file. Without it the device has none, "
     "as without the package that installs it",
     parseProgressImage},
};

// The file at `devicePath` the device is to boot with, as a dictionary to change: the one
// the lines made, or the one given whole, now read as its editor would read it.
plist::Dictionary& bootDictionary(Session& session, const std::string& devicePath, std::optional<plist::Dictionary>& made) {
  auto given = session.bootFiles().find(devicePath);
  if (given != session.bootFiles().end()) {
    auto contents = dictionaryOf(given->second.bytes);
    if (!contents) {
      session.fail(given->second.path.string() + " holds no property-list dictionary: no key can be changed in it");
    }
    made = std::move(*contents);
    session.bootFiles().erase(given);
  }
  return made ? *made : made.emplace();
}

// `key` given `value` (none: removed) in the file at `devicePath`: before boot in the file
// the device boots with (`bootFile`), after boot as its editor does, the whole file
// rewritten with the change.
void editFile(Session& session, const std::string& devicePath, std::optional<plist::Dictionary>& bootFile,
              const std::string& key, const std::optional<plist::Value>& value) {
  auto change = [&](plist::Dictionary& contents) {
    if (value) contents.insert_or_assign(key, *value);
    else contents.erase(key);
  };
  if (!session.booted()) {
    change(bootDictionary(session, devicePath, bootFile));
    return;
  }
  device::Device& device = session.device();
  plist::Dictionary contents = device.readPropertyList(devicePath).value_or(plist::Dictionary{});
  change(contents);
  if (!device.writePropertyList(devicePath, contents)) session.fail("cannot write " + devicePath);
}

}  // namespace

std::span<const CommandRow> settingsCommands() { return kRows; }

namespace command {

bool Set::run(Session& session) const {
  const bool booted = session.booted();
  editFile(session, device::kSettingsPath, session.bootOptions().settings, key, value);
  // As the settings editor does: the tweak told after the write (or, for another process's
  // edit, not told).
  if (booted && notify) session.device().postNotification("com.brel.tessaro.prefschanged");
  return true;
}

// As the styling file's own editor does. Nothing is posted: the file is read at every use.
bool Style::run(Session& session) const {
  editFile(session, device::kStylingPath, session.bootStyling(), key, value);
  return true;
}

bool PutFile::run(Session& session) const {
  if (!session.booted()) {
    if (devicePath == device::kSettingsPath) session.bootOptions().settings.reset();
    else session.bootStyling().reset();
    session.bootFiles().insert_or_assign(devicePath, file);
    return true;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.bytes.data());
  if (!session.device().replaceFile(devicePath, std::span(bytes, file.bytes.size()))) {
    session.fail("cannot put " + file.path.string() + " in place of " + devicePath);
  }
  return true;
}

bool DeleteSettings::run(Session& session) const {
  session.device().removeFile(device::kSettingsPath);
  return true;
}

bool SettingsUnreadable::run(Session& session) const {
  if (!session.booted()) {
    if (on) session.bootOptions().unreadableFiles.insert(device::kSettingsPath);
    else session.bootOptions().unreadableFiles.erase(device::kSettingsPath);
    return true;
  }
  session.device().setUnreadable(device::kSettingsPath, on);
  return session.noteLine();
}

bool Strict::run(Session& session) const {
  session.setStrict();
  return true;
}

bool Post::run(Session& session) const {
  session.device().postNotification(name);
  return true;
}

bool ProgressImage::run(Session& session) const {
  session.bootOptions().copies.emplace_back("/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png", file);
  return true;
}

}  // namespace command

}  // namespace sim
