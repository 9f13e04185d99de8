// SBIconController: the home screen's icons; its root folder controller.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {
using namespace objc::literals;
id rootFolderController(id, SEL) { return shared("SBRootFolderController"); }
}  // namespace

void registerSBIconController() {
  core::defineHostClass("SBIconController", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBIconController">)
        .method("_rootFolderController"_sel, &rootFolderController);
  });
}

}  // namespace springboard::detail
