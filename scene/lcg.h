// The scene's one pseudo-random generator. Its arithmetic, and the order in
// which the scene draws from it, decide how a scene unfolds from a seed.
#pragma once

#include <cstdint>

namespace roamlets {

class Lcg {
 public:
  void seed(std::uint32_t value) { state_ = value; }
  std::uint32_t state() const { return state_; }

  // A value in 0..32767: bits 16 to 30 of the next state.
  int next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }

  // A value in 0..n-1, for a positive n.
  int draw(int n) { return next() % n; }

 private:
  std::uint32_t state_ = 1;
};

}  // namespace roamlets
