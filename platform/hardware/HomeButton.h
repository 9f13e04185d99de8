#pragma once
// The home button: a press goes down and comes up at device times, and every receiver hears
// both, in the order they were added, whether the display is lit or dark. The receivers are
// the frameworks above (FrontBoard's gesture manager hands the presses to the recognizers
// attached to the display; SpringBoard reacts on its own).
//
// The device's values for the home button live here and nowhere else: the press type the
// button reports, and the multi-press window within which a press counts as following the
// last one (from a release to the next press going down).

#include <functional>
#include <vector>

namespace hardware {

// Press types, as the recognizers' allowedPressTypes name them.
inline constexpr long long kHomePressType = 101;
inline constexpr long long kLockPressType = 104;

// Seconds from a release to the next press-down for the two to count as a multi-press.
inline constexpr double kMultiPressWindow = 0.35;

struct Press {
  enum Phase { Down, Up } phase = Down;
  long long type = kHomePressType;
  double time = 0;  // device seconds
};

class HomeButton {
 public:
  using Receiver = std::function<void(const Press&)>;

  void addReceiver(Receiver receiver) { receivers_.push_back(std::move(receiver)); }

  // The user's finger, at the present device time. A second down before an up, or an up
  // without a down, is ignored: the button is either pressed or not.
  void down();
  void up();
  bool isDown() const { return down_; }

 private:
  void send(Press::Phase phase);

  std::vector<Receiver> receivers_;
  bool down_ = false;
};

HomeButton& homeButton();

}  // namespace hardware
