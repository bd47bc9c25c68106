#include "mesh/mesh_shape.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/registry.h"
#include "test_world.h"

namespace ovoid {
namespace {

void ExpectVec(Vec3 got, Vec3 want) {
  EXPECT_EQ(got.x, want.x);
  EXPECT_EQ(got.y, want.y);
  EXPECT_EQ(got.z, want.z);
}

TEST(MeshAddTriangle, BoundsFollowTheExtremeCorners) {
  MeshShape mesh;
  mesh.boundsMin = {-100, -100, -100};  // whatever it held: the first triangle resets it
  mesh.boundsMax = {100, 100, 100};
  MeshAddTriangle(mesh, {1, 2, 3}, {4, -5, 6}, {0, 0, 9});
  ExpectVec(mesh.boundsMin, {0, -5, 3});
  ExpectVec(mesh.boundsMax, {4, 2, 9});

  MeshAddTriangle(mesh, {1, 1, 4}, {2, 0, 5}, {3, -1, 8});  // inside the box
  ExpectVec(mesh.boundsMin, {0, -5, 3});
  ExpectVec(mesh.boundsMax, {4, 2, 9});

  MeshAddTriangle(mesh, {1, 1, 4}, {2, 0, 5}, {3, 7, 8});  // out on +y only
  ExpectVec(mesh.boundsMin, {0, -5, 3});
  ExpectVec(mesh.boundsMax, {4, 7, 9});
  MeshFreeTriangles(mesh);
}

class MeshBlockTest : public WorldTest {
 protected:
  void SetUp() override {
    NewCollObj(world, 1, 0);
    AddObjShape(world, 1, 2);
    AddObjShape(world, 1, 1);
    AddObjShape(world, 1, 2);
  }
  std::vector<const MeshTri*> Tris(int meshNo) {
    std::vector<const MeshTri*> out;
    int seen = 0;
    for (CollShape* s = world.objectTable[1]->body->shapes.head; s != nullptr; s = s->link.next) {
      if (s->kind != kMesh || ++seen != meshNo) continue;
      for (const MeshTri* t = AsMesh(*s).tris.head; t != nullptr; t = t->link.next) {
        out.push_back(t);
      }
    }
    return out;
  }
};

void Put(std::vector<unsigned char>& block, size_t at, const void* value) {
  std::memcpy(block.data() + at, value, 4);
}

TEST_F(MeshBlockTest, ReadsOnlyTheNamedWordsWithOffsetsRoundedDown) {
  std::vector<unsigned char> block(256, 0xAB);  // junk in every word not written below
  const uint32_t vertexOffset = 14;             // vertices really start at 12
  const int32_t faceCount = 3;
  const uint32_t faceOffset = 130;  // faces really start at 128
  Put(block, 4, &vertexOffset);
  Put(block, 16, &faceCount);
  Put(block, 20, &faceOffset);
  // Vertices 0 and 1 would overlap the header; the faces use 2 to 6 (bytes 36 to 95).
  const float vertices[7][3] = {{}, {}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 6, 7}};
  std::memcpy(block.data() + 36, vertices[2], 5 * sizeof vertices[0]);
  const int32_t faces[3][3] = {{2, 3, 4}, {6, 5, 2}, {4, 4, 3}};
  for (int k = 0; k < 3; ++k) {
    for (int j = 0; j < 3; ++j) Put(block, 128 + 28 * k + 4 + 8 * j, &faces[k][j]);
  }

  AddMeshBlock(world, 1, block.data());

  for (int meshNo = 1; meshNo <= 2; ++meshNo) {
    SCOPED_TRACE(meshNo);
    const auto tris = Tris(meshNo);
    ASSERT_EQ(tris.size(), 3u);
    for (int k = 0; k < 3; ++k) {
      const float* c1 = vertices[faces[k][0]];
      const float* c2 = vertices[faces[k][1]];
      const float* c3 = vertices[faces[k][2]];
      ExpectVec(tris[k]->corner1, {c1[0], c1[1], c1[2]});
      ExpectVec(tris[k]->corner2, {c2[0], c2[1], c2[2]});
      ExpectVec(tris[k]->corner3, {c3[0], c3[1], c3[2]});
    }
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(MeshBlockTest, NoFacesOrNoBlockAddsNothing) {
  std::vector<unsigned char> block(64, 0);
  const int32_t negative = -2;
  Put(block, 16, &negative);
  AddMeshBlock(world, 1, block.data());
  AddMeshBlock(world, 1, nullptr);
  EXPECT_TRUE(Tris(1).empty());
  EXPECT_TRUE(reports.empty());
}

TEST_F(MeshBlockTest, TrianglesAddedToEveryMeshOfTheObject) {
  AddMeshTri(world, 1, {0, 0, 0}, {0, 0, 1}, {1, 0, 0});
  AddMeshTri(world, 1, {0, 1, 0}, {0, 1, 1}, {1, 1, 0});
  ASSERT_EQ(Tris(1).size(), 2u);
  ASSERT_EQ(Tris(2).size(), 2u);
  EXPECT_EQ(Tris(2)[1]->corner1.y, 1.0f);
}

}  // namespace
}  // namespace ovoid
