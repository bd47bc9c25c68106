// OBJ file to mesh block to the library's block reader: the triangles a mesh ends up with
// must be the file's faces, fanned from their first corner, in file order, with the file's
// winding.
#include "obj_mesh.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/registry.h"
#include "mesh/mesh_shape.h"
#include "temp_path.h"
#include "test_world.h"

namespace ovoid {
namespace {

using ovoid_run::BuildMeshBlock;
using ovoid_run::LoadObjModel;
using ovoid_run::ObjModel;

std::string WriteFile(const std::string& name, const std::string& text) {
  const std::string path = TestTempPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

struct Tri {
  Vec3 a, b, c;
};

class ObjBlockTest : public WorldTest {
 protected:
  // What an object with one mesh shape holds after AddMeshNUV with the file's block.
  std::vector<Tri> ThroughLibrary(const std::string& text) {
    ObjModel model;
    std::string error;
    const std::string path = WriteFile("obj_block_test.obj", text);
    EXPECT_TRUE(LoadObjModel(path, model, error)) << error;
    const std::vector<uint32_t> block = BuildMeshBlock(model);
    NewCollObj(world, 1, 0);
    AddObjShape(world, 1, kMesh);
    AddMeshBlock(world, 1, block.data());
    std::vector<Tri> tris;
    MeshShape& mesh = AsMesh(*world.objectTable[1]->body->shapes.head);
    for (MeshTri* t = mesh.tris.head; t != nullptr; t = t->link.next) {
      tris.push_back({t->corner1, t->corner2, t->corner3});
    }
    return tris;
  }
};

void ExpectTris(const std::vector<Tri>& got, const std::vector<Tri>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("triangle " + std::to_string(i + 1));
    for (auto [g, w] :
         {std::pair{got[i].a, want[i].a}, {got[i].b, want[i].b}, {got[i].c, want[i].c}}) {
      EXPECT_EQ(g.x, w.x);
      EXPECT_EQ(g.y, w.y);
      EXPECT_EQ(g.z, w.z);
    }
  }
}

TEST_F(ObjBlockTest, FacesArriveInFileOrderFannedFromTheFirstCorner) {
  // A kite quad whose short diagonal is 2-4: a loader splitting by the shorter diagonal
  // would give (1,2,4), (2,3,4); fanning gives (1,2,3), (1,3,4). Then a pentagon with
  // corners given as v/vt/vn, and a triangle by relative indices in a second object.
  const std::vector<Tri> got = ThroughLibrary(
      "# kite\n"
      "v 0 0 0\nv 1 0 -0.2\nv 3 0 0\nv 1 0 0.2\n"
      "vt 0 0\nvn 0 1 0\n"
      "f 1 4 3 2\n"
      "v 10 1 0\nv 11 1 0\nv 11.5 1 1\nv 10.5 1 2\nv 9.5 1 1\n"
      "f 5/1/1 9/1/1 8/1/1 7/1/1 6/1/1\n"
      "o second\n"
      "v 0 5 0\nv 0 5 1\nv 1 5 0\n"
      "f -3 -2 -1\r\n");
  const Vec3 k1{0, 0, 0}, k2{1, 0, -0.2f}, k3{3, 0, 0}, k4{1, 0, 0.2f};
  const Vec3 p5{10, 1, 0}, p6{11, 1, 0}, p7{11.5f, 1, 1}, p8{10.5f, 1, 2}, p9{9.5f, 1, 1};
  ExpectTris(got, {{k1, k4, k3},
                   {k1, k3, k2},
                   {p5, p9, p8},
                   {p5, p8, p7},
                   {p5, p7, p6},
                   {{0, 5, 0}, {0, 5, 1}, {1, 5, 0}}});
}

TEST_F(ObjBlockTest, WindingIsKeptSoTheFileFrontIsTheLibraryFront) {
  // Counter-clockwise seen from above: the front (c2 - c1) x (c3 - c1) points up.
  const std::vector<Tri> got = ThroughLibrary("v 0 0 0\nv 0 0 1\nv 1 0 1\nv 1 0 0\nf 1 2 3 4\n");
  ASSERT_EQ(got.size(), 2u);
  for (const Tri& t : got) {
    const Vec3 u{t.b.x - t.a.x, t.b.y - t.a.y, t.b.z - t.a.z};
    const Vec3 v{t.c.x - t.a.x, t.c.y - t.a.y, t.c.z - t.a.z};
    EXPECT_GT(u.z * v.x - u.x * v.z, 0.0f);  // y of u x v
  }
}

TEST_F(ObjBlockTest, DecimalPositionsReachTheLibraryAsTheNearestFloat) {
  const std::vector<Tri> got = ThroughLibrary("v 0.1 -2.5e-3 1e6\nv 0.3 0 0\nv 0 0.7 0\nf 1 2 3\n");
  ExpectTris(got, {{{0.1f, -2.5e-3f, 1e6f}, {0.3f, 0, 0}, {0, 0.7f, 0}}});
}

TEST(ObjModelErrors, BadFilesAreRefusedWithAReason) {
  std::string bigFace = "f";
  std::string manyVertices;
  for (int i = 1; i <= 300; ++i) {
    manyVertices += "v " + std::to_string(i) + " 0 " + std::to_string(i % 7) + "\n";
    bigFace += " " + std::to_string(i);
  }
  struct Case {
    const char* name;
    const char* file;
    std::string text;  // unused when the file is not written
    const char* want;  // part of the reason
  };
  const Case cases[] = {
      {"missing file", "obj_missing_never_written.obj", "", "cannot open"},
      {"vertex out of range", "obj_bad_index.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n",
       "face 1 names a vertex the file does not have"},
      {"no faces", "obj_no_faces.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n", "has no faces"},
      {"face over 255 corners", "obj_big_face.obj", manyVertices + bigFace + "\n", "at most 255"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.text.empty() ? TestTempPath(c.file) : WriteFile(c.file, c.text);
    ObjModel model;
    std::string error;
    EXPECT_FALSE(LoadObjModel(path, model, error));
    EXPECT_NE(error.find(c.want), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace ovoid
