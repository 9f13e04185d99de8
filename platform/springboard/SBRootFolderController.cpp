// SBRootFolderController: the home screen's first page of icons, in its root folder view,
// which the home-screen window shows.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {

using namespace objc::literals;

objc::Ref& rootFolder() {
  static auto* view = new objc::Ref();
  return *view;
}

id rootFolderView(id, SEL) { return state().rootFolderHasView ? rootFolder().get() : nil; }

}  // namespace

void setRootFolderView(id view) { rootFolder() = objc::Ref(view); }

void registerSBRootFolderController() {
  core::defineHostClass("SBRootFolderController",
                        [](objc::ClassBuilder& c) { c.method("rootFolderView"_sel, &rootFolderView); });
}

}  // namespace springboard::detail
