// When pointer movement ends the saver: the first movement only records where the
// pointer is; from then on a position more than 2 pixels away from that first one,
// in either axis, ends it. The recorded position never moves, so a slow drift ends
// the saver too.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace wd::saver {

class MouseExitRule {
 public:
  // Returns true when this movement should end the saver.
  bool OnMove(int32_t x, int32_t y) {
    if (first_movement_) {
      first_movement_ = false;
      reference_x_ = x;
      reference_y_ = y;
      return false;
    }
    return std::llabs(int64_t{reference_x_} - x) > kTolerance ||
           std::llabs(int64_t{reference_y_} - y) > kTolerance;
  }
  bool first_movement() const { return first_movement_; }

 private:
  static constexpr int64_t kTolerance = 2;
  bool first_movement_ = true;
  int32_t reference_x_ = 0;
  int32_t reference_y_ = 0;
};

}  // namespace wd::saver
