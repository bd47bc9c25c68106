// The runner against the real library, loaded the way ovoid-run loads it: the step loop
// hands in position + velocity for moving objects, gravity is left to the library, and
// the record follows registration.
#include "scene_run.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "library_loader.h"
#include "numbers.h"

namespace ovoid_run {
namespace {

class SceneRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    library = OpenLibrary(OVOID_LIBRARY_PATH, error);
    ASSERT_NE(library, nullptr) << error;
    std::string missing;
    ASSERT_TRUE(ResolveExports(library, ovoid, missing)) << missing;
  }
  void TearDown() override {
    if (library == nullptr) return;
    // The library is one per process: leave it empty for the next test.
    kExports[2].call(ovoid.exports[2], nullptr, nullptr);  // StopCollisionNUV
    CloseLibrary(library);
  }

  std::string Run(const std::string& text) {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ParseScene(text, "run.scene", scene, error)) << error;
    std::ostringstream out;
    RunScene(scene, ovoid, record, out);
    return out.str();
  }

  void* library = nullptr;
  OvoidLibrary ovoid;
  RunRecord record;
};

TEST_F(SceneRunTest, StepMovesByVelocityAndTheLibraryAppliesGravity) {
  const std::string transcript =
      Run("NewCollObjNUV 1 0\nAddObjShapeNUV 1 1\nActivateObjNUV 1\n"
          "UpdateObjNUV 1 2 10 0 1\n"
          "SetObjGravityNUV 1 0.25\nvelocity 1 0.5 0 -1\n"
          "NewCollObjNUV 2 0\nAddObjShapeNUV 2 1\nActivateObjNUV 2\nSetObjGravityNUV 2 0.5\n"
          "NewCollObjNUV 3 0\nUpdateObjNUV 3 7 7 7 1\n"  // neither velocity nor gravity
          "step 2\nFreeObjNUV 2\nstep 1\nPeekObjYNUV 1\n");
  ASSERT_EQ(record.frames, 3u);
  struct Want {
    uint32_t frame, object;
    Point at;
  };
  const Want want[] = {{1, 1, {2.5f, 9.75f, -1}}, {1, 2, {0, -0.5f, 0}}, {1, 3, {7, 7, 7}},
                       {2, 1, {3, 9.5f, -2}},     {2, 2, {0, -1, 0}},    {2, 3, {7, 7, 7}},
                       {3, 1, {3.5f, 9.25f, -3}}, {3, 3, {7, 7, 7}}};
  ASSERT_EQ(record.rows.size(), std::size(want));
  for (std::size_t i = 0; i < std::size(want); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(record.rows[i].frame, want[i].frame);
    EXPECT_EQ(record.rows[i].object, want[i].object);
    EXPECT_EQ(record.rows[i].position, want[i].at);
  }
  // The path starts where the object stood before its first frame.
  EXPECT_EQ(record.objects[1].path.front().position, (Point{2, 10, 0}));
  EXPECT_NE(transcript.find("frame 3 | 1: 3.5 9.25 -3 c=0 | 3: 7 7 7 c=0\n"), std::string::npos)
      << transcript;
  EXPECT_NE(transcript.find("16: PeekObjYNUV 1 -> 9.25 [0x41140000]\n"), std::string::npos)
      << transcript;

  std::ostringstream csv;
  WriteCsv(record, csv);
  EXPECT_TRUE(csv.str().starts_with("frame,object,x,y,z,contacts\n1,1,2.5,9.75,-1,0\n"))
      << csv.str();
}

TEST_F(SceneRunTest, RejectedCallsLeaveNoObjectToStep) {
  // Type 101 is refused by the library, so object 4 is never registered; after a stop no
  // object is left at all.
  Run("NewCollObjNUV 4 101\nvelocity 4 1 0 0\nNewCollObjNUV 5 0\nstep 1\n"
      "StopCollisionNUV\nstep 1\n");
  ASSERT_EQ(record.rows.size(), 1u);
  EXPECT_EQ(record.rows[0].object, 5u);
  EXPECT_FALSE(record.objects[4].registered);
}

}  // namespace
}  // namespace ovoid_run
