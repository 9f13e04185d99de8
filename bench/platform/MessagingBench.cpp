// The runtime layer's costs: a message send against a direct call, a selector at a call
// site against registering it by name, and an associated-object read.

#include "platform/objc/Associated.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"

#include <benchmark/benchmark.h>

namespace {

using namespace objc::literals;

int incrementMethod(id, SEL, int x) { return x + 1; }

[[gnu::noinline]] int incrementFunction(int x) {
  benchmark::ClobberMemory();
  return x + 1;
}

Class counterClass() {
  static const Class cls =
      objc::ClassBuilder("BenchCounter", objc::rootClass()).method("increment:"_sel, &incrementMethod).build();
  return cls;
}

void DirectCall(benchmark::State& state) {
  int x = 0;
  for (auto _ : state) x = incrementFunction(x);
  benchmark::DoNotOptimize(x);
}
BENCHMARK(DirectCall);

void MessageSend(benchmark::State& state) {
  objc::Ref counter = objc::Ref::adopt(objc::send<id()>(counterClass(), "new"_sel));
  int x = 0;
  for (auto _ : state) x = objc::send<int(int)>(counter, "increment:"_sel, x);
  benchmark::DoNotOptimize(x);
}
BENCHMARK(MessageSend);

void MessageToNil(benchmark::State& state) {
  id receiver = nil;
  benchmark::DoNotOptimize(receiver);
  double sum = 0;
  for (auto _ : state) sum += objc::send<double()>(receiver, "anything"_sel);
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(MessageToNil);

void SelectorAtCallSite(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize("lockScreenViewControllerDidPresent"_sel);
}
BENCHMARK(SelectorAtCallSite);

void SelectorRegisteredByName(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(sel_registerName("lockScreenViewControllerDidPresent"));
}
BENCHMARK(SelectorRegisteredByName);

void AssociatedObjectRead(benchmark::State& state) {
  static const char key = 0;
  objc::Ref owner = objc::Ref::adopt(objc::send<id()>(counterClass(), "new"_sel));
  objc::Ref value = objc::Ref::adopt(objc::send<id()>(counterClass(), "new"_sel));
  objc_setAssociatedObject(owner, &key, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  for (auto _ : state) benchmark::DoNotOptimize(objc_getAssociatedObject(owner, &key));
}
BENCHMARK(AssociatedObjectRead);

}  // namespace
