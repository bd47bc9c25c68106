// Row-major 4x4 single-precision matrices. Points are row vectors on the left:
// (x, y, z, 1) × M, so the translation sits in elements 12, 13 and 14.
#pragma once

#include "math/vec3.h"

namespace ovoid {

struct Matrix4 {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  float& at(int row, int col) { return m[4 * row + col]; }
  float at(int row, int col) const { return m[4 * row + col]; }
};

inline Matrix4 Matrix4Identity() {
  return Matrix4{};
}

/// out = a × b, as if both inputs were read in full first: out may be a, b or both.
Matrix4& Matrix4Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);

/// The identity with the translation (x, y, z).
Matrix4 Matrix4Translation(float x, float y, float z);

/// (p, 1) × M, divided by w unless w lies within 1e-05 of 1.
Vec3 Vec3TransformCoord(Vec3 p, const Matrix4& m);

}  // namespace ovoid
