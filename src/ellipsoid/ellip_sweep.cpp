#include "ellipsoid/ellip_sweep.h"

#include <cmath>

#include "core/contacts.h"
#include "ellipsoid/ellip_shape.h"

namespace ovoid {

void SweepEllipEllip(World& world, CollRule& rule, CollShape& source, CollShape& destination) {
  if (rule.srcKind != kEllipsoid || rule.dstKind != kEllipsoid) return;
  if (source.kind != kEllipsoid || destination.kind != kEllipsoid) return;
  if (source.body == nullptr || destination.body == nullptr) return;
  const Vec3 radii = PairRadii(world, AsEllip(source).radius, AsEllip(destination).radius);
  SweepEllipInterval(world, rule, *source.body, source, *destination.body, destination, radii,
                     false);
  SweepEllipInterval(world, rule, *source.body, source, *destination.body, destination, radii,
                     true);
}

void SweepEllipInterval(World& world, CollRule& rule, CollBody& sourceBody, CollShape& source,
                        CollBody& destBody, CollShape& destination, Vec3 pairRadii,
                        bool afterDestStop) {
  CollPass* srcPass = sourceBody.passes.tail;
  const CollPass* dstPass = destBody.passes.tail;
  if (srcPass == nullptr || dstPass == nullptr) return;
  const CollHit* srcNearest = srcPass->nearest;
  const CollHit* dstNearest = dstPass->nearest;

  // The destination must have stopped, and not after the source's own nearest contact.
  float t0 = 0.0f;
  if (afterDestStop) {
    if (dstNearest == nullptr) return;
    t0 = static_cast<float>(dstNearest->toi);
    if (srcNearest != nullptr && static_cast<double>(t0) > srcNearest->toi) return;
  }

  const Vec3 srcOffset = AsEllip(source).offset;
  const Vec3 dstOffset = AsEllip(destination).offset;
  const Vec3 a0 = Vec3Add(srcPass->start, srcOffset);
  const Vec3 a1 = Vec3Add(srcPass->end, srcOffset);
  const Vec3 b0 = Vec3Add(dstPass->start, dstOffset);
  const Vec3 b1 = Vec3Add(dstPass->end, dstOffset);
  const Vec3 srcMotion = Vec3Sub(a1, a0);
  const Vec3 dstMotion = Vec3Sub(b1, b0);

  // Stage 1 covers the time in which both still move: up to the earlier of the two stops.
  float tEnd = 1.0f;
  Vec3 s0, s1, d0, d1;
  if (!afterDestStop) {
    if (srcNearest != nullptr && srcNearest->toi < 1.0) tEnd = static_cast<float>(srcNearest->toi);
    if (dstNearest != nullptr && static_cast<double>(tEnd) > dstNearest->toi) {
      tEnd = static_cast<float>(dstNearest->toi);
    }
    s0 = a0;
    s1 = Vec3Add(a0, Vec3Scale(tEnd, srcMotion));
    d0 = b0;
    d1 = Vec3Add(b0, Vec3Scale(tEnd, dstMotion));
  } else {
    s0 = Vec3Add(a0, Vec3Scale(t0, srcMotion));
    s1 = a1;
    d0 = Vec3Add(b0, Vec3Scale(t0, dstMotion));
    d1 = d0;
  }

  // In the pair's unit space both ellipsoids are unit spheres: they touch at distance 2.
  s0 = Vec3Div(s0, pairRadii);
  s1 = Vec3Div(s1, pairRadii);
  d0 = Vec3Div(d0, pairRadii);
  d1 = Vec3Div(d1, pairRadii);
  if (!SweptBoxesOverlap(s0, s1, d0, d1, 2.0f)) return;

  // The source's motion as seen from the destination.
  const Vec3 v = Vec3Sub(Vec3Sub(s1, s0), Vec3Sub(d1, d0));
  const Vec3 w = Vec3Sub(d0, s0);
  const float dist = std::sqrt(Vec3LengthSq(w));  // |W|, summed x first like every length
  const float lengthSq = Vec3Dot(v, v);
  const float gap = dist - 2.0f;
  // Too short to close the gap (or, when already overlapping, to cross the overlap).
  if (lengthSq < gap * gap) return;
  if (lengthSq <= 0.0f) return;
  if (Vec3Dot(v, w) <= 0.0f) return;

  const float length = std::sqrt(lengthSq);
  const Vec3 dir = Vec3Scale(1.0f / length, v);
  const float along = Vec3Dot(dir, w);
  const float offLineSq = dist * dist - along * along;
  if (offLineSq > 4.0f) return;
  // Not clamped: an overlapping pair touches before the start of the interval.
  const float touch = along - std::sqrt(4.0f - offLineSq);
  if (touch > length) return;

  const float fraction = touch / length;
  const float toi = afterDestStop ? t0 + fraction * (1.0f - t0) : fraction * tEnd;

  // Stage 1 of this pair, or an earlier pair, may have found a nearer contact meanwhile.
  srcNearest = srcPass->nearest;
  if (srcNearest != nullptr && !(static_cast<double>(toi) < srcNearest->toi)) return;

  const Vec3 srcCentre = Vec3Add(a0, Vec3Scale(toi, srcMotion));
  const Vec3 dstCentre =
      afterDestStop ? dstNearest->centre : Vec3Add(b0, Vec3Scale(toi, dstMotion));
  const Vec3 hitPos = Vec3Add(srcCentre, Vec3Scale(0.5f, Vec3Sub(dstCentre, srcCentre)));
  const Vec3 normal = Vec3Normalize(Vec3Sub(srcCentre, hitPos));
  // Only a source whose own motion runs against the normal records the contact.
  if (Vec3Dot(srcMotion, normal) >= 0.0f) return;

  CollHit* hit = NewHit(kEllipsoid);
  if (hit == nullptr) return;
  InitHit(world, *hit, &rule, &destBody, a1, srcCentre, hitPos, normal, srcOffset, toi);
  InsertHit(world, *srcPass, hit);
}

bool SweptBoxesOverlap(Vec3 a0, Vec3 a1, Vec3 b0, Vec3 b1, float m) {
  auto apart = [m](float a0, float a1, float b0, float b1) {
    const float lo0 = b0 - m, lo1 = b1 - m, hi0 = b0 + m, hi1 = b1 + m;
    const bool below = a0 < lo0 && a0 < lo1 && a1 < lo0 && a1 < lo1;
    const bool above = a0 > hi0 && a0 > hi1 && a1 > hi0 && a1 > hi1;
    return below || above;
  };
  return !(apart(a0.x, a1.x, b0.x, b1.x) || apart(a0.y, a1.y, b0.y, b1.y) ||
           apart(a0.z, a1.z, b0.z, b1.z));
}

}  // namespace ovoid
