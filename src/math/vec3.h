// Three-component single-precision vectors. Every operation works component by component
// in float, in the order written, so the native build and the 32-bit DLL agree bit for bit.
#pragma once

namespace ovoid {

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

inline Vec3 Vec3Set(float x, float y, float z) {
  return Vec3{x, y, z};
}
inline Vec3 Vec3Add(Vec3 a, Vec3 b) {
  return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 Vec3Sub(Vec3 a, Vec3 b) {
  return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 Vec3Negate(Vec3 v) {
  return Vec3{-v.x, -v.y, -v.z};
}
inline Vec3 Vec3Scale(float s, Vec3 v) {
  return Vec3{s * v.x, s * v.y, s * v.z};
}

/// a · b, summed z first, then y, then x.
inline float Vec3Dot(Vec3 a, Vec3 b) {
  return a.z * b.z + a.y * b.y + a.x * b.x;
}

inline Vec3 Vec3Cross(Vec3 a, Vec3 b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

/// Component-wise product and quotient: the moves into and out of an ellipsoid's unit space.
inline Vec3 Vec3Mul(Vec3 a, Vec3 b) {
  return Vec3{a.x * b.x, a.y * b.y, a.z * b.z};
}
inline Vec3 Vec3Div(Vec3 a, Vec3 b) {
  return Vec3{a.x / b.x, a.y / b.y, a.z / b.z};
}

/// Squared length, summed x first.
inline float Vec3LengthSq(Vec3 v) {
  return v.x * v.x + v.y * v.y + v.z * v.z;
}

/// Unit vector. A squared length within 1e-05 of 1 (bounds included, NaN too) is returned
/// unchanged; one not above 9.9999994e-11 gives (0, 0, 0).
Vec3 Vec3Normalize(Vec3 v);

}  // namespace ovoid
