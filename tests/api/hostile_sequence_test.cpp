// A hostile host: thousands of export calls in a random order, with small object numbers,
// types and kinds (many of them invalid), odd floats and mesh blocks, through the shared
// library as a host loads it. Nothing may crash, read freed memory, leak or hang (the
// sanitizer build runs this too), and what a host can check from outside must hold all the
// way: the collision stack walk, CheckShapeNUV, contacts gone after deactivation, positions
// placed bit for bit, the ray's object and type, contacts naming only live objects, and at
// most one error line per arming.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host_library.h"

namespace ovoid_host {
namespace {

// What the host knows about the library: the registered objects, the collision stack with
// its cursor, the rules and the last ray's hit.
struct Model {
  std::map<uint32_t, uint32_t> typeOf;  // registered number -> type id
  std::vector<uint32_t> stack;          // active numbers in activation order
  uint32_t cursor = 0;                  // number under the stack cursor, 0 when none
  struct Rule {
    uint32_t src, dst, method;
  };
  std::vector<Rule> rules;
  uint32_t rayObject = 0;  // object of the last ray's hit, 0 when it hit nothing
  bool rayObjectLive = false;

  bool Registered(uint32_t n) const { return typeOf.count(n) != 0; }

  // Taking a link off the stack moves the cursor on to its successor.
  void Unstack(uint32_t n) {
    auto at = std::find(stack.begin(), stack.end(), n);
    if (at == stack.end()) return;
    if (cursor == n) cursor = (at + 1 != stack.end()) ? *(at + 1) : 0;
    stack.erase(at);
  }

  // An object freed or replaced: gone from the stack, and the ray no longer knows its type.
  void Forget(uint32_t n) {
    Unstack(n);
    typeOf.erase(n);
    if (rayObject == n) rayObjectLive = false;
  }

  int32_t CheckShape(uint32_t n, uint32_t kind) const {
    const uint32_t type = typeOf.at(n);
    for (const Rule& r : rules) {
      if ((r.src == type && kind == 1) || (r.dst == type && r.method == kind)) return 1;
    }
    return 0;
  }
};

class HostileSequence : public HostTest {
 protected:
  std::mt19937 rng;

  uint32_t Pick(uint32_t n) { return static_cast<uint32_t>(rng() % n); }
  bool OneIn(uint32_t n) { return Pick(n) == 0; }

  template <class T, size_t N>
  T Of(const T (&values)[N]) {
    return values[Pick(N)];
  }

  // Mostly numbers 1..6; sometimes the edges and the wild values a host can pass.
  uint32_t Number() {
    if (!OneIn(8)) return 1 + Pick(6);
    static const uint32_t odd[] = {0, 5000, 5001, 0xFFFFFFFFu, 16777217, 0x80000001u, 7};
    return Of(odd);
  }
  uint32_t Type() {
    if (!OneIn(8)) return Pick(2);
    static const uint32_t odd[] = {100, 101, 0xFFFFFFFFu, 0x10000u, 0x80000000u};
    return Of(odd);
  }
  uint32_t Kind() {
    if (!OneIn(6)) return 1 + Pick(2);
    static const uint32_t odd[] = {0, 3, 0x10001u, 0xFFFF0001u, 0xFFFFFFFFu, 0x8001u};
    return Of(odd);
  }
  // Indexes, axes and corners: mostly small, sometimes 0 or huge.
  uint32_t Small() {
    if (!OneIn(6)) return Pick(5);
    static const uint32_t odd[] = {0xFFFFFFFFu, 0x80000000u, 0x10001u, 1000000};
    return Of(odd);
  }
  // Mostly quarters in [-4, 4]; sometimes the floats that break arithmetic.
  float Float() {
    if (!OneIn(30)) return static_cast<float>(static_cast<int>(Pick(33)) - 16) * 0.25f;
    static const float odd[] = {0.0f,   -0.0f,   NAN,    INFINITY, -INFINITY, 1e30f,
                                -1e30f, FLT_MAX, 1e-40f, -1e-45f,  1e-20f,    16777217.0f};
    return Of(odd);
  }
  float Radius() { return OneIn(10) ? Float() : 0.25f * static_cast<float>(1 + Pick(8)); }
  uint32_t FloatBits() { return Bits(Float()); }
  uint32_t Mode() {
    static const uint32_t modes[] = {0, 0, 0, 0, 1, 1, 2, 256, 257, 0xFFFFFFFFu, 0x100u};
    return Of(modes);
  }

  // A mesh block with valid vertex indices and junk in the words that are never read;
  // offsets with their low bits set, and face counts that may be zero or negative.
  std::vector<uint32_t> MeshBlock() {
    const uint32_t vertices = 3 + Pick(5);
    const int32_t faces = static_cast<int32_t>(Pick(6)) - 2;
    const uint32_t vertexWord = 8 + Pick(3);
    const uint32_t faceWord = vertexWord + 3 * vertices + Pick(3);
    std::vector<uint32_t> block(faceWord + 7 * static_cast<uint32_t>(std::max(faces, 0)) + 1);
    for (uint32_t& word : block) word = rng();  // junk everywhere first
    block[1] = vertexWord * 4 + Pick(4);        // low two bits are cleared by the reader
    block[4] = static_cast<uint32_t>(faces);
    block[5] = faceWord * 4 + Pick(4);
    for (uint32_t v = 0; v < 3 * vertices; ++v) block[vertexWord + v] = Bits(Float());
    for (int32_t f = 0; f < faces; ++f) {
      for (uint32_t corner = 0; corner < 3; ++corner) {
        block[faceWord + 7 * static_cast<uint32_t>(f) + 1 + 2 * corner] = Pick(vertices);
      }
    }
    return block;
  }

  // After a ray: either no hit and every RayHit export reads 0, or the hit object is live
  // and the type is its own.
  void CheckRay(int32_t result, Model& model, uint32_t target, bool byType) {
    if (result == 0) {
      for (auto fn : {lib.RayHitPosX, lib.RayHitPosY, lib.RayHitPosZ, lib.RayHitNormX,
                      lib.RayHitNormY, lib.RayHitNormZ, lib.RayHitDist}) {
        EXPECT_EQ(fn(), 0u);
      }
      EXPECT_EQ(lib.RayHitObjNUV(), 0);
      EXPECT_EQ(lib.RayHitTypeNUV(), 0);
      model.rayObject = 0;
      return;
    }
    ASSERT_EQ(result, 1);
    const auto hitObject = static_cast<uint32_t>(lib.RayHitObjNUV());
    ASSERT_TRUE(model.Registered(hitObject)) << hitObject;
    EXPECT_EQ(static_cast<uint32_t>(lib.RayHitTypeNUV()), model.typeOf.at(hitObject));
    if (byType) {
      EXPECT_EQ(model.typeOf.at(hitObject), target);
      EXPECT_NE(std::find(model.stack.begin(), model.stack.end(), hitObject), model.stack.end());
    } else {
      EXPECT_EQ(hitObject, target);
    }
    model.rayObject = hitObject;
    model.rayObjectLive = true;
  }

  // The ray's hit object after it went away: its number stays, its type reads 0.
  void CheckRayAfterForget(const Model& model) {
    if (model.rayObject == 0) return;
    EXPECT_EQ(static_cast<uint32_t>(lib.RayHitObjNUV()), model.rayObject);
    if (!model.rayObjectLive) {
      EXPECT_EQ(lib.RayHitTypeNUV(), 0);
    }
  }

  // Every contact names a live object of the right type, or none at all.
  void CheckContacts(uint32_t n, const Model& model) {
    const int32_t count = lib.CountCollisionsNUV(n);
    if (!model.Registered(n)) {
      EXPECT_EQ(count, 0);
      return;
    }
    ASSERT_GE(count, 0);
    for (uint32_t i = 1; i <= static_cast<uint32_t>(count); ++i) {
      const auto other = static_cast<uint32_t>(lib.CollisionHitObj(n, i));
      if (other != 0) {
        ASSERT_TRUE(model.Registered(other)) << "contact " << i << " of " << n;
        EXPECT_EQ(static_cast<uint32_t>(lib.CollisionHitType(n, i)), model.typeOf.at(other));
      } else {
        EXPECT_EQ(lib.CollisionHitType(n, i), 0);
      }
      const int32_t shape = lib.CollisionHitShape(n, i);
      EXPECT_TRUE(shape == 1 || shape == 2) << shape;
      if (shape == 1) {
        EXPECT_EQ(lib.CollisionHitPoly(n, i), 0);
      }
      if (shape == 2) {
        EXPECT_GE(lib.CollisionHitPoly(n, i), 1);
      }
    }
  }

  void RunSequence(uint32_t seed, int calls);
};

void HostileSequence::RunSequence(uint32_t seed, int calls) {
  rng.seed(seed);
  Model model;
  int arms = 0;
  // The error lines are collected from standard error; a sanitizer report would land there
  // too, so run with ASAN_OPTIONS=log_path=... to read one.
  StderrCapture errors;

  for (int call = 0; call < calls; ++call) {
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", call " << call);
    const uint32_t op = Pick(46);
    const uint32_t n = Number();
    const bool valid = model.Registered(n);
    switch (op) {
      case 0:
      case 1: {
        const uint32_t type = Type();
        lib.NewCollObjNUV(n, type);
        if (n >= 1 && n <= 5000 && type <= 100) {
          model.Forget(n);
          model.typeOf[n] = type;
          EXPECT_EQ(lib.CountCollisionsNUV(n), 0);
          CheckRayAfterForget(model);
        }
        break;
      }
      case 2:
        lib.FreeObjNUV(n);
        if (valid) {
          model.Forget(n);
          CheckRayAfterForget(model);
        }
        break;
      case 3:
      case 4:
        lib.AddObjShapeNUV(n, Kind());
        break;
      case 5:
      case 6:
        lib.ActivateObjNUV(n);
        if (valid) {
          model.Unstack(n);
          model.stack.push_back(n);
        }
        break;
      case 7:
        lib.DeActivateObjNUV(n);
        if (valid) {
          model.Unstack(n);
          EXPECT_EQ(lib.CountCollisionsNUV(n), 0);
        }
        break;
      case 8: {
        const float rx = Radius(), ry = Radius(), rz = Radius();
        lib.SetObjRadiusNUV(n, Bits(rx), Bits(ry), Bits(rz));
        break;
      }
      case 9: {
        const uint32_t x = FloatBits(), y = FloatBits(), z = FloatBits();
        lib.SetEllipOffsetNUV(n, x, y, z);
        break;
      }
      case 10:
        lib.SetObjGravityNUV(n, OneIn(3) ? Bits(0.25f) : FloatBits());
        break;
      case 11: {
        uint32_t corners[9];
        for (uint32_t& c : corners) c = FloatBits();
        lib.AddMeshTri(n, corners[0], corners[1], corners[2], corners[3], corners[4], corners[5],
                       corners[6], corners[7], corners[8]);
        break;
      }
      case 12: {
        const std::vector<uint32_t> block = MeshBlock();
        lib.AddMeshNUV(n, OneIn(5) ? nullptr : block.data());
        break;
      }
      case 13:
      case 14:
      case 15: {
        const float x = Float(), y = Float(), z = Float();
        const uint32_t mode = Mode();
        lib.UpdateObjNUV(n, Bits(x), Bits(y), Bits(z), mode);
        if (valid && (mode & 0xFFu) == 1) {
          // Placed without collision: the position reads back bit for bit, no contacts.
          EXPECT_EQ(lib.PeekObjXNUV(n), Bits(x));
          EXPECT_EQ(lib.PeekObjYNUV(n), Bits(y));
          EXPECT_EQ(lib.PeekObjZNUV(n), Bits(z));
          EXPECT_EQ(lib.CountCollisionsNUV(n), 0);
        }
        break;
      }
      case 16:
      case 17:
      case 18:
        lib.RunCollisionNUV();
        break;
      case 19:
        lib.ResetCollisionStackNUV();
        model.cursor = model.stack.empty() ? 0 : model.stack.front();
        break;
      case 20:
      case 21: {
        const uint32_t want = model.cursor;
        if (want != 0) {
          auto at = std::find(model.stack.begin(), model.stack.end(), want);
          model.cursor = (at + 1 != model.stack.end()) ? *(at + 1) : 0;
        }
        EXPECT_EQ(static_cast<uint32_t>(lib.PeekCollisionStackNUV()), want);
        break;
      }
      case 22: {
        const uint32_t x = lib.PeekObjXNUV(n), y = lib.PeekObjYNUV(n), z = lib.PeekObjZNUV(n);
        if (!valid) {
          EXPECT_EQ(x | y | z, 0u);
        }
        break;
      }
      case 23: {
        const uint32_t src = Type(), dst = Type(), method = OneIn(8) ? Small() : 1 + Pick(2);
        const uint32_t response = OneIn(8) ? Small() + 4 : 1 + Pick(5);
        const uint32_t dynamic = OneIn(8) ? Small() + 2 : 1 + Pick(3);
        lib.SetCollisionsNUV(src, dst, method, response, dynamic);
        if (src <= 100 && dst <= 100 && (method == 1 || method == 2) && response >= 1 &&
            response <= 5 && dynamic >= 1 && dynamic <= 3) {
          model.rules.push_back({src, dst, method});
        }
        break;
      }
      case 24: {
        const uint32_t kind = Kind();
        const int32_t got = lib.CheckShapeNUV(n, kind);
        EXPECT_EQ(got, valid ? model.CheckShape(n, kind) : 0) << "kind " << kind;
        break;
      }
      case 25:
      case 26:
        CheckContacts(n, model);
        break;
      case 27: {
        const uint32_t index = Small(), a = Small(), b = Small();
        lib.CollisionHitPos(n, index, a);
        lib.CollisionHitNorm(n, index, a);
        lib.CollisionTriCorner(n, index, a, b);
        lib.CollisionHitPoly(n, index);
        lib.CollisionHitShape(n, index);
        if (!valid) {
          EXPECT_EQ(lib.CollisionHitObj(n, index), 0);
        }
        break;
      }
      case 28:
      case 29: {
        const uint32_t kind = Kind();
        uint32_t ends[6];
        for (uint32_t& e : ends) e = FloatBits();
        if (OneIn(2)) {  // straight down through the floors and the spheres above them
          ends[1] = Bits(8.0f);
          ends[3] = ends[0];
          ends[4] = Bits(-8.0f);
          ends[5] = ends[2];
        }
        if (OneIn(8)) std::copy(ends, ends + 3, ends + 3);  // no length at all
        if (op == 28) {
          const int32_t got = lib.RayIntersectObjectNUV(n, kind, ends[0], ends[1], ends[2], ends[3],
                                                        ends[4], ends[5]);
          if (valid) {
            CheckRay(got, model, n, false);
          } else {
            EXPECT_EQ(got, 0);
            CheckRayAfterForget(model);  // the previous ray is still readable
          }
        } else {
          const uint32_t type = Type();
          CheckRay(lib.RayIntersectTypeNUV(type, kind, ends[0], ends[1], ends[2], ends[3], ends[4],
                                           ends[5]),
                   model, type, true);
        }
        break;
      }
      case 30:
        lib.RayHitPosX();
        lib.RayHitNormY();
        lib.RayHitDist();
        CheckRayAfterForget(model);
        break;
      case 31:
        lib.SetEllipOptimizeNUV(Small());
        lib.SetEllipSizeModeNUV(Small());
        break;
      case 32:
        lib.SetConcaveModeNUV(OneIn(4) ? Small() + 5 : 1 + Pick(6));
        break;
      case 33:
      case 34:
        lib.StartCollisionDebugNUV();
        ++arms;
        break;
      case 35:
        lib.StartCollisionNUV();
        break;
      case 36:
        if (OneIn(40)) {
          lib.StopCollisionNUV();
          if (OneIn(2)) lib.StopCollisionNUV();
          model = Model{};
          CheckRay(0, model, 0, false);
        }
        break;
      case 37: {
        const uint32_t x = FloatBits(), y = FloatBits(), z = FloatBits();
        lib.Vec2Yaw(x, y, z);
        lib.Vec2Pitch(x, y, z);
        break;
      }
      case 40:
      case 41:
      case 42:
      case 43: {
        // A usable object: an ellipsoid or a mesh (or both), active, placed nearby.
        const uint32_t number = 1 + Pick(6), type = Pick(2), shapes = Pick(4);
        lib.NewCollObjNUV(number, type);
        model.Forget(number);
        model.typeOf[number] = type;
        CheckRayAfterForget(model);
        if (shapes != 1) lib.AddObjShapeNUV(number, 1);
        if (shapes != 0) {
          lib.AddObjShapeNUV(number, 2);
          const float y = Float() * 0.5f;
          Quad(number, {-4, y, -4}, {-4, y, 4}, {4, y, 4}, {4, y, -4});
          for (uint32_t extra = Pick(4); extra > 0; --extra) {
            float c[9];
            for (float& v : c) v = Float();
            Tri(number, {c[0], c[1], c[2]}, {c[3], c[4], c[5]}, {c[6], c[7], c[8]});
          }
        }
        const float rx = Radius(), ry = Radius(), rz = Radius();
        lib.SetObjRadiusNUV(number, Bits(rx), Bits(ry), Bits(rz));
        lib.SetObjGravityNUV(number, Bits(OneIn(2) ? 0.0f : 0.125f));
        lib.ActivateObjNUV(number);
        model.Unstack(number);
        model.stack.push_back(number);
        const float x = Float(), y = Float(), z = Float();
        Place(number, {x, y, z});
        break;
      }
      case 44: {
        const uint32_t src = Pick(2), dst = Pick(2), method = 1 + Pick(2);
        const uint32_t response = 1 + Pick(5), dynamic = 1 + Pick(3);
        lib.SetCollisionsNUV(src, dst, method, response, dynamic);
        model.rules.push_back({src, dst, method});
        break;
      }
      default: {
        // A few frames of ordinary moves for everything registered, then a run.
        for (const auto& [number, type] : model.typeOf) {
          const Point at = Peek(number);
          if (!std::isfinite(at.x) || !std::isfinite(at.y) || !std::isfinite(at.z)) continue;
          const float step[3] = {0.25f * (static_cast<float>(Pick(5)) - 2.0f),
                                 0.25f * (static_cast<float>(Pick(5)) - 2.0f),
                                 0.25f * (static_cast<float>(Pick(5)) - 2.0f)};
          Move(number, {at.x + step[0], at.y + step[1], at.z + step[2]});
        }
        lib.RunCollisionNUV();
        for (const auto& entry : model.typeOf) CheckContacts(entry.first, model);
        break;
      }
    }
    if (HasFatalFailure()) return;
  }

  // The whole stack, walked from the start, is the model's.
  lib.ResetCollisionStackNUV();
  std::vector<uint32_t> walked;
  for (int32_t next; (next = lib.PeekCollisionStackNUV()) != 0;) {
    walked.push_back(static_cast<uint32_t>(next));
  }
  EXPECT_EQ(walked, model.stack);

  // At most one line per arming, each a known text with its caption.
  const std::string shown = errors.Finish();
  std::istringstream lines(shown);
  static const char* const kTexts[] = {
      "Object number out of range for collision system: ",
      "Object not defined in collision system: ",
      "Invalid System Concave Setting: ",
      "Invalid Collision TYPE ID: ",
      "Invalid Collision Definition SOURCE TYPE: ",
      "Invalid Collision Definition DEST. TYPE: ",
      "Invalid Collision Definition METHOD: ",
      "Invalid Collision Definition Response Method: ",
      "Invalid Collision Definition Dynamic Response Method: ",
      "Ellip radius values must be positive for object: ",
      "Collision index out of range: ",
  };
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    ++count;
    bool known = false;
    for (const char* text : kTexts) {
      known = known || line.rfind(std::string("Collision Error: ") + text, 0) == 0;
    }
    EXPECT_TRUE(known) << line;
  }
  EXPECT_LE(count, arms);
  EXPECT_GT(count, 0) << "the sequence should have shown some errors";
}

TEST_F(HostileSequence, RandomExportCallsStayConsistentAndClean) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    RunSequence(seed, 3000);
    if (HasFatalFailure()) return;
    lib.StopCollisionNUV();
  }
}

}  // namespace
}  // namespace ovoid_host
