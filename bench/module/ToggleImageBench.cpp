// One -[TessaroModule toggleImage:] at 1.5 on the module's own glyph, at 2x: the styling
// file read, the two views built, the layer rendered into an image context.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/device/Device.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"

#include <benchmark/benchmark.h>

namespace {

using namespace objc::literals;
using objc::send;

device::Device& device() {
  static device::Device* booted = [] {
    device::BootOptions options;
    options.loadTweak = false;
    return new device::Device(options);
  }();
  return *booted;
}

// The module, with the styling file giving `styling`.
id module(const plist::Dictionary& styling) {
  device().writePropertyList(device::kStylingPath, styling);
  return controlcenter::moduleFor("com.brel.control-center.tessaromodule");
}

void run(benchmark::State& state, id tessaro) {
  objc::AutoreleasePool outer;
  id bundle = send<id(Class)>(objc::getClass("NSBundle"), "bundleForClass:"_sel, objc::classOf(tessaro));
  id glyph = send<id(id, id, id)>(objc::getClass("UIImage"), "imageNamed:inBundle:compatibleWithTraitCollection:"_sel,
                                  foundation::makeString("OFF").get(), bundle, nil);
  for (auto _ : state) {
    objc::AutoreleasePool pool;
    benchmark::DoNotOptimize(send<id(id)>(tessaro, "toggleImage:"_sel, glyph));
  }
}

void ToggleImageAtOneAndAHalf(benchmark::State& state) {
  run(state, module({{"isEnabled", true}, {"isScaleIconEnabled", true}, {"scaleIcon", 1.5}}));
}
BENCHMARK(ToggleImageAtOneAndAHalf)->Unit(benchmark::kMicrosecond);

// Scaling off: what is left is reading the styling file, which toggleImage: does first.
void ToggleImageUnscaled(benchmark::State& state) { run(state, module({{"isEnabled", true}})); }
BENCHMARK(ToggleImageUnscaled)->Unit(benchmark::kMicrosecond);

}  // namespace
