// A mover (object 1, one ellipsoid, type 1) and a mesh body (object 2, one mesh, type 2)
// under one ellipsoid-versus-mesh rule, with the mover's pass records opened by hand, so
// a sweep can be run on its own, as in pass 1 of a run.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "core/contacts.h"
#include "core/registry.h"
#include "core/rules.h"
#include "ellipsoid/ellip_shape.h"
#include "expect_vec.h"
#include "mesh/mesh_shape.h"
#include "mesh/mesh_sweep.h"
#include "test_world.h"

namespace ovoid {

class MeshFixture : public WorldTest {
 protected:
  static constexpr uint32_t kMover = 1;
  static constexpr uint32_t kMeshObj = 2;

  void SetUp() override {
    NewCollObj(world, kMover, 1);
    AddObjShape(world, kMover, 1);
    NewCollObj(world, kMeshObj, 2);
    AddObjShape(world, kMeshObj, 2);
    SetCollisions(world, 1, 2, 2, 2, 1);
    rule = world.ruleList.tail;
    world.passNumber = 1;
    world.phase = 1;
  }

  CollBody& Mover() { return *world.objectTable[kMover]->body; }
  CollBody& MeshBody() { return *world.objectTable[kMeshObj]->body; }
  EllipShape& Ellip() { return AsEllip(*Mover().shapes.head); }
  MeshShape& Mesh() { return AsMesh(*MeshBody().shapes.head); }

  void Tri(Vec3 a, Vec3 b, Vec3 c) { AddMeshTri(world, kMeshObj, a, b, c); }

  /// Opens the mover's record for the current pass number, from start to end.
  CollPass& Open(Vec3 start, Vec3 end) {
    CollPass* pass = NewPass(world, Mover());
    pass->start = start;
    pass->end = end;
    return *pass;
  }

  void Sweep() { SweepEllipMesh(world, *rule, Ellip(), Mesh()); }

  /// The nearest contact of the mover's current record, or null.
  const CollHit* Nearest() {
    return Mover().passes.tail == nullptr ? nullptr : Mover().passes.tail->nearest;
  }

  /// A sweep context for the stages, set up from world positions as the sweep does it
  /// (radius (1, 1, 1), mesh body at the origin), with the mover's only record, fresh, to
  /// receive contacts.
  MeshSweep StageSweep(Vec3 start, Vec3 end) {
    FreePassList(Mover().passes);
    MeshSweep sweep;
    sweep.world = &world;
    sweep.rule = rule;
    sweep.srcBody = &Mover();
    sweep.dstBody = &MeshBody();
    sweep.ellip = &Ellip();
    sweep.mesh = &Mesh();
    sweep.pass = &Open(start, end);
    sweep.start = start;
    sweep.end = end;
    sweep.motion = Vec3Sub(end, start);
    sweep.length = std::sqrt(Vec3LengthSq(sweep.motion));
    sweep.dir = Vec3Scale(1.0f / sweep.length, sweep.motion);
    sweep.triIndex = 1;
    return sweep;
  }

  CollRule* rule = nullptr;
};

}  // namespace ovoid
