// The scene parser: every bad line stops the run with file:line and the reason, and the
// values that reach the library are the bits a host would pass.
#include "scene_script.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "exports_table.h"
#include "numbers.h"
#include "temp_path.h"

namespace ovoid_run {
namespace {

std::string TempPath(const std::string& name) {
  return TestTempPath(name);
}

TEST(SceneScriptErrors, EachBadLineNamesFileLineAndReason) {
  // The good lines before and after the bad one show that the first bad line is reported.
  struct Case {
    const char* name;
    const char* line;
    const char* reason;
  };
  const Case cases[] = {
      {"unknown name", "MakeItFall 1", "unknown statement 'MakeItFall'"},
      {"wrong case", "newcollobjnuv 1 0",
       "unknown statement 'newcollobjnuv' (did you mean 'NewCollObjNUV'?)"},
      {"too few arguments", "SetObjRadiusNUV 1 1 2", "'SetObjRadiusNUV' takes 4 arguments, not 3"},
      {"too many arguments", "RunCollisionNUV 1", "'RunCollisionNUV' takes 0 arguments, not 1"},
      {"one argument", "ActivateObjNUV", "'ActivateObjNUV' takes 1 argument, not 0"},
      {"float where an integer goes", "NewCollObjNUV 1.5 0",
       "argument 1 of 'NewCollObjNUV': '1.5' is not an integer (-2147483648 to 4294967295)"},
      {"integer too large", "ActivateObjNUV 4294967296",
       "argument 1 of 'ActivateObjNUV': '4294967296' is not an integer (-2147483648 to "
       "4294967295)"},
      {"unreadable float", "SetObjGravityNUV 1 0.1.2",
       "argument 2 of 'SetObjGravityNUV': '0.1.2' is not a float"},
      {"float out of range", "SetObjGravityNUV 1 1e39",
       "argument 2 of 'SetObjGravityNUV': '1e39' is not a float"},
      {"comma decimal", "Vec2Yaw 1,5 0 0", "argument 1 of 'Vec2Yaw': '1,5' is not a float"},
      {"velocity count", "velocity 1 0 0", "'velocity' takes 4 arguments (object vx vy vz), not 3"},
      {"velocity number", "velocity x 0 0 0",
       "argument 1 of 'velocity': 'x' is not an integer (-2147483648 to 4294967295)"},
      {"step count", "step", "'step' takes 1 argument (frames), not 0"},
      {"step negative", "step -3", "'step': '-3' is not a frame count (0 to 100000)"},
      {"step too long", "step 100001", "'step': '100001' is not a frame count (0 to 100000)"},
      {"missing OBJ file", "AddMeshNUV 1 no_such_model.obj",
       "cannot open 'scenes/no_such_model.obj'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text =
        std::string("NewCollObjNUV 1 0   # fine\n\n") + c.line + "\nThisLineIsAlsoBad\n";
    Scene scene;
    std::string error;
    EXPECT_FALSE(ParseScene(text, "scenes/case.scene", scene, error));
    EXPECT_EQ(error, std::string("scenes/case.scene:3: ") + c.reason);
    EXPECT_TRUE(scene.statements.empty());
  }
}

TEST(SceneScriptErrors, UnreadableSceneFileIsReported) {
  Scene scene;
  std::string error;
  EXPECT_FALSE(LoadScene(TempPath("never_written.scene"), scene, error));
  EXPECT_EQ(error, TempPath("never_written.scene") + ": cannot open the scene file");
}

TEST(SceneScript, StatementsCarryTheHostsBitsAndLineNumbers) {
  const std::string obj = TempPath("scene_script_tri.obj");
  std::ofstream(obj, std::ios::binary) << "v 0 0 0\nv 0 0 1\nv 1 0 0\nf 1 2 3\n";
  const std::string scenePath = TempPath("scene_script_test.scene");
  std::ofstream(scenePath, std::ios::binary)
      << "# a comment line\r\n"
         "  SetObjRadiusNUV\t1 1 2.5 0x3f800000   # radius\r\n"
         "UpdateObjNUV 7 -0.5 1e3 -0 -1\n"
         "AddMeshNUV 2 scene_script_tri.obj\n"
         "velocity 3 0.25 0 -1\n"
         "step 0\n";
  Scene scene;
  std::string error;
  ASSERT_TRUE(LoadScene(scenePath, scene, error)) << error;
  ASSERT_EQ(scene.statements.size(), 5u);

  const Statement& radius = scene.statements[0];
  EXPECT_EQ(radius.line, 2);
  EXPECT_EQ(radius.text, "SetObjRadiusNUV 1 1 2.5 0x3f800000");
  EXPECT_EQ(kExports[radius.exportIndex].name, std::string("SetObjRadiusNUV"));
  EXPECT_EQ(radius.args, (std::vector<uint32_t>{1, 0x3f800000u, 0x40200000u, 0x3f800000u}));

  // A negative integer goes as its two's complement, -0 keeps its sign bit.
  const Statement& update = scene.statements[1];
  EXPECT_EQ(update.args,
            (std::vector<uint32_t>{7, 0xbf000000u, 0x447a0000u, 0x80000000u, 0xffffffffu}));

  // The OBJ path is taken from the scene's directory and loaded before anything runs.
  const Statement& mesh = scene.statements[2];
  ASSERT_NE(mesh.mesh, nullptr);
  EXPECT_EQ(mesh.mesh->model.triangles.size(), 1u);
  EXPECT_FALSE(mesh.mesh->block.empty());

  EXPECT_EQ(scene.statements[3].kind, StatementKind::kVelocity);
  EXPECT_EQ(scene.statements[3].args, (std::vector<uint32_t>{3, 0x3e800000u, 0, 0xbf800000u}));
  EXPECT_EQ(scene.statements[4].kind, StatementKind::kStep);
  EXPECT_EQ(scene.statements[4].line, 6);
}

TEST(SceneNumbers, ReadAndWriteTheSameBitsOnEveryHost) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t bits;
  };
  const Case floats[] = {
      {"0.1", true, 0x3dcccccdu}, {"-0.1f", true, 0xbdcccccdu},
      {"1.", true, 0x3f800000u},  {".5", true, 0x3f000000u},
      {"+2", true, 0x40000000u},  {"1e-45", true, 1u},
      {"inf", true, 0x7f800000u}, {"0x7fc00001", true, 0x7fc00001u},
      {"0x", false, 0},           {"0x123456789", false, 0},
      {"--1", false, 0},          {"+-1", false, 0},
      {"1f5", false, 0},          {"", false, 0},
  };
  for (const Case& c : floats) {
    SCOPED_TRACE(c.text);
    const std::optional<uint32_t> got = ParseFloatBits(c.text);
    EXPECT_EQ(got.has_value(), c.ok);
    if (got && c.ok) {
      EXPECT_EQ(*got, c.bits);
    }
  }
  const Case ints[] = {
      {"0", true, 0},
      {"-1", true, 0xffffffffu},
      {"-2147483648", true, 0x80000000u},
      {"4294967295", true, 0xffffffffu},
      {"-2147483649", false, 0},
      {"+7", true, 7},
      {"0x10", false, 0},
      {"1e3", false, 0},
      {"- 1", false, 0},
  };
  for (const Case& c : ints) {
    SCOPED_TRACE(c.text);
    const std::optional<uint32_t> got = ParseInt(c.text);
    EXPECT_EQ(got.has_value(), c.ok);
    if (got && c.ok) {
      EXPECT_EQ(*got, c.bits);
    }
  }
  // Shortest round trip, never exponent noise from printf.
  EXPECT_EQ(FormatFloatBits(0x3dcccccdu), "0.1 [0x3dcccccd]");
  EXPECT_EQ(FormatFloat(BitsToFloat(0x3f800001u)), "1.0000001");
  EXPECT_EQ(FormatFloat(-0.0f), "-0");
}

}  // namespace
}  // namespace ovoid_run
