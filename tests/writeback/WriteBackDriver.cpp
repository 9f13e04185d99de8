// One write-back of the master switch on a settings file given byte for byte: boots a device
// with IN as its settings file, posts com.brel.tessaro.setDisabled, lets the tweak write the
// file back and reload it, and copies the device's settings file to OUT as it then is. For
// the differential test (differential.py), which reads both files with another
// property-list implementation. One device per process, so one file a run.
//
// Prints what the tweak did with the file: "written", "not written" (it did not read the
// file, so had nothing to write) or "failed" (the write was refused or failed). Status 0;
// 2 with the reason for bad arguments or an unreadable IN; 1 when OUT cannot be written.

#include "platform/core/DeviceRoot.h"
#include "platform/device/Device.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: writeback-driver IN OUT\n"
    "Boots a device with IN as its settings file, switches the tweak off through its\n"
    "notification, and copies the settings file the device then has to OUT.\n";

int usageError(const std::string& why) {
  std::fprintf(stderr, "writeback-driver: %s\n%s", why.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) return usageError("expected IN and OUT");
  const std::filesystem::path in = argv[1], out = argv[2];
  std::error_code error;
  if (!std::filesystem::is_regular_file(in, error)) return usageError(in.string() + " is not a regular file");

  device::BootOptions options;
  options.copies = {{device::kSettingsPath, in}};
  options.loadModule = false;  // the switch is the tweak's own notification; no toggle needed
  device::Device phone(options);
  std::size_t written = 0, failed = 0;
  const std::string settings = device::kSettingsPath;
  phone.log().setListener([&](const core::Event& event) {
    if (event.kind != "file.write") return;
    if (event.text == settings) ++written;
    if (event.text == settings + " (failed)") ++failed;
  });
  phone.postNotification("com.brel.tessaro.setDisabled");
  phone.runUntilIdle();

  const auto file = core::resolve(device::kSettingsPath);
  if (!file || !std::filesystem::copy_file(*file, out, std::filesystem::copy_options::overwrite_existing, error)) {
    std::fprintf(stderr, "writeback-driver: cannot copy the device's settings file to %s: %s\n", out.c_str(),
                 error.message().c_str());
    return 1;
  }
  std::puts(failed > 0 ? "failed" : written > 0 ? "written" : "not written");
  return 0;
}
