#include "mesh/mesh_sweep.h"

#include <cmath>

#include "core/contacts.h"
#include "ellipsoid/ellip_shape.h"
#include "mesh/edge_corner.h"
#include "mesh/mesh_shape.h"
#include "mesh/tri_grid.h"
#include "mesh/tri_tests.h"

namespace ovoid {
namespace {

// Whether the source's previous run ended on this body, standing on it: some record of that
// run stopped at a contact with it whose normal leans upward by more than 0.3.
bool RodeOn(const CollBody& source, const CollBody* destination) {
  for (const CollPass* pass = source.prevPasses.head; pass != nullptr; pass = pass->link.next) {
    const CollHit* hit = pass->nearest;
    if (hit != nullptr && hit->other == destination &&
        static_cast<double>(hit->hitNormal.y) > 0.3) {
      return true;
    }
  }
  return false;
}

// Whether the triangle under test was the source's nearest contact in an earlier pass of
// this run, so that it does not stop the source twice. Under concave mode 1 only the pass
// just before counts. The triangle is known by its body and number, not by its mesh shape.
bool HitInEarlierPass(const MeshSweep& sweep) {
  for (const CollPass* pass = sweep.pass->link.prev; pass != nullptr; pass = pass->link.prev) {
    const CollHit* hit = pass->nearest;
    if (hit != nullptr && hit->other == sweep.dstBody && hit->rule != nullptr &&
        IsEllipMeshRule(*hit->rule) && hit->triIndex == sweep.triIndex) {
      return true;
    }
    if (sweep.world->concaveMode == 1) break;
  }
  return false;
}

// The unit sphere against the plane of triangle abc (unit space); edges and corners when
// the touch on the plane falls outside the triangle.
void SweepMeshFace(MeshSweep& sweep, Vec3 a, Vec3 b, Vec3 c) {
  const Vec3 n = Vec3Normalize(Vec3Cross(Vec3Sub(b, a), Vec3Sub(c, a)));
  // Only a start strictly in front of the plane and within reach of it counts; a
  // degenerate triangle has n = 0 and so never gets further.
  const float dist = Vec3Dot(n, Vec3Sub(sweep.start, a));
  if (!(dist > 0.0f)) return;
  if (!(dist - 1.0f < sweep.length)) return;
  // A stationary source has no numeric direction: nd is not a number and passes.
  const float nd = Vec3Dot(n, sweep.dir);
  if (nd >= 0.0f) return;
  float f;
  Vec3 p;
  if (dist < 1.0f) {
    // Already cutting the plane: pushed out along n, no motion before the touch.
    f = 0.0f;
    p = Vec3Add(sweep.start, Vec3Scale(1.0f - dist, n));
  } else {
    const float travel = std::fabs((dist - 1.0f) / nd);
    if (travel > sweep.length) return;
    f = travel / sweep.length;
    p = Vec3Add(sweep.start, Vec3Scale(travel, sweep.dir));
  }
  // Equal times go on; the insertion keeps the earlier contact.
  const CollHit* nearest = sweep.pass->nearest;
  if (nearest != nullptr && static_cast<double>(f) > nearest->toi) return;
  const Vec3 q = Vec3Sub(p, n);
  if (PointInTriangle(q, n, a, b, c)) {
    RecordMeshHit(sweep, p, q, f, 0);
    return;
  }
  SweepMeshEdge(sweep, a, b);
  SweepMeshEdge(sweep, b, c);
  SweepMeshEdge(sweep, c, a);
  SweepMeshCorner(sweep, a);
  SweepMeshCorner(sweep, b);
  SweepMeshCorner(sweep, c);
}

}  // namespace

void SweepEllipMesh(World& world, CollRule& rule, CollShape& source, CollShape& destination,
                    bool useGrid) {
  if (rule.srcKind != 1 || rule.dstKind != 2) return;
  if (source.kind != kEllipsoid || destination.kind != kMesh) return;
  if (source.body == nullptr || destination.body == nullptr) return;
  CollPass* pass = source.body->passes.tail;
  if (pass == nullptr) return;

  MeshSweep sweep;
  sweep.world = &world;
  sweep.rule = &rule;
  sweep.srcBody = source.body;
  sweep.dstBody = destination.body;
  sweep.ellip = &AsEllip(source);
  sweep.mesh = &AsMesh(destination);
  sweep.pass = pass;
  const Vec3 radius = sweep.ellip->radius;
  const CollBody& dst = *sweep.dstBody;

  Vec3 s = Vec3Add(pass->start, sweep.ellip->offset);
  Vec3 e = Vec3Add(pass->end, sweep.ellip->offset);
  // A moving mesh carries the source's start by its own motion of the last update, and,
  // under dynamic response 3, the end too for a source that stood on it.
  if (world.passNumber == 1 && rule.dynResponse > 1) {
    s = Vec3TransformCoord(s, dst.motionMatrix);
    if (rule.dynResponse == 3 && RodeOn(*sweep.srcBody, sweep.dstBody)) {
      e = Vec3TransformCoord(e, dst.motionMatrix);
    }
  }
  sweep.start = Vec3Div(s, radius);
  sweep.end = Vec3Div(e, radius);
  if (!SegmentMeshBoxOverlap(*sweep.mesh, sweep.start, sweep.end, dst.worldMatrix, radius)) {
    return;
  }

  sweep.triIndex = 0;
  sweep.motion = Vec3Sub(sweep.end, sweep.start);
  sweep.length = std::sqrt(Vec3LengthSq(sweep.motion));
  // For L = 0 this is 0 · (1 / 0): not a number, on purpose (see the face stage).
  sweep.dir = Vec3Scale(1.0f / sweep.length, sweep.motion);

  // Only the triangles that can pass the box test below are visited, in list order and
  // under their own numbers; the others would be rejected before anything is recorded.
  ForEachNearTriangle(*sweep.mesh, sweep.start, sweep.end, dst.worldMatrix, radius, useGrid,
                      [&](const MeshTri& tri, int32_t number) {
                        sweep.triIndex = number;
                        if (HitInEarlierPass(sweep)) return;
                        sweep.worldCorner1 = Vec3TransformCoord(tri.corner1, dst.worldMatrix);
                        sweep.worldCorner2 = Vec3TransformCoord(tri.corner2, dst.worldMatrix);
                        sweep.worldCorner3 = Vec3TransformCoord(tri.corner3, dst.worldMatrix);
                        const Vec3 a = Vec3Div(sweep.worldCorner1, radius);
                        const Vec3 b = Vec3Div(sweep.worldCorner2, radius);
                        const Vec3 c = Vec3Div(sweep.worldCorner3, radius);
                        if (!SegmentTriBoxOverlap(sweep.start, sweep.end, a, b, c)) return;
                        SweepMeshFace(sweep, a, b, c);
                      });
}

void RecordMeshHit(MeshSweep& sweep, Vec3 p, Vec3 q, float f, uint8_t edge) {
  const Vec3 radius = sweep.ellip->radius;
  const Vec3 endWorld = Vec3Mul(sweep.end, radius);
  const Vec3 centre = Vec3Mul(p, radius);
  const Vec3 point = Vec3Mul(q, radius);
  // From the contact point to the centre in world units: for an ellipsoid that is not a
  // sphere this is not the plane's normal.
  const Vec3 normal = Vec3Normalize(Vec3Sub(centre, point));
  CollHit* hit = NewHit(kMesh);
  if (hit == nullptr) return;
  hit->triIndex = sweep.triIndex;
  hit->corner1 = sweep.worldCorner1;
  hit->corner2 = sweep.worldCorner2;
  hit->corner3 = sweep.worldCorner3;
  hit->edgeContact = edge;
  InitHit(*sweep.world, *hit, sweep.rule, sweep.dstBody, endWorld, centre, point, normal,
          sweep.ellip->offset, f);
  InsertHit(*sweep.world, *sweep.pass, hit);
}

}  // namespace ovoid
