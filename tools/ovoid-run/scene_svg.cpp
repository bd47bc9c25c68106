#include "scene_svg.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "numbers.h"

namespace ovoid_run {
namespace {

constexpr const char* kPalette[] = {"#d62728", "#1f77b4", "#2ca02c", "#ff7f0e", "#9467bd",
                                    "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};
constexpr const char* kMeshColour = "#8a8a8a";
constexpr double kMargin = 60;
constexpr double kMaxWidth = 760;
constexpr double kMaxPanelHeight = 360;
constexpr double kTitleHeight = 44;
constexpr double kPanelGap = 48;

std::string N(double v) {
  return FormatFixed(v, 2);
}

std::string Escape(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    if (ch == '&') {
      out += "&amp;";
    } else if (ch == '<') {
      out += "&lt;";
    } else if (ch == '>') {
      out += "&gt;";
    } else {
      out += ch;
    }
  }
  return out;
}

Point Add(const Point& a, const Point& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

struct Box {
  double lo[3] = {INFINITY, INFINITY, INFINITY};
  double hi[3] = {-INFINITY, -INFINITY, -INFINITY};
  void Take(const Point& p, const Point& r = {0, 0, 0}) {
    for (int a = 0; a < 3; ++a) {
      if (!std::isfinite(p[a]) || !std::isfinite(r[a])) return;  // NaN or inf would blow up
    }
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], double(p[a]) - r[a]);
      hi[a] = std::max(hi[a], double(p[a]) + r[a]);
    }
  }
};

// 1, 2 or 5 times a power of ten, near range / 8.
double NiceStep(double range) {
  const double rough = range / 8;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= rough) return m * power;
  }
  return 10 * power;
}

const char* Colour(const ObjectTrack& track, int& next) {
  if (track.ellipsoids.empty()) return kMeshColour;
  return kPalette[next++ % (sizeof kPalette / sizeof kPalette[0])];
}

struct Canvas {
  double lo[3], hi[3];
  double scale;
  double left, top[2];  // top of the side panel (0) and of the top panel (1)
  double width, height;

  double X(double x) const { return left + (x - lo[0]) * scale; }
  // View 0 plots y upward, view 1 plots z downward.
  double V(int view, const Point& p) const {
    return view == 0 ? top[0] + (hi[1] - p[1]) * scale : top[1] + (p[2] - lo[2]) * scale;
  }
  int Axis(int view) const { return view == 0 ? 1 : 2; }
  double PanelHeight(int view) const { return (hi[Axis(view)] - lo[Axis(view)]) * scale; }
};

Canvas Layout(const RunRecord& record) {
  Box box;
  for (const auto& [number, track] : record.objects) {
    if (track.path.empty()) continue;
    for (const PathPoint& p : track.path) {
      for (const EllipsoidTrack& e : track.ellipsoids)
        box.Take(Add(p.position, e.offset), e.radius);
    }
    if (!track.meshes.empty()) {
      for (const Point& at : {track.path.front().position, track.path.back().position}) {
        for (const Triangle& t : track.meshes[0]) {
          for (const Point& c : t) box.Take(Add(c, at));
        }
      }
    }
    if (track.ellipsoids.empty() && track.meshes.empty()) box.Take(track.path.back().position);
    for (const Point& c : track.contacts) box.Take(c);
  }
  for (const RayTrack& ray : record.rays) {
    box.Take(ray.start);
    box.Take(ray.end);
  }
  Canvas c{};
  double largest = 0;
  for (int a = 0; a < 3; ++a) {
    if (!(box.lo[a] <= box.hi[a])) box.lo[a] = box.hi[a] = 0;
    largest = std::max(largest, box.hi[a] - box.lo[a]);
  }
  const double pad = std::max(0.5, 0.06 * largest);
  double range[3];
  for (int a = 0; a < 3; ++a) {
    c.lo[a] = box.lo[a] - pad;
    c.hi[a] = box.hi[a] + pad;
    range[a] = c.hi[a] - c.lo[a];
  }
  c.scale =
      std::min({kMaxWidth / range[0], kMaxPanelHeight / range[1], kMaxPanelHeight / range[2]});
  c.left = kMargin;
  c.top[0] = kTitleHeight + 24;
  c.top[1] = c.top[0] + range[1] * c.scale + kPanelGap;
  c.width = std::max(2 * kMargin + range[0] * c.scale, 800.0);
  c.height = c.top[1] + range[2] * c.scale;
  return c;
}

void Grid(const Canvas& c, int view, std::ostream& out) {
  const int axis = c.Axis(view);
  const double w = (c.hi[0] - c.lo[0]) * c.scale;
  const double h = c.PanelHeight(view);
  const double top = c.top[view];
  const double step = NiceStep(std::max(c.hi[0] - c.lo[0], c.hi[axis] - c.lo[axis]));
  out << "<g stroke=\"#eeeeee\" stroke-width=\"1\">\n";
  for (double x = std::ceil(c.lo[0] / step) * step; x <= c.hi[0]; x += step) {
    out << "<line x1=\"" << N(c.X(x)) << "\" y1=\"" << N(top) << "\" x2=\"" << N(c.X(x))
        << "\" y2=\"" << N(top + h) << "\"/>\n";
  }
  for (double v = std::ceil(c.lo[axis] / step) * step; v <= c.hi[axis]; v += step) {
    Point p{0, 0, 0};
    p[axis] = float(v);
    out << "<line x1=\"" << N(c.left) << "\" y1=\"" << N(c.V(view, p)) << "\" x2=\""
        << N(c.left + w) << "\" y2=\"" << N(c.V(view, p)) << "\"/>\n";
  }
  out << "</g>\n<g fill=\"#999999\" font-size=\"10\">\n";
  for (double x = std::ceil(c.lo[0] / step) * step; x <= c.hi[0]; x += step) {
    out << "<text x=\"" << N(c.X(x)) << "\" y=\"" << N(top + h + 12) << "\" text-anchor=\"middle\">"
        << FormatFixed(x, step < 1 ? 1 : 0) << "</text>\n";
  }
  for (double v = std::ceil(c.lo[axis] / step) * step; v <= c.hi[axis]; v += step) {
    Point p{0, 0, 0};
    p[axis] = float(v);
    out << "<text x=\"" << N(c.left - 6) << "\" y=\"" << N(c.V(view, p) + 3)
        << "\" text-anchor=\"end\">" << FormatFixed(v, step < 1 ? 1 : 0) << "</text>\n";
  }
  out << "</g>\n<rect x=\"" << N(c.left) << "\" y=\"" << N(top) << "\" width=\"" << N(w)
      << "\" height=\"" << N(h) << "\" fill=\"none\" stroke=\"#cccccc\"/>\n";
  out << "<text x=\"" << N(c.left) << "\" y=\"" << N(top - 8) << "\" font-size=\"13\">"
      << (view == 0 ? "side view: x to the right, y up"
                    : "top view, from above: x to the right, z down")
      << "</text>\n";
}

// True when the view looks at the triangle edge-on (a wall from above, a floor from the
// side): it then shows as a line, drawn darker so that it does not vanish.
bool EdgeOn(const Triangle& t, int axis) {
  double u[3], v[3];
  for (int a = 0; a < 3; ++a) {
    u[a] = double(t[1][a]) - t[0][a];
    v[a] = double(t[2][a]) - t[0][a];
  }
  const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                       u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  return !(std::fabs(n[axis]) > 0.25 * length);
}

void Mesh(const Canvas& c, int view, const std::vector<Triangle>& tris, const Point& at, bool start,
          std::ostream& out) {
  // Looking along z from the side, along y from above.
  const int along = view == 0 ? 2 : 1;
  for (const bool edgeOn : {false, true}) {
    std::string d;
    for (const Triangle& t : tris) {
      if (EdgeOn(t, along) != edgeOn) continue;
      for (int k = 0; k < 3; ++k) {
        const Point p = Add(t[k], at);
        d += (k == 0 ? "M" : "L") + N(c.X(p[0])) + ' ' + N(c.V(view, p)) + ' ';
      }
      d += "Z ";
    }
    if (d.empty()) continue;
    if (start) {
      out << "<path fill=\"none\" stroke=\"#c8c8c8\" stroke-dasharray=\"3 3\" stroke-width=\""
          << (edgeOn ? "1.6" : "0.8") << "\" d=\"" << d << "\"/>\n";
    } else if (edgeOn) {
      out << "<path fill=\"none\" stroke=\"#7a7a7a\" stroke-width=\"1.6\" "
             "stroke-linejoin=\"round\" d=\""
          << d << "\"/>\n";
    } else {
      out << "<path fill=\"#808080\" fill-opacity=\"0.06\" stroke=\"#a8a8a8\" "
             "stroke-width=\"0.8\" stroke-linejoin=\"round\" d=\""
          << d << "\"/>\n";
    }
  }
}

void Ellipse(const Canvas& c, int view, const Point& centre, const Point& radius,
             const std::string& style, std::ostream& out) {
  out << "<ellipse cx=\"" << N(c.X(centre[0])) << "\" cy=\"" << N(c.V(view, centre)) << "\" rx=\""
      << N(radius[0] * c.scale) << "\" ry=\"" << N(radius[c.Axis(view)] * c.scale) << "\" " << style
      << "/>\n";
}

void View(const Canvas& c, int view, const RunRecord& record, std::ostream& out) {
  Grid(c, view, out);
  // Meshes first, so that paths and contacts stay on top.
  for (const auto& [number, track] : record.objects) {
    if (track.meshes.empty() || track.meshes[0].empty() || track.path.empty()) continue;
    const Point& start = track.path.front().position;
    const Point& end = track.path.back().position;
    if (start != end) Mesh(c, view, track.meshes[0], start, true, out);
    Mesh(c, view, track.meshes[0], end, false, out);
  }
  for (const RayTrack& ray : record.rays) {
    const Point& to = ray.hit ? ray.hitPosition : ray.end;
    out << "<line x1=\"" << N(c.X(ray.start[0])) << "\" y1=\"" << N(c.V(view, ray.start))
        << "\" x2=\"" << N(c.X(to[0])) << "\" y2=\"" << N(c.V(view, to))
        << "\" stroke=\"#333333\" stroke-width=\"1\""
        << (ray.hit ? "" : " stroke-dasharray=\"4 3\"") << "/>\n";
    out << "<circle cx=\"" << N(c.X(ray.start[0])) << "\" cy=\"" << N(c.V(view, ray.start))
        << "\" r=\"3\" fill=\"#ffffff\" stroke=\"#333333\"/>\n";
    if (ray.hit) {
      const double x = c.X(to[0]);
      const double y = c.V(view, to);
      out << "<path d=\"M" << N(x - 5) << ' ' << N(y - 5) << "L" << N(x + 5) << ' ' << N(y + 5)
          << "M" << N(x - 5) << ' ' << N(y + 5) << "L" << N(x + 5) << ' ' << N(y - 5)
          << "\" stroke=\"#000000\" stroke-width=\"2\"/>\n";
    }
  }
  // In layers over all objects: outlines, then contacts, then paths, then labels, so that
  // no fill hides another object's path.
  std::vector<std::pair<const ObjectTrack*, std::string>> drawn;
  int next = 0;
  for (const auto& [number, track] : record.objects) {
    if (!track.path.empty()) drawn.emplace_back(&track, Colour(track, next));
  }
  for (const auto& [track, colour] : drawn) {
    for (const EllipsoidTrack& e : track->ellipsoids) {
      if (track->path.size() > 1) {
        Ellipse(
            c, view, Add(track->path.front().position, e.offset), e.radius,
            "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1\" stroke-dasharray=\"4 3\"",
            out);
      }
      Ellipse(c, view, Add(track->path.back().position, e.offset), e.radius,
              "fill=\"" + colour + "\" fill-opacity=\"0.18\" stroke=\"" + colour +
                  "\" stroke-width=\"1.5\"",
              out);
    }
  }
  for (const auto& [track, colour] : drawn) {
    for (const Point& p : track->contacts) {
      out << "<circle cx=\"" << N(c.X(p[0])) << "\" cy=\"" << N(c.V(view, p))
          << "\" r=\"2.2\" fill=\"" << colour << "\" stroke=\"#000000\" stroke-width=\"0.5\"/>\n";
    }
  }
  for (const auto& [track, colour] : drawn) {
    if (track->path.size() < 2) continue;
    out << "<polyline fill=\"none\" stroke=\"" << colour
        << "\" stroke-width=\"1.6\" stroke-linejoin=\"round\" points=\"";
    for (const PathPoint& p : track->path) {
      const Point centre =
          track->ellipsoids.empty() ? p.position : Add(p.position, track->ellipsoids[0].offset);
      out << N(c.X(centre[0])) << ',' << N(c.V(view, centre)) << ' ';
    }
    out << "\"/>\n";
  }
  for (const auto& [number, track] : record.objects) {
    // A mesh that never moved is named in the legend only.
    if (track.path.empty() ||
        (track.ellipsoids.empty() && track.path.front().position == track.path.back().position)) {
      continue;
    }
    // Beside the end outline, up and to the right, clear of the contacts below its centre.
    const Point& end = track.path.back().position;
    Point corner = end;
    if (!track.ellipsoids.empty()) {
      const EllipsoidTrack& e = track.ellipsoids[0];
      corner = Add(end, e.offset);
      corner[0] += 0.7f * e.radius[0];
      corner[1] += 0.7f * e.radius[1];
      corner[2] -= 0.7f * e.radius[2];
    }
    out << "<text x=\"" << N(c.X(corner[0]) + 2) << "\" y=\"" << N(c.V(view, corner) - 2)
        << "\" font-size=\"11\" font-weight=\"bold\" fill=\"#000000\">" << number << "</text>\n";
  }
}

std::string PointText(const Point& p) {
  return "(" + FormatFixed(p[0], 2) + ", " + FormatFixed(p[1], 2) + ", " + FormatFixed(p[2], 2) +
         ")";
}

void Legend(const Canvas& c, const RunRecord& record, double y, std::ostream& out) {
  out << "<g font-size=\"12\">\n";
  int next = 0;
  for (const auto& [number, track] : record.objects) {
    if (track.path.empty()) continue;
    const std::string colour = Colour(track, next);
    out << "<rect x=\"" << N(c.left) << "\" y=\"" << N(y - 9)
        << "\" width=\"14\" height=\"10\" fill=\"" << colour << "\"/>\n<text x=\"" << N(c.left + 20)
        << "\" y=\"" << N(y) << "\">object " << number << " (type " << track.typeId << ")";
    if (!track.ellipsoids.empty()) {
      const Point& r = track.ellipsoids[0].radius;
      out << ", ellipsoid " << FormatFloat(r[0]) << " x " << FormatFloat(r[1]) << " x "
          << FormatFloat(r[2]);
    }
    if (!track.meshes.empty()) out << ", mesh of " << track.meshes[0].size() << " triangles";
    out << ": " << PointText(track.path.front().position);
    if (track.path.size() > 1) out << " to " << PointText(track.path.back().position);
    out << ", " << track.contactTotal << (track.contactTotal == 1 ? " contact" : " contacts")
        << "</text>\n";
    y += 16;
  }
  out << "<text x=\"" << N(c.left) << "\" y=\"" << N(y + 4) << "\" fill=\"#555555\">"
      << "line: path of the centre; dashed outline: start; filled outline: end; dots: contacts; "
         "dark lines: surfaces seen edge-on"
      << "</text>\n";
  if (!record.rays.empty()) {
    out << "<text x=\"" << N(c.left) << "\" y=\"" << N(y + 20) << "\" fill=\"#555555\">"
        << "black lines: rays from their start (circle) to a cross where they hit, dashed "
           "where they missed"
        << "</text>\n";
  }
  out << "</g>\n";
}

}  // namespace

void WriteSvg(const RunRecord& record, std::ostream& out) {
  const Canvas c = Layout(record);
  int lines = record.rays.empty() ? 1 : 2;
  for (const auto& [number, track] : record.objects) lines += track.path.empty() ? 0 : 1;
  const double legendTop = c.height + 36;
  const double height = legendTop + 16.0 * lines + 16;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << N(c.width) << "\" height=\""
      << N(height) << "\" viewBox=\"0 0 " << N(c.width) << ' ' << N(height)
      << "\" font-family=\"sans-serif\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
      << "<text x=\"" << N(c.left) << "\" y=\"28\" font-size=\"17\" font-weight=\"bold\">"
      << Escape(record.sceneName) << ": " << record.frames
      << (record.frames == 1 ? " frame" : " frames") << "</text>\n";
  View(c, 0, record, out);
  View(c, 1, record, out);
  Legend(c, record, legendTop, out);
  out << "</svg>\n";
}

}  // namespace ovoid_run
