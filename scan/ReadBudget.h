// SPDX-License-Identifier: MIT
// The read budget of one file for the media readers: a cap on the bytes a library may read and a
// deadline. The readers hand a library its bytes through an adapter that asks the budget before
// every read, so a hostile or huge file costs at most the cap and the time, whatever the library
// would do with it: once either is spent, reads return nothing and the library gives up.
// One budget belongs to one reading of one file on one thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

class TReadBudget {
 public:
  using TClock = std::chrono::steady_clock;

  TReadBudget(uint64_t maxBytes, std::chrono::milliseconds maxTime)
      : left_(maxBytes), deadline_(TClock::now() + maxTime) {}

  // How many of `n` bytes may be read now (0 once the cap or the deadline is passed); the grant
  // is taken from the cap.
  size_t Grant(size_t n) {
    if (Spent()) return 0;
    size_t granted = n < left_ ? n : static_cast<size_t>(left_);
    left_ -= granted;
    return granted;
  }
  // True once the bytes or the time are used up.
  bool Spent() {
    if (left_ == 0 || spent_) return true;
    spent_ = TClock::now() >= deadline_;
    return spent_;
  }

 private:
  uint64_t left_;
  TClock::time_point deadline_;
  bool spent_ = false;
};
