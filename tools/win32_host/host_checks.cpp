// What the host checks through the DLL. Each check starts from a stopped library; to add one,
// write a function and list it in kChecks.
#include <set>
#include <string>

#include "host.h"

namespace host {
namespace {

// Every listed export resolves by name and by ordinal to the same address, and the
// ordinal after the last one resolves to nothing.
void ExportsResolve(Host& h) {
  for (const ExportEntry& entry : kExports) {
    FARPROC byName = GetProcAddress(h.module, entry.name);
    FARPROC byOrdinal = GetProcAddress(h.module, MAKEINTRESOURCEA(entry.ordinal));
    if (byName == nullptr) h.Fail("%s: not found by name", entry.name);
    if (byOrdinal == nullptr) h.Fail("%s: ordinal %u not found", entry.name, entry.ordinal);
    if (byName != nullptr && byOrdinal != nullptr && byName != byOrdinal) {
      h.Fail("%s: by name %p, by ordinal %u %p", entry.name, reinterpret_cast<void*>(byName),
             entry.ordinal, reinterpret_cast<void*>(byOrdinal));
    }
  }
  if (GetProcAddress(h.module, MAKEINTRESOURCEA(kExportCount + 1)) != nullptr) {
    h.Fail("ordinal %u resolves, but the list ends at %u", kExportCount + 1, kExportCount);
  }
}

// The loaded image's export directory holds the listed names and nothing else, with the
// ordinals starting at 1.
void ExportDirectoryExact(Host& h) {
  const auto* base = reinterpret_cast<const BYTE*>(h.module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) {
    h.Fail("no export directory");
    return;
  }
  const auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  h.ExpectInt("ordinal base", int32_t(dir->Base), 1);
  h.ExpectInt("exported functions", int32_t(dir->NumberOfFunctions), int32_t(kExportCount));
  h.ExpectInt("exported names", int32_t(dir->NumberOfNames), int32_t(kExportCount));

  std::set<std::string> want;
  for (const ExportEntry& e : kExports) want.insert(e.name);
  const auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
  for (DWORD i = 0; i < dir->NumberOfNames; ++i) {
    const char* name = reinterpret_cast<const char*>(base + names[i]);
    if (want.erase(name) == 0) h.Fail("unexpected export %s", name);
  }
  for (const std::string& name : want) h.Fail("export %s missing from the directory", name.c_str());
}

// Float arguments and results cross as bit patterns. A right angle comes back as the single
// just below 90, a straight angle as the one just below 180.
void AnglesAsBits(Host& h) {
  struct Case {
    const char* what;
    const char* fn;
    float x, y, z;
    uint32_t want;
  };
  const Case cases[] = {
      {"Vec2Yaw(1, 0, 0)", "Vec2Yaw", 1, 0, 0, 0x42B3FFFF},
      {"Vec2Yaw(-1, 0, 0)", "Vec2Yaw", -1, 0, 0, 0x42B3FFFF},
      {"Vec2Yaw(0, 0, -1)", "Vec2Yaw", 0, 0, -1, 0x4333FFFF},
      {"Vec2Yaw(0, 5, 1)", "Vec2Yaw", 0, 5, 1, 0},
      {"Vec2Pitch(0, 1, 0)", "Vec2Pitch", 0, 1, 0, 0x42B3FFFF},
      {"Vec2Pitch(1, 0, 0)", "Vec2Pitch", 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    h.ExpectBits(c.what, h.Call(c.fn, Bits(c.x), Bits(c.y), Bits(c.z)), c.want);
  }
}

// UpdateObjNUV mode 1 places an object; the Peek exports return the position's bits.
void PlaceAndPeek(Host& h) {
  h.Call<void>("StartCollisionNUV");
  struct Case {
    uint32_t number;
    float x, y, z;
  };
  const Case cases[] = {{1, 1, 2, 3}, {5000, -0.5f, 1e-3f, 1e6f}};
  for (const Case& c : cases) {
    h.Call<void>("NewCollObjNUV", c.number, 0u);
    h.Call<void>("UpdateObjNUV", c.number, Bits(c.x), Bits(c.y), Bits(c.z), 1u);
  }
  for (const Case& c : cases) {
    h.ExpectBits("PeekObjXNUV", h.Call("PeekObjXNUV", c.number), Bits(c.x));
    h.ExpectBits("PeekObjYNUV", h.Call("PeekObjYNUV", c.number), Bits(c.y));
    h.ExpectBits("PeekObjZNUV", h.Call("PeekObjZNUV", c.number), Bits(c.z));
  }
  // NaN patterns, signalling ones included, come back unchanged: no bit of a position may
  // be lost on its way out, whatever the float unit would make of it.
  const uint32_t patterns[] = {0x7F800001u, 0xFFBFFFFFu, 0x7FC01234u, 0x80000001u};
  for (uint32_t bits : patterns) {
    h.Call<void>("NewCollObjNUV", 7u, 0u);
    h.Call<void>("UpdateObjNUV", 7u, bits, bits, bits, 1u);
    h.ExpectBits("PeekObjXNUV of a NaN pattern", h.Call("PeekObjXNUV", 7u), bits);
    h.ExpectBits("PeekObjYNUV of a NaN pattern", h.Call("PeekObjYNUV", 7u), bits);
    h.ExpectBits("PeekObjZNUV of a NaN pattern", h.Call("PeekObjZNUV", 7u), bits);
  }
}

// Bad object numbers give 0 and change nothing. The error box stays disarmed: under Wine
// a MessageBoxA would wait for a click that never comes.
void BadNumbersReturnZero(Host& h) {
  h.Call<void>("NewCollObjNUV", 2u, 0u);
  h.Call<void>("UpdateObjNUV", 2u, Bits(4), Bits(5), Bits(6), 1u);
  h.ExpectBits("PeekObjXNUV(0)", h.Call("PeekObjXNUV", 0u), 0);
  h.ExpectBits("PeekObjYNUV(5001)", h.Call("PeekObjYNUV", 5001u), 0);
  h.ExpectBits("PeekObjZNUV(-1)", h.Call("PeekObjZNUV", 0xFFFFFFFFu), 0);
  h.ExpectBits("PeekObjXNUV(unregistered 3)", h.Call("PeekObjXNUV", 3u), 0);
  h.ExpectInt("CountCollisionsNUV(unregistered 3)", h.Call<int32_t>("CountCollisionsNUV", 3u), 0);
  h.ExpectInt("CheckShapeNUV(0, 1)", h.Call<int32_t>("CheckShapeNUV", 0u, 1u), 0);
  h.Call<void>("UpdateObjNUV", 0u, Bits(7), Bits(7), Bits(7), 1u);
  h.ExpectBits("PeekObjXNUV(2) after a rejected update", h.Call("PeekObjXNUV", 2u), Bits(4));
}

// The collision stack walks the active objects in activation order, then gives 0.
void CollisionStack(Host& h) {
  const uint32_t order[] = {3, 9, 4};
  for (uint32_t n : order) h.Call<void>("NewCollObjNUV", n, 0u);
  for (uint32_t n : order) h.Call<void>("ActivateObjNUV", n);
  h.Call<void>("ResetCollisionStackNUV");
  for (uint32_t n : order) {
    h.ExpectInt("PeekCollisionStackNUV", h.Call<int32_t>("PeekCollisionStackNUV"), int32_t(n));
  }
  h.ExpectInt("PeekCollisionStackNUV at the end", h.Call<int32_t>("PeekCollisionStackNUV"), 0);
}

// StopCollisionNUV frees every object; the library is usable again straight after.
void StopFreesEverything(Host& h) {
  h.Call<void>("NewCollObjNUV", 1u, 0u);
  h.Call<void>("UpdateObjNUV", 1u, Bits(1), Bits(2), Bits(3), 1u);
  h.Call<void>("ActivateObjNUV", 1u);
  h.Call<void>("StopCollisionNUV");
  h.ExpectBits("PeekObjXNUV(1) after the stop", h.Call("PeekObjXNUV", 1u), 0);
  h.Call<void>("ResetCollisionStackNUV");
  h.ExpectInt("PeekCollisionStackNUV after the stop", h.Call<int32_t>("PeekCollisionStackNUV"), 0);
  h.Call<void>("NewCollObjNUV", 1u, 0u);
  h.Call<void>("UpdateObjNUV", 1u, Bits(8), Bits(9), Bits(10), 1u);
  h.ExpectBits("PeekObjZNUV(1) registered again", h.Call("PeekObjZNUV", 1u), Bits(10));
}

// A mesh block laid out in the host's own memory: a level floor of two triangles, vertex
// offset not a multiple of 4 and junk in every word the library does not read. A ray and a
// falling sphere then meet the floor where the block put it.
void MeshBlockThroughAddMeshNUV(Host& h) {
  const float vertices[4][3] = {{-10, 0, -10}, {-10, 0, 10}, {10, 0, 10}, {10, 0, -10}};
  const int32_t faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
  uint32_t block[64];
  for (uint32_t& word : block) word = 0xDEADBEEF;
  const uint32_t vertexOffset = 40, faceOffset = 96;
  block[1] = vertexOffset + 2;  // the reader clears the two low bits
  block[4] = 2;
  block[5] = faceOffset;
  for (int v = 0; v < 4; ++v) {
    for (int axis = 0; axis < 3; ++axis)
      block[vertexOffset / 4 + 3 * v + axis] = Bits(vertices[v][axis]);
  }
  for (int f = 0; f < 2; ++f) {
    uint32_t* record = block + faceOffset / 4 + 7 * f;
    for (int corner = 0; corner < 3; ++corner) record[1 + 2 * corner] = uint32_t(faces[f][corner]);
  }

  h.Call<void>("NewCollObjNUV", 2u, 2u);
  h.Call<void>("AddObjShapeNUV", 2u, 2u);
  h.Call<void>("AddMeshNUV", 2u, static_cast<const void*>(block));
  h.Call<void>("ActivateObjNUV", 2u);
  h.ExpectInt("ray down at the floor",
              h.Call<int32_t>("RayIntersectObjectNUV", 2u, 2u, Bits(1), Bits(5), Bits(2), Bits(1),
                              Bits(-5), Bits(2)),
              1);
  h.ExpectBits("RayHitDist", h.Call("RayHitDist"), Bits(5));
  h.ExpectBits("RayHitNormY", h.Call("RayHitNormY"), Bits(1));

  h.Call<void>("SetCollisionsNUV", 1u, 2u, 2u, 2u, 1u);
  h.Call<void>("NewCollObjNUV", 1u, 1u);
  h.Call<void>("AddObjShapeNUV", 1u, 1u);
  h.Call<void>("ActivateObjNUV", 1u);
  h.Call<void>("UpdateObjNUV", 1u, Bits(1), Bits(5), Bits(-2), 1u);
  h.Call<void>("RunCollisionNUV");
  h.Call<void>("UpdateObjNUV", 1u, Bits(1), Bits(-5), Bits(-2), 0u);
  h.Call<void>("RunCollisionNUV");
  h.ExpectBits("sphere rests on the floor", h.Call("PeekObjYNUV", 1u), Bits(1));
  h.ExpectInt("one contact", h.Call<int32_t>("CountCollisionsNUV", 1u), 1);
  h.ExpectInt("with a mesh", h.Call<int32_t>("CollisionHitShape", 1u, 1u), 2);
  h.ExpectInt("the second face of the block", h.Call<int32_t>("CollisionHitPoly", 1u, 1u), 2);
  h.ExpectBits("its third corner, x", h.Call("CollisionTriCorner", 1u, 1u, 3u, 1u), Bits(10));
}

}  // namespace

const Check kChecks[] = {
    {"exports resolve by name and by ordinal to one address", ExportsResolve},
    {"export directory holds exactly the listed exports", ExportDirectoryExact},
    {"Vec2Yaw and Vec2Pitch take and return float bits", AnglesAsBits},
    {"an object placed with UpdateObjNUV mode 1 peeks back", PlaceAndPeek},
    {"bad object numbers return 0 without effect", BadNumbersReturnZero},
    {"the collision stack lists objects in activation order", CollisionStack},
    {"StopCollisionNUV frees every object", StopFreesEverything},
    {"a host mesh block passed to AddMeshNUV is the floor a sphere lands on",
     MeshBlockThroughAddMeshNUV},
};
const unsigned kCheckCount = sizeof kChecks / sizeof kChecks[0];

}  // namespace host
