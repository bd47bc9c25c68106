#include "math/matrix4.h"

namespace ovoid {

Matrix4& Matrix4Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b) {
  // Forming the product in a temporary reads both inputs in full before out is written.
  Matrix4 product;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = a.at(i, 0) * b.at(0, j);
      sum = sum + a.at(i, 1) * b.at(1, j);
      sum = sum + a.at(i, 2) * b.at(2, j);
      sum = sum + a.at(i, 3) * b.at(3, j);
      product.at(i, j) = sum;
    }
  }
  out = product;
  return out;
}

Matrix4 Matrix4Translation(float x, float y, float z) {
  Matrix4 out;
  out.m[12] = x;
  out.m[13] = y;
  out.m[14] = z;
  return out;
}

Vec3 Vec3TransformCoord(Vec3 p, const Matrix4& m) {
  float col[4];
  for (int j = 0; j < 4; ++j) {
    col[j] = p.x * m.at(0, j) + p.y * m.at(1, j) + p.z * m.at(2, j) + m.at(3, j);
  }
  Vec3 out{col[0], col[1], col[2]};
  const float w = col[3];
  const float excess = w - 1.0f;
  if (excess < -1e-05f || excess > 1e-05f) {
    const float inv = 1.0f / w;
    out = Vec3{out.x * inv, out.y * inv, out.z * inv};
  }
  return out;
}

}  // namespace ovoid
