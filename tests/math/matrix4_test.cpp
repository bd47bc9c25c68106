#include "math/matrix4.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace ovoid {
namespace {

void ExpectSame(const Matrix4& got, const Matrix4& want) {
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(std::bit_cast<uint32_t>(got.m[i]), std::bit_cast<uint32_t>(want.m[i]))
        << "element " << i << ": " << got.m[i] << " vs " << want.m[i];
  }
}

Matrix4 Filled(float first) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = first + static_cast<float>(i * i % 7) - 0.5f * i;
  return m;
}

TEST(Matrix4, TranslationAndIdentity) {
  const Matrix4 t = Matrix4Translation(10, 20, 30);
  const float want[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(t.m[i], want[i]) << i;
  const Matrix4 identity = Matrix4Identity();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(identity.m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}

TEST(Matrix4, MultiplyIsRowMajorWithPointsOnTheLeft) {
  Matrix4 ab;
  Matrix4Multiply(ab, Matrix4Translation(1, 2, 3), Matrix4Translation(10, 20, 30));
  ExpectSame(ab, Matrix4Translation(11, 22, 33));
  // p × (A × B) = (p × A) × B, with A a scale and B a translation: scale first.
  Matrix4 scale;
  scale.m[0] = 2;
  scale.m[5] = 3;
  scale.m[10] = 4;
  Matrix4Multiply(ab, scale, Matrix4Translation(1, 1, 1));
  const Vec3 p = Vec3TransformCoord(Vec3{1, 1, 1}, ab);
  EXPECT_EQ(p.x, 3.0f);
  EXPECT_EQ(p.y, 4.0f);
  EXPECT_EQ(p.z, 5.0f);
}

TEST(Matrix4, MultiplyReadsBothInputsInFullWhateverTheAliasing) {
  const Matrix4 a = Filled(1.25f);
  const Matrix4 b = Filled(-3.5f);
  Matrix4 want;
  Matrix4Multiply(want, a, b);
  Matrix4 square;
  Matrix4Multiply(square, a, a);

  Matrix4 outIsA = a;
  Matrix4Multiply(outIsA, outIsA, b);
  ExpectSame(outIsA, want);
  Matrix4 outIsB = b;
  Matrix4Multiply(outIsB, a, outIsB);
  ExpectSame(outIsB, want);
  Matrix4 all = a;
  Matrix4Multiply(all, all, all);
  ExpectSame(all, square);
}

TEST(Matrix4, InPlaceCasesWithIdentityAndTranslation) {
  const Matrix4 t = Matrix4Translation(4, 5, 6);
  Matrix4 m;
  Matrix4Multiply(m, m, t);
  ExpectSame(m, t);
  Matrix4Multiply(m, Matrix4Identity(), m);
  ExpectSame(m, t);
  Matrix4 identity;
  Matrix4Multiply(identity, identity, identity);
  ExpectSame(identity, Matrix4Identity());
}

TEST(Matrix4, TransformCoordDividesOnlyWhenWIsAwayFromOne) {
  const Vec3 moved = Vec3TransformCoord(Vec3{1, 2, 3}, Matrix4Translation(10, 20, 30));
  EXPECT_EQ(moved.x, 11.0f);
  EXPECT_EQ(moved.y, 22.0f);
  EXPECT_EQ(moved.z, 33.0f);

  struct Case {
    const char* name;
    float w;
    float wantX;
  };
  const Case cases[] = {
      {"w 2 divides", 2.0f, 3.0f},
      {"w within 1e-05 keeps", 1.000005f, 6.0f},
      {"w just outside divides", 1.00002f, 6.0f * (1.0f / 1.00002f)},
      {"w 0.5 divides", 0.5f, 12.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Matrix4 m;
    m.m[15] = c.w;
    const Vec3 p = Vec3TransformCoord(Vec3{6, 0, 0}, m);
    EXPECT_EQ(p.x, c.wantX);
  }
  // The homogeneous column: w = x·m3 + y·m7 + z·m11 + m15.
  Matrix4 m;
  m.m[3] = 1;
  const Vec3 p = Vec3TransformCoord(Vec3{3, 6, 9}, m);
  EXPECT_EQ(p.x, 3.0f / 4.0f * 1.0f);
  EXPECT_EQ(p.y, 6.0f * (1.0f / 4.0f));
}

}  // namespace
}  // namespace ovoid
