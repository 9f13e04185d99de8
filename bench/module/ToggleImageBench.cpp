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

id module() {
  static id tessaro = [] {
    device::BootOptions options;
    options.loadTweak = false;
    options.files.emplace_back(device::kStylingPath,
                               plist::Dictionary{{"isEnabled", true}, {"isScaleIconEnabled", true}, {"scaleIcon", 1.5}});
    new device::Device(options);
    return controlcenter::moduleFor("com.brel.control-center.tessaromodule");
  }();
  return tessaro;
}

void ToggleImageAtOneAndAHalf(benchmark::State& state) {
  id tessaro = module();
  objc::AutoreleasePool outer;
  id bundle = send<id(Class)>(objc::getClass("NSBundle"), "bundleForClass:"_sel, objc::classOf(tessaro));
  id glyph = send<id(id, id, id)>(objc::getClass("UIImage"), "imageNamed:inBundle:compatibleWithTraitCollection:"_sel,
                                  foundation::makeString("OFF").get(), bundle, nil);
  for (auto _ : state) {
    objc::AutoreleasePool pool;
    benchmark::DoNotOptimize(send<id(id)>(tessaro, "toggleImage:"_sel, glyph));
  }
}
BENCHMARK(ToggleImageAtOneAndAHalf)->Unit(benchmark::kMicrosecond);

}  // namespace
