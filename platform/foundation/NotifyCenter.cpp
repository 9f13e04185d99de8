#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Foundation.h"

#include <string>
#include <vector>

struct __CFNotificationCenter {
  struct Observer {
    std::string name;
    void* observer;
    CFNotificationCallback callback;
  };
  std::vector<Observer> observers;
};

namespace {

__CFNotificationCenter darwinCenter;

void deliver(CFNotificationCenterRef center, const std::string& name) {
  // Observers that register during a delivery see the next post, not this one.
  const std::vector<__CFNotificationCenter::Observer> snapshot = center->observers;
  int delivered = 0;
  objc::Ref nameObject = foundation::makeString(name);
  for (const auto& observer : snapshot) {
    if (observer.name != name) continue;
    ++delivered;
    observer.callback(center, observer.observer, nameObject, nullptr, nil);
  }
  core::record("notification.delivered", name + " to " + std::to_string(delivered) + " observer(s)",
               {{"name", name}, {"observers", delivered}});
}

}  // namespace

extern "C" {

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void) { return &darwinCenter; }

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior) {
  auto text = foundation::stringOf(name);
  if (center == nullptr || callback == nullptr || !text) return;
  center->observers.push_back({*text, const_cast<void*>(observer), callback});
  core::record("notification.observer", *text, {{"name", *text}});
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name, const void*,
                                          CFDictionaryRef, Boolean) {
  auto text = foundation::stringOf(name);
  if (center == nullptr || !text) return;
  core::record("notification.posted", *text, {{"name", *text}});
  core::RunLoop::main().scheduleAfter(0.0, core::RunLoop::Source::Notification,
                                      [center, posted = *text] { deliver(center, posted); });
}
}
