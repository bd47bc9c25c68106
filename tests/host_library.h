// Loads the real shared library the way a host does and reaches every export by name. The
// export list is the one the build generates from src/api/exports.txt, so a new export is
// resolved (and checked) here without touching this file.
//
// The library keeps one global state for the whole process, so it is loaded once and never
// unloaded (its own destructor still stops it at exit); every test starts and ends with
// StopCollisionNUV and the default settings (see HostTest).
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ovoid/ovoid.h"

namespace ovoid_host {

/// Ordinal and name of every export, in ordinal order.
struct ExportEntry {
  unsigned ordinal;
  const char* name;
};

inline constexpr ExportEntry kExports[] = {
#define OVOID_EXPORT(ordinal, name) {ordinal, #name},
#include "ovoid_exports.inc"
#undef OVOID_EXPORT
};

/// The exports as function pointers with the header's own signatures. Floats travel as
/// 32-bit patterns: wrap arguments in Bits() and results in Float().
struct Library {
  void* handle = nullptr;
  std::string error;  ///< empty when the library loaded and every export resolved
#define OVOID_EXPORT(ordinal, name) decltype(&::name) name = nullptr;
#include "ovoid_exports.inc"
#undef OVOID_EXPORT
};

/// The library, loaded on first use from OVOID_LIBRARY_PATH.
inline const Library& Host() {
  static const Library library = [] {
    Library lib;
    lib.handle = dlopen(OVOID_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (lib.handle == nullptr) {
      const char* why = dlerror();
      lib.error = why != nullptr ? why : "dlopen failed";
      return lib;
    }
#define OVOID_EXPORT(ordinal, name)                                          \
  lib.name = reinterpret_cast<decltype(lib.name)>(dlsym(lib.handle, #name)); \
  if (lib.name == nullptr) lib.error += "missing export " #name "; ";
#include "ovoid_exports.inc"
#undef OVOID_EXPORT
    return lib;
  }();
  return library;
}

inline uint32_t Bits(float value) {
  return OvoidFloatBits(value);
}
inline float Float(uint32_t bits) {
  return OvoidBitsFloat(bits);
}

struct Point {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

inline float Distance(Point a, Point b) {
  const double dx = static_cast<double>(a.x) - b.x;
  const double dy = static_cast<double>(a.y) - b.y;
  const double dz = static_cast<double>(a.z) - b.z;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

/// Collects what the library writes to stderr (the error box of the native build) while
/// it lives.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(2);
    if (file_ != nullptr && saved_ >= 0) dup2(fileno(file_), 2);
  }
  ~StderrCapture() { Finish(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  /// Restores stderr and returns everything written since construction.
  std::string Finish() {
    if (saved_ < 0) return text_;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
    if (file_ != nullptr) {
      std::rewind(file_);
      char buffer[256];
      size_t n = 0;
      while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text_.append(buffer, n);
      std::fclose(file_);
      file_ = nullptr;
    }
    return text_;
  }

 private:
  std::FILE* file_ = nullptr;
  int saved_ = -1;
  std::string text_;
};

/// A test that drives the library through its exports only. Each test starts from an empty
/// library with the default settings and leaves it so.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Host().error.empty()) << Host().error;
    Reset();
  }
  void TearDown() override {
    if (Host().error.empty()) Reset();
  }

  const Library& lib = Host();

  /// Registers an object with one unit ellipsoid, activates it and places it.
  void AddSphere(uint32_t number, uint32_t type, Point at) {
    lib.NewCollObjNUV(number, type);
    lib.AddObjShapeNUV(number, 1);
    lib.ActivateObjNUV(number);
    Place(number, at);
  }
  /// Registers an object with one ellipsoid of the given radii and gravity, activates it and
  /// places it.
  void AddEllipsoid(uint32_t number, uint32_t type, Point radius, float gravity, Point at) {
    lib.NewCollObjNUV(number, type);
    lib.AddObjShapeNUV(number, 1);
    lib.SetObjRadiusNUV(number, Bits(radius.x), Bits(radius.y), Bits(radius.z));
    lib.SetObjGravityNUV(number, Bits(gravity));
    lib.ActivateObjNUV(number);
    Place(number, at);
  }
  /// Registers an object with one (still empty) mesh and activates it.
  void AddMesh(uint32_t number, uint32_t type) {
    lib.NewCollObjNUV(number, type);
    lib.AddObjShapeNUV(number, 2);
    lib.ActivateObjNUV(number);
  }
  /// Adds triangle a b c to the object's mesh, front toward (b − a) × (c − a).
  void Tri(uint32_t number, Point a, Point b, Point c) {
    lib.AddMeshTri(number, Bits(a.x), Bits(a.y), Bits(a.z), Bits(b.x), Bits(b.y), Bits(b.z),
                   Bits(c.x), Bits(c.y), Bits(c.z));
  }
  /// The two triangles a b c and a c d of a quad.
  void Quad(uint32_t number, Point a, Point b, Point c, Point d) {
    Tri(number, a, b, c);
    Tri(number, a, c, d);
  }

  /// Puts the object at a point without collision (update mode 1).
  void Place(uint32_t number, Point at) {
    lib.UpdateObjNUV(number, Bits(at.x), Bits(at.y), Bits(at.z), 1);
  }
  /// Hands in the wanted position of an ordinary move (update mode 0).
  void Move(uint32_t number, Point to) {
    lib.UpdateObjNUV(number, Bits(to.x), Bits(to.y), Bits(to.z), 0);
  }
  /// One host frame for one moving object: hand in where it wants to go, then run.
  void Frame(uint32_t number, Point velocity) {
    const Point at = Peek(number);
    Move(number, {at.x + velocity.x, at.y + velocity.y, at.z + velocity.z});
    lib.RunCollisionNUV();
  }

  Point Peek(uint32_t number) const {
    return Point{Float(lib.PeekObjXNUV(number)), Float(lib.PeekObjYNUV(number)),
                 Float(lib.PeekObjZNUV(number))};
  }
  Point HitPos(uint32_t number, uint32_t index) const {
    return Point{Float(lib.CollisionHitPos(number, index, 1)),
                 Float(lib.CollisionHitPos(number, index, 2)),
                 Float(lib.CollisionHitPos(number, index, 3))};
  }
  Point HitNorm(uint32_t number, uint32_t index) const {
    return Point{Float(lib.CollisionHitNorm(number, index, 1)),
                 Float(lib.CollisionHitNorm(number, index, 2)),
                 Float(lib.CollisionHitNorm(number, index, 3))};
  }

 private:
  void Reset() {
    lib.StopCollisionNUV();
    lib.SetEllipOptimizeNUV(1);
    lib.SetEllipSizeModeNUV(0);
    lib.SetConcaveModeNUV(3);
  }
};

}  // namespace ovoid_host
