// Small triangle and segment predicates shared by the mesh sweep and the mesh ray test.
// Points are in whatever space the caller works in; the margin 1 is one unit of it.
#pragma once

#include "math/matrix4.h"
#include "math/vec3.h"

namespace ovoid {

struct MeshShape;

/// Whether segment s–e comes within 1 of the mesh's box, the box placed by matrix (a
/// translation) and divided by scale. Touching counts.
bool SegmentMeshBoxOverlap(const MeshShape& mesh, Vec3 s, Vec3 e, const Matrix4& matrix,
                           Vec3 scale);

/// Whether segment s–e comes within 1 of the box of triangle abc. Touching counts.
bool SegmentTriBoxOverlap(Vec3 s, Vec3 e, Vec3 a, Vec3 b, Vec3 c);

/// Whether q lies inside triangle abc or on its border, seen along n (any length, on the
/// side of (b − a) × (c − a)).
bool PointInTriangle(Vec3 q, Vec3 n, Vec3 a, Vec3 b, Vec3 c);

/// Whether x projects strictly between p0 and p1; false for a zero-length segment.
bool ProjectsInsideSegment(Vec3 p0, Vec3 p1, Vec3 x);

/// The point of the infinite line through p0 and p1 nearest to x; p0 for a zero-length
/// segment.
Vec3 ClosestPointOnLine(Vec3 p0, Vec3 p1, Vec3 x);

}  // namespace ovoid
