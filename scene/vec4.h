// Four-component single-precision vector: positions, directions, per-axis
// speeds and RGBA colours.
//
// Every operation works on all four components and rounds each result to
// single precision once, so `w` carries whatever the arithmetic leaves in it.
#pragma once

#include <cmath>

namespace roamlets {

struct Vec4 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  constexpr Vec4() = default;
  constexpr Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

  constexpr Vec4 operator+(const Vec4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
  constexpr Vec4 operator-(const Vec4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
  constexpr Vec4& operator+=(const Vec4& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    w += o.w;
    return *this;
  }
  // Component-wise product; scales a direction by a per-axis speed.
  constexpr Vec4 operator*(const Vec4& o) const { return {x * o.x, y * o.y, z * o.z, w * o.w}; }
  constexpr Vec4 operator/(float d) const { return {x / d, y / d, z / d, w / d}; }

  // Scales x, y and z to unit length; `w` is left as it is, and a vector of
  // zero length is left unchanged. The length and its inverse are formed in
  // double precision, and each scaled component is rounded once.
  void normalize() {
    const double dx = static_cast<double>(x);
    const double dy = static_cast<double>(y);
    const double dz = static_cast<double>(z);
    const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (len > 0.0) {
      const double inv = 1.0 / len;
      x = static_cast<float>(dx * inv);
      y = static_cast<float>(dy * inv);
      z = static_cast<float>(dz * inv);
    }
  }
};

}  // namespace roamlets
