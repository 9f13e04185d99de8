// +[UIView animateWithDuration:animations:completion:]: the changes the block makes to
// views become the targets of animations of their layers, eased in and out over the
// duration in device time. The completion runs once, when every one of them has ended:
// with YES when all ran their course, with NO as soon as one is cut short (its view
// removed, say). A block that changes nothing animates nothing, and its completion runs
// on the next turn of the run loop with YES. Blocks may nest; a change belongs to the
// innermost open one.

#include "platform/core/RunLoop.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/Block.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/View.h"

#include <memory>
#include <vector>

namespace uikit::detail {
namespace {

using namespace objc::literals;
using objc::send;

struct Change {
  objc::Ref layer;
  std::string keyPath;
  quartzcore::Value from, to;
};

struct Block {
  double duration = 0;
  std::vector<Change> changes;
};

std::vector<Block>& openBlocks() {
  static auto* blocks = new std::vector<Block>();
  return *blocks;
}

// The view animations running now, by layer and key, so that they can be cut short.
struct RunningViewAnimation {
  std::uint64_t serial;
  objc::Ref layer;
  std::string key;
};
std::vector<RunningViewAnimation>& runningViewAnimations() {
  static auto* running = new std::vector<RunningViewAnimation>();
  return *running;
}
std::uint64_t nextViewAnimation = 1;

// The completion's state, shared by the animations of one block.
struct Completion {
  objc::Ref block;
  int running = 0;
  bool called = false;
  void ended(bool finished) {
    --running;
    if (called || (finished && running > 0)) return;
    called = true;
    objc::callBlock<void(BOOL)>(block, finished ? YES : NO);
  }
};

void animateWithDurationAnimationsCompletion(id, SEL, double duration, id animations, id completion) {
  openBlocks().push_back(Block{duration, {}});
  objc::callBlock<void()>(animations);
  Block block = std::move(openBlocks().back());
  openBlocks().pop_back();

  auto shared = std::make_shared<Completion>();
  shared->block = objc::copyBlock(completion);
  for (const Change& change : block.changes) {
    if (quartzcore::sameValue(change.from, change.to)) continue;
    ++shared->running;
    const std::uint64_t serial = nextViewAnimation++;
    const bool added = quartzcore::animate(change.layer, change.keyPath, change.from, change.to, block.duration,
                                           change.keyPath, [shared, serial](bool finished) {
                                             std::erase_if(runningViewAnimations(), [serial](const RunningViewAnimation& r) {
                                               return r.serial == serial;
                                             });
                                             shared->ended(finished);
                                           });
    if (!added) --shared->running;
    if (added) runningViewAnimations().push_back({serial, change.layer, change.keyPath});
  }
  if (shared->running == 0) {
    core::RunLoop::main().scheduleAfter(0, core::RunLoop::Source::Animation, [shared] {
      ++shared->running;
      shared->ended(true);
    });
  }
}

void animateWithDurationAnimations(id cls, SEL, double duration, id animations) {
  animateWithDurationAnimationsCompletion(cls, "animateWithDuration:animations:completion:"_sel, duration, animations, nil);
}

}  // namespace

std::size_t cutRunningViewAnimations() {
  // Taken off by key; each one's end is told on a later turn, which takes it off the list.
  const std::vector<RunningViewAnimation> running = runningViewAnimations();
  for (const RunningViewAnimation& animation : running) {
    send<void(id)>(animation.layer.get(), "removeAnimationForKey:"_sel, foundation::makeString(animation.key).get());
  }
  return running.size();
}

void change(id view, const std::string& keyPath, const quartzcore::Value& value) {
  id layer = viewOf(view).layer;
  if (openBlocks().empty() || !(openBlocks().back().duration > 0)) {
    quartzcore::setModelValue(layer, keyPath, value);
    return;
  }
  // From what shows now, so that a change in mid-flight goes on from where it is.
  auto shown = quartzcore::presentedValue(layer, keyPath);
  quartzcore::setModelValue(layer, keyPath, value);
  if (shown) openBlocks().back().changes.push_back({objc::Ref(layer), keyPath, *shown, value});
}

void registerUIViewAnimation() {
  Class view = objc::getClass("UIView");
  Class meta = object_getClass(objc::asId(view));
  auto add = [meta](SEL sel, auto implementation) {
    if (!class_addMethod(meta, sel, objc::toImp(implementation), objc::encodingOf(implementation))) {
      objc::fatal("+[UIView %s] is defined twice", sel_getName(sel));
    }
  };
  add("animateWithDuration:animations:completion:"_sel, &animateWithDurationAnimationsCompletion);
  add("animateWithDuration:animations:"_sel, &animateWithDurationAnimations);
}

}  // namespace uikit::detail

namespace uikit {

std::size_t cutViewAnimations() { return detail::cutRunningViewAnimations(); }

}  // namespace uikit
