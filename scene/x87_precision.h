// The x87 unit's precision, for builds whose arithmetic runs on it (32-bit
// x86 without SSE). Its precision control decides where each operation
// rounds; the scene model needs 53 bits (double), and the C runtime starts a
// program at 64.
#pragma once

namespace roamlets {

// Call first thing in a program: sets the x87 precision control to double
// for this thread. Does nothing where the arithmetic is not on the x87 unit.
inline void use_double_precision_arithmetic() {
#if defined(__i386__) && !defined(__SSE2_MATH__)
  constexpr unsigned short kPrecisionMask = 0x0300;
  constexpr unsigned short kDoublePrecision = 0x0200;
  unsigned short control = 0;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  control = static_cast<unsigned short>((control & ~kPrecisionMask) | kDoublePrecision);
  __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}

}  // namespace roamlets
