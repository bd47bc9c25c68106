#include "mesh/tri_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>

namespace ovoid {

struct TriGrid {
  uint32_t count = 0;                   ///< triangles in the mesh when the grid was built
  std::unique_ptr<MeshTri*[]> tris;     ///< the triangles by 0-based list position
  double origin[3] = {};                ///< local corner of cell (0, 0, 0)
  double inverseCell = 1.0;             ///< 1 / cell edge length
  int32_t dims[3] = {1, 1, 1};          ///< cells per axis
  std::unique_ptr<uint32_t[]> first;    ///< per cell, where its run in entries begins; one extra
  std::unique_ptr<uint32_t[]> entries;  ///< per cell, the positions of its triangles, ascending
  // Triangles with a corner that is not finite (the box test can pass them anywhere), and
  // triangles that would fill too many cells; every query hands them over.
  std::unique_ptr<uint32_t[]> always;
  uint32_t alwaysCount = 0;
  double lo[3] = {};  ///< box of the finite corners; empty (lo > hi) when there are none
  double hi[3] = {};
  double reach[3] = {};  ///< per axis, the largest magnitude of a finite corner coordinate
  // Query scratch: the positions found, and a per-triangle mark of the query that found it
  // so that a triangle in several cells is handed over once.
  std::unique_ptr<uint32_t[]> found;
  std::unique_ptr<uint32_t[]> mark;
  uint32_t query = 0;
};

namespace {

// Below this many triangles the plain walk is as quick as any search.
constexpr uint32_t kMinTriangles = 64;
// A triangle whose box spans more cells than this is handed to every query instead.
constexpr int64_t kMaxCellsPerTriangle = 64;

struct Box {
  double lo[3];
  double hi[3];
};

bool Finite(Vec3 v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

Box TriangleBox(const MeshTri& tri) {
  const Vec3 c[3] = {tri.corner1, tri.corner2, tri.corner3};
  Box box;
  for (int axis = 0; axis < 3; ++axis) {
    double lo = (&c[0].x)[axis];
    double hi = lo;
    for (int k = 1; k < 3; ++k) {
      const double v = (&c[k].x)[axis];
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    box.lo[axis] = lo;
    box.hi[axis] = hi;
  }
  return box;
}

// The cell holding local coordinate v on an axis, clamped to the grid. Monotonic in v, so
// boxes that overlap always get cell ranges that overlap.
int32_t CellOf(const TriGrid& grid, int axis, double v) {
  const double x = (v - grid.origin[axis]) * grid.inverseCell;
  if (!(x >= 0.0)) return 0;
  if (x >= static_cast<double>(grid.dims[axis])) return grid.dims[axis] - 1;
  return static_cast<int32_t>(x);
}

struct CellRange {
  int32_t lo[3];
  int32_t hi[3];
  int64_t Cells() const {
    int64_t n = 1;
    for (int axis = 0; axis < 3; ++axis) n *= hi[axis] - lo[axis] + 1;
    return n;
  }
};

CellRange RangeOf(const TriGrid& grid, const Box& box) {
  CellRange r;
  for (int axis = 0; axis < 3; ++axis) {
    r.lo[axis] = CellOf(grid, axis, box.lo[axis]);
    r.hi[axis] = CellOf(grid, axis, box.hi[axis]);
  }
  return r;
}

uint32_t CellIndex(const TriGrid& grid, int32_t x, int32_t y, int32_t z) {
  return static_cast<uint32_t>((static_cast<int64_t>(z) * grid.dims[1] + y) * grid.dims[0] + x);
}

// Cell edge about the mean triangle size, grown until there are at most two cells per
// triangle, so that the grid's memory stays proportional to the mesh.
void ChooseCells(TriGrid& grid, const Box& bounds, double meanSize, uint32_t count) {
  double extent[3];
  double largest = 0.0;
  for (int axis = 0; axis < 3; ++axis) {
    extent[axis] = bounds.hi[axis] - bounds.lo[axis];
    largest = std::max(largest, extent[axis]);
    grid.origin[axis] = bounds.lo[axis];
  }
  double cell = meanSize > 0.0 ? meanSize : (largest > 0.0 ? largest : 1.0);
  const double maxCells = 2.0 * count;
  for (;;) {
    double cells = 1.0;
    for (int axis = 0; axis < 3; ++axis) {
      const double n = std::min(std::ceil(extent[axis] / cell), 1048576.0);
      grid.dims[axis] = std::max(1, static_cast<int32_t>(n));
      cells *= grid.dims[axis];
    }
    if (cells <= maxCells) break;
    cell *= 1.25;
  }
  grid.inverseCell = 1.0 / cell;
}

TriGrid* BuildGrid(const MeshShape& mesh, uint32_t count) {
  auto grid = std::unique_ptr<TriGrid>(new (std::nothrow) TriGrid{});
  if (grid == nullptr) return nullptr;
  grid->count = count;
  grid->tris.reset(new (std::nothrow) MeshTri*[count]);
  grid->found.reset(new (std::nothrow) uint32_t[count]);
  grid->mark.reset(new (std::nothrow) uint32_t[count]());
  grid->always.reset(new (std::nothrow) uint32_t[count]);
  if (!grid->tris || !grid->found || !grid->mark || !grid->always) return nullptr;

  Box bounds{};
  double sizeSum = 0.0;
  uint32_t finite = 0;
  uint32_t i = 0;
  for (MeshTri* tri = mesh.tris.head; tri != nullptr; tri = tri->link.next) {
    grid->tris[i++] = tri;
    if (!Finite(tri->corner1) || !Finite(tri->corner2) || !Finite(tri->corner3)) continue;
    const Box box = TriangleBox(*tri);
    double size = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
      bounds.lo[axis] = finite == 0 ? box.lo[axis] : std::min(bounds.lo[axis], box.lo[axis]);
      bounds.hi[axis] = finite == 0 ? box.hi[axis] : std::max(bounds.hi[axis], box.hi[axis]);
      size = std::max(size, box.hi[axis] - box.lo[axis]);
    }
    sizeSum += size;
    ++finite;
  }
  for (int axis = 0; axis < 3; ++axis) {
    grid->lo[axis] = finite > 0 ? bounds.lo[axis] : 1.0;
    grid->hi[axis] = finite > 0 ? bounds.hi[axis] : 0.0;
    grid->reach[axis] = std::max(std::fabs(bounds.lo[axis]), std::fabs(bounds.hi[axis]));
  }
  ChooseCells(*grid, bounds, finite > 0 ? sizeSum / finite : 0.0, count);

  // Two passes over the triangles: count per cell, then fill. Filling in list order keeps
  // every cell's positions ascending.
  const auto cells =
      static_cast<uint32_t>(static_cast<int64_t>(grid->dims[0]) * grid->dims[1] * grid->dims[2]);
  grid->first.reset(new (std::nothrow) uint32_t[cells + 1]());
  if (!grid->first) return nullptr;
  auto inCells = [&](uint32_t k, CellRange& range) {
    const MeshTri& tri = *grid->tris[k];
    if (!Finite(tri.corner1) || !Finite(tri.corner2) || !Finite(tri.corner3)) return false;
    range = RangeOf(*grid, TriangleBox(tri));
    return range.Cells() <= kMaxCellsPerTriangle;
  };
  uint64_t total = 0;
  for (uint32_t k = 0; k < count; ++k) {
    CellRange r;
    if (!inCells(k, r)) {
      grid->always[grid->alwaysCount++] = k;
      continue;
    }
    for (int32_t z = r.lo[2]; z <= r.hi[2]; ++z)
      for (int32_t y = r.lo[1]; y <= r.hi[1]; ++y)
        for (int32_t x = r.lo[0]; x <= r.hi[0]; ++x) ++grid->first[CellIndex(*grid, x, y, z) + 1];
    total += static_cast<uint64_t>(r.Cells());
  }
  if (total > std::numeric_limits<uint32_t>::max()) return nullptr;
  for (uint32_t c = 0; c < cells; ++c) grid->first[c + 1] += grid->first[c];
  grid->entries.reset(new (std::nothrow) uint32_t[total > 0 ? total : 1]);
  if (!grid->entries) return nullptr;
  // Fill from a copy of the run starts, advanced as entries go in.
  std::unique_ptr<uint32_t[]> next(new (std::nothrow) uint32_t[cells]);
  if (!next) return nullptr;
  std::copy(grid->first.get(), grid->first.get() + cells, next.get());
  for (uint32_t k = 0; k < count; ++k) {
    CellRange r;
    if (!inCells(k, r)) continue;
    for (int32_t z = r.lo[2]; z <= r.hi[2]; ++z)
      for (int32_t y = r.lo[1]; y <= r.hi[1]; ++y)
        for (int32_t x = r.lo[0]; x <= r.hi[0]; ++x)
          grid->entries[next[CellIndex(*grid, x, y, z)]++] = k;
  }
  return grid.release();
}

// The number of triangles, or 0 below the size where a grid pays.
uint32_t GridWorthyCount(const MeshShape& mesh) {
  uint64_t count = 0;
  for (const MeshTri* tri = mesh.tris.head; tri != nullptr; tri = tri->link.next) ++count;
  if (count < kMinTriangles || count > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<uint32_t>(count);
}

bool PureTranslation(const Matrix4& m) {
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      if (m.at(row, col) != (row == col ? 1.0f : 0.0f)) return false;
    }
  }
  return m.at(3, 3) == 1.0f && std::isfinite(m.at(3, 0)) && std::isfinite(m.at(3, 1)) &&
         std::isfinite(m.at(3, 2));
}

}  // namespace

void TriGridFree(MeshShape& mesh) {
  delete mesh.grid;
  mesh.grid = nullptr;
}

bool TriGridQuery(const MeshShape& mesh, Vec3 s, Vec3 e, const Matrix4& matrix, Vec3 scale,
                  TriCandidates& out) {
  if (!PureTranslation(matrix) || !Finite(s) || !Finite(e) || !Finite(scale)) return false;
  if (!(scale.x > 0.0f && scale.y > 0.0f && scale.z > 0.0f)) return false;
  if (mesh.grid == nullptr) {
    const uint32_t count = GridWorthyCount(mesh);
    if (count == 0) return false;
    mesh.grid = BuildGrid(mesh, count);
    if (mesh.grid == nullptr) return false;
  }
  TriGrid& grid = *mesh.grid;

  // Under a pure translation t a placed corner is the float sum c + t, then divided by the
  // scale r, and the box test passes a triangle only if, per axis, its lowest corner less
  // 1 is at most the segment's larger end and its highest plus 1 at least the smaller end.
  // Undone in local coordinates that is lo <= (max + 1) r - t and hi >= (min - 1) r - t,
  // up to the float roundings of the placement, the division and the margin; the slack
  // covers those with room to spare (each is within 2^-24 of the magnitudes involved).
  Box want;
  for (int axis = 0; axis < 3; ++axis) {
    const double r = (&scale.x)[axis];
    const double t = matrix.at(3, axis);
    const double a = (&s.x)[axis];
    const double b = (&e.x)[axis];
    const double size =
        grid.reach[axis] + std::fabs(t) + (std::max(std::fabs(a), std::fabs(b)) + 1.0) * r;
    // Far beyond the float range the roundings are no longer relative: walk everything.
    if (!(size < 1e30 && size / r < 1e30)) return false;
    const double slack = 1e-5 * size + 1e-30 * (1.0 + r);
    want.lo[axis] = (std::min(a, b) - 1.0) * r - t - slack;
    want.hi[axis] = (std::max(a, b) + 1.0) * r - t + slack;
  }

  uint32_t found = 0;
  bool missed = false;
  for (int axis = 0; axis < 3; ++axis) {
    missed = missed || want.hi[axis] < grid.lo[axis] || want.lo[axis] > grid.hi[axis];
  }
  const CellRange range = RangeOf(grid, want);
  const int64_t cells = static_cast<int64_t>(grid.dims[0]) * grid.dims[1] * grid.dims[2];
  // A segment whose box covers much of the grid gains nothing from it.
  if (!missed && range.Cells() * 2 > cells) return false;
  if (++grid.query == 0) {
    std::fill(grid.mark.get(), grid.mark.get() + grid.count, 0u);
    grid.query = 1;
  }
  for (int32_t z = range.lo[2]; !missed && z <= range.hi[2]; ++z) {
    for (int32_t y = range.lo[1]; y <= range.hi[1]; ++y) {
      for (int32_t x = range.lo[0]; x <= range.hi[0]; ++x) {
        const uint32_t c = CellIndex(grid, x, y, z);
        for (uint32_t k = grid.first[c]; k < grid.first[c + 1]; ++k) {
          const uint32_t i = grid.entries[k];
          if (grid.mark[i] == grid.query) continue;
          grid.mark[i] = grid.query;
          grid.found[found++] = i;
        }
      }
    }
  }
  for (uint32_t k = 0; k < grid.alwaysCount; ++k) grid.found[found++] = grid.always[k];
  std::sort(grid.found.get(), grid.found.get() + found);
  out.index = grid.found.get();
  out.count = found;
  out.tris = grid.tris.get();
  return true;
}

}  // namespace ovoid
