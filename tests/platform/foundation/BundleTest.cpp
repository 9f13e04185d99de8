// NSBundle on the device's file system: made once per directory, its information list and
// executable read with the care a file from a package deserves.

#include "platform/core/DeviceRoot.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace objc::literals;
using objc::send;
namespace fs = std::filesystem;

id bundleAt(const char* path) {
  return send<id(id)>(objc::getClass("NSBundle"), "bundleWithPath:"_sel, foundation::makeString(path).get());
}

void file(const std::string& devicePath, const std::string& contents = "x") {
  const fs::path host = *core::resolve(devicePath);
  fs::create_directories(host.parent_path());
  std::ofstream(host) << contents;
}

TEST(Bundles, AreMadeOncePerDirectoryAndOnlyForDirectories) {
  foundation::registerClasses();
  objc::AutoreleasePool pool;
  file("/Library/A.bundle/Info.plist", "not a property list");
  id a = bundleAt("/Library/A.bundle");
  ASSERT_NE(a, nil);
  EXPECT_EQ(bundleAt("/Library/A.bundle/"), a);
  EXPECT_EQ(bundleAt("/Library/./A.bundle"), a);
  EXPECT_EQ(bundleAt("/Library/Missing.bundle"), nil);
  EXPECT_EQ(bundleAt("/Library/A.bundle/Info.plist"), nil) << "a file is no bundle";
  EXPECT_EQ(bundleAt("Library/A.bundle"), nil) << "a relative path";
  EXPECT_EQ(bundleAt("/../../etc"), nil) << "above the device's root";
  EXPECT_EQ(send<unsigned long()>(send<id()>(a, "infoDictionary"_sel), "count"_sel), 0u) << "unreadable: empty, not nil";
  EXPECT_EQ(send<id()>(a, "bundleIdentifier"_sel), nil);
}

TEST(Bundles, FindResourcesAndTheExecutableInsideThemOnly) {
  foundation::registerClasses();
  objc::AutoreleasePool pool;
  file("/Library/B.bundle/ON@2x.png");
  file("/Library/B.bundle/Binary");
  file("/Library/Secret");
  const auto host = *core::resolve("/Library/B.bundle/Info.plist");
  ASSERT_TRUE(plist::writeDictionaryAtomically({{"CFBundleIdentifier", "com.example.b"}, {"CFBundleExecutable", "Binary"}}, host));
  id b = bundleAt("/Library/B.bundle");
  auto resource = [b](const char* name, id type) {
    return foundation::stringOf(send<id(id, id)>(b, "pathForResource:ofType:"_sel, foundation::makeString(name).get(), type));
  };
  EXPECT_EQ(resource("ON@2x", foundation::makeString("png")), "/Library/B.bundle/ON@2x.png");
  EXPECT_EQ(resource("ON@2x.png", nil), "/Library/B.bundle/ON@2x.png");
  EXPECT_EQ(resource("ON", foundation::makeString("png")), std::nullopt);
  EXPECT_EQ(resource("../Secret", nil), std::nullopt);
  EXPECT_EQ(foundation::stringOf(send<id()>(b, "bundleIdentifier"_sel)), "com.example.b");
  EXPECT_EQ(foundation::stringOf(send<id()>(b, "executablePath"_sel)), "/Library/B.bundle/Binary");
  file("/Library/C.bundle/Info.plist");
  ASSERT_TRUE(plist::writeDictionaryAtomically({{"CFBundleExecutable", "../Secret"}}, *core::resolve("/Library/C.bundle/Info.plist")));
  EXPECT_EQ(send<id()>(bundleAt("/Library/C.bundle"), "executablePath"_sel), nil) << "not a file of the bundle";
  // A class whose code is in no bundle's executable belongs to the main bundle.
  id main = send<id(Class)>(objc::getClass("NSBundle"), "bundleForClass:"_sel, objc::getClass("NSString"));
  EXPECT_EQ(main, send<id()>(objc::getClass("NSBundle"), "mainBundle"_sel));
}

}  // namespace
