#include "mesh/edge_corner.h"

#include <cmath>

#include "mesh/tri_tests.h"

namespace ovoid {
namespace {

// Whether a touch at fraction f is not earlier than the source's nearest contact.
bool NotEarlier(const MeshSweep& sweep, float f) {
  const CollHit* nearest = sweep.pass->nearest;
  return nearest != nullptr && !(static_cast<double>(f) < nearest->toi);
}

}  // namespace

void SweepMeshEdge(MeshSweep& sweep, Vec3 p0, Vec3 p1) {
  const Vec3 s = sweep.start;
  const Vec3 d = sweep.dir;
  const float length = sweep.length;
  // u: across the edge, in the plane of edge and motion, against the motion. Zero for a
  // motion along the edge or a very short edge; not a number for a stationary source.
  // Either way dist below fails.
  const Vec3 e = Vec3Sub(p0, p1);
  const Vec3 u = Vec3Normalize(Vec3Cross(Vec3Cross(d, e), e));
  const float dist = Vec3Dot(u, Vec3Sub(s, p0));
  if (!(dist > 0.0f)) return;
  if (!(dist - 1.0f < length)) return;
  const float nd = Vec3Dot(u, d);
  if (nd >= 0.0f) return;
  // h2: squared distance between the line of motion and the edge's line.
  const Vec3 lp = ClosestPointOnLine(p0, p1, s);
  const Vec3 across = Vec3Add(lp, Vec3Scale(dist, u));
  const float h2 = Vec3LengthSq(Vec3Sub(across, s));
  if (!(h2 < 1.0f)) return;
  const float sink = std::sqrt(1.0f - h2);
  const float travel = -(dist - sink) / nd;
  if (travel > length) return;
  float f;
  Vec3 p;
  Vec3 q;
  if (travel > 0.0f) {
    f = travel / length;
    p = Vec3Add(s, Vec3Scale(travel, d));
    // The point of the edge's line nearest to p.
    q = Vec3Add(p, Vec3Sub(Vec3Sub(across, Vec3Scale(sink, u)), s));
  } else {
    // The sphere reaches the edge's line at the start: the centre is pushed straight away
    // from the line to distance 1, and f (zero or negative) still orders the touch.
    f = travel / length;
    const Vec3 away = Vec3Sub(s, lp);
    const float g = std::sqrt(Vec3LengthSq(away));
    const Vec3 unitAway = Vec3Scale(1.0f / g, away);
    p = Vec3Add(s, Vec3Scale(1.0f - g, unitAway));
    q = lp;
  }
  if (NotEarlier(sweep, f)) return;
  // A touch at an end point belongs to the corner stage.
  if (!ProjectsInsideSegment(p0, p1, p)) return;
  RecordMeshHit(sweep, p, q, f, 1);
}

void SweepMeshCorner(MeshSweep& sweep, Vec3 v) {
  const Vec3 s = sweep.start;
  const Vec3 d = sweep.dir;
  const float length = sweep.length;
  const Vec3 w = Vec3Sub(v, s);
  const float proj = Vec3Dot(w, d);
  if (!(proj > 0.0f)) return;
  if (!(proj - 1.0f < length)) return;
  const float h2 = Vec3LengthSq(w) - proj * proj;
  if (!(h2 < 1.0f)) return;
  const float travel = proj - std::sqrt(1.0f - h2);
  // Strict, unlike face and edge: a corner touched exactly at the end is not recorded.
  if (!(travel < length)) return;
  // Negative when the corner already lies inside the sphere at the start.
  const float f = travel / length;
  if (NotEarlier(sweep, f)) return;
  const Vec3 p = Vec3Add(s, Vec3Scale(travel, d));
  RecordMeshHit(sweep, p, v, f, 0);
}

}  // namespace ovoid
