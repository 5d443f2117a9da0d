#include "wipe/builtin_patterns.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <random>

namespace {

// Position of a pixel centre relative to the picture: u, v in [0, 1],
// dx, dy in [-1, 1] around the centre.
struct Point {
  double u, v, dx, dy;
  int32_t x, y, width, height;
};

using Field = std::function<double(const Point&)>;

enum class Levels {
  kStretch,   // the field's range stretched linearly to 0..255
  kEqualize,  // levels by rank: each level covers the same area
};

struct Entry {
  BuiltinPattern pattern;
  Field field;  // any range
  Levels levels = Levels::kStretch;
};

constexpr double kPi = std::numbers::pi;

double Angle(const Point& p, double startRadians) {
  // Clockwise from startRadians, screen coordinates (y grows downwards).
  double a = std::atan2(p.dy, p.dx) - startRadians;
  while (a < 0)
    a += 2 * kPi;
  while (a >= 2 * kPi)
    a -= 2 * kPi;
  return a / (2 * kPi);
}

// Bands of a ramp across one axis: inside each band the edge runs along
// the band and a little along the other axis, so a band a few dozen pixels
// wide still holds every level.
double Bands(double along, double across, int bands) {
  const double scaled = along * bands;
  const double inBand = scaled - std::floor(std::min(scaled, bands - 1e-9));
  return inBand + across / 64.0;
}

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = {
      {{"horizontal-left-to-right", "edge moves from the left side to the right"},
       [](const Point& p) { return p.u + p.v / 4096; }},
      {{"horizontal-right-to-left", "edge moves from the right side to the left"},
       [](const Point& p) { return 1 - p.u + p.v / 4096; }},
      {{"vertical-top-to-bottom", "edge moves from the top down"},
       [](const Point& p) { return p.v + p.u / 4096; }},
      {{"vertical-bottom-to-top", "edge moves from the bottom up"},
       [](const Point& p) { return 1 - p.v + p.u / 4096; }},
      {{"diagonal-top-left", "diagonal edge from the top-left corner"},
       [](const Point& p) { return p.u + p.v; }},
      {{"diagonal-top-right", "diagonal edge from the top-right corner"},
       [](const Point& p) { return (1 - p.u) + p.v; }},
      {{"diagonal-bottom-left", "diagonal edge from the bottom-left corner"},
       [](const Point& p) { return p.u + (1 - p.v); }},
      {{"diagonal-bottom-right", "diagonal edge from the bottom-right corner"},
       [](const Point& p) { return (1 - p.u) + (1 - p.v); }},
      {{"radial-out", "circle growing from the centre"},
       [](const Point& p) {
         const double aspect = static_cast<double>(p.width) / p.height;
         return std::hypot(p.dx * aspect, p.dy);
       }},
      {{"radial-in", "circle closing towards the centre"},
       [](const Point& p) {
         const double aspect = static_cast<double>(p.width) / p.height;
         return -std::hypot(p.dx * aspect, p.dy);
       }},
      {{"oval-out", "ellipse filling the frame, growing from the centre"},
       [](const Point& p) { return std::hypot(p.dx, p.dy); }},
      {{"iris-box-out", "rectangle growing from the centre"},
       [](const Point& p) { return std::max(std::fabs(p.dx), std::fabs(p.dy)); }},
      {{"iris-box-in", "rectangle closing towards the centre"},
       [](const Point& p) { return -std::max(std::fabs(p.dx), std::fabs(p.dy)); }},
      {{"diamond-out", "diamond growing from the centre"},
       [](const Point& p) { return std::fabs(p.dx) + std::fabs(p.dy); }},
      {{"diamond-in", "diamond closing towards the centre"},
       [](const Point& p) { return -(std::fabs(p.dx) + std::fabs(p.dy)); }},
      {{"cross-out", "cross growing from the centre lines"},
       [](const Point& p) { return std::min(std::fabs(p.dx), std::fabs(p.dy)); }},
      {{"barn-doors-vertical-open", "two doors opening from a vertical centre line"},
       [](const Point& p) { return std::fabs(p.dx) + p.v / 4096; }},
      {{"barn-doors-vertical-close", "two doors closing from the left and right sides"},
       [](const Point& p) { return 1 - std::fabs(p.dx) + p.v / 4096; }},
      {{"barn-doors-horizontal-open", "two doors opening from a horizontal centre line"},
       [](const Point& p) { return std::fabs(p.dy) + p.u / 4096; }},
      {{"barn-doors-horizontal-close", "two doors closing from the top and bottom"},
       [](const Point& p) { return 1 - std::fabs(p.dy) + p.u / 4096; }},
      {{"clock-clockwise", "clock hand sweeping clockwise from twelve"},
       [](const Point& p) { return Angle(p, -kPi / 2); }},
      {{"clock-counterclockwise", "clock hand sweeping counter-clockwise from twelve"},
       [](const Point& p) { return 1 - Angle(p, -kPi / 2); }},
      {{"fan-from-bottom", "fan opening from the bottom centre"},
       [](const Point& p) { return std::atan2(p.dx, 1 - p.dy + 1e-9) + p.v / 4096; }},
      {{"venetian-blinds-horizontal", "eight horizontal blinds turning together"},
       [](const Point& p) { return Bands(p.v, p.u, 8); }},
      {{"venetian-blinds-vertical", "eight vertical blinds turning together"},
       [](const Point& p) { return Bands(p.u, p.v, 8); }},
      {{"checker", "checkerboard: one colour of squares wipes down, then the other"},
       [](const Point& p) {
         const int cols = 8, rows = 6;
         const double cx = p.u * cols, cy = p.v * rows;
         const int ix = std::min(static_cast<int>(cx), cols - 1);
         const int iy = std::min(static_cast<int>(cy), rows - 1);
         const double inCell = ((cy - iy) + (cx - ix) / 64.0) / (1 + 1 / 64.0);
         return ((ix + iy) % 2) + inCell;
       }},
      {{"spiral", "spiral arm sweeping outwards from the centre"},
       [](const Point& p) {
         const double aspect = static_cast<double>(p.width) / p.height;
         const double r = std::hypot(p.dx * aspect, p.dy) / std::hypot(aspect, 1.0);
         const double turns = 3;
         // The ring a pixel is on, counted in turns, plus its angle: the edge
         // sweeps round like a clock hand while it moves outwards.
         const double a = Angle(p, -kPi / 2);
         return std::floor(r * turns - a) + a;
       },
       Levels::kEqualize},  // levels by area: the outer turn reaches only the corners
      {{"random-dissolve", "pixels change over one by one in random order"},
       nullptr},  // rendered by its own rule below
  };
  return entries;
}

// Every level equally often, shuffled with a fixed seed so the file is the
// same on every run.
void RenderDissolve(GreyImage& image) {
  const size_t n = image.pixels.size();
  for (size_t i = 0; i < n; ++i)
    image.pixels[i] = static_cast<uint8_t>((i * 256) / n);
  std::mt19937 rng(1072);
  for (size_t i = n - 1; i > 0; --i) {
    std::uniform_int_distribution<size_t> pick(0, i);
    std::swap(image.pixels[i], image.pixels[pick(rng)]);
  }
}

}  // namespace

const std::vector<BuiltinPattern>& BuiltinPatterns() {
  static const std::vector<BuiltinPattern> patterns = [] {
    std::vector<BuiltinPattern> list;
    for (const Entry& e : Entries())
      list.push_back(e.pattern);
    return list;
  }();
  return patterns;
}

bool RenderBuiltinPattern(const std::string& name, int32_t width, int32_t height,
                          GreyImage& image) {
  if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF)
    return false;
  const auto& entries = Entries();
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return name == e.pattern.name; });
  if (it == entries.end())
    return false;

  image.Release();
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height);
  if (!it->field) {
    RenderDissolve(image);
    return true;
  }

  std::vector<double> values(image.pixels.size());
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      Point p;
      p.u = (x + 0.5) / width;
      p.v = (y + 0.5) / height;
      p.dx = 2 * p.u - 1;
      p.dy = 2 * p.v - 1;
      p.x = x;
      p.y = y;
      p.width = width;
      p.height = height;
      values[static_cast<size_t>(y) * width + x] = it->field(p);
    }
  }
  if (it->levels == Levels::kEqualize) {
    std::vector<uint32_t> order(values.size());
    for (size_t i = 0; i < order.size(); ++i)
      order[i] = static_cast<uint32_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return values[a] < values[b]; });
    const size_t n = order.size();
    size_t groupStart = 0;
    for (size_t rank = 0; rank < n; ++rank) {
      // Equal values share the level of the first of them.
      if (rank > 0 && values[order[rank]] != values[order[rank - 1]])
        groupStart = rank;
      image.pixels[order[rank]] = static_cast<uint8_t>((groupStart * 256) / n);
    }
    return true;
  }
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  const double low = *lo, span = *hi - *lo;
  for (size_t i = 0; i < values.size(); ++i) {
    const double t = span > 0 ? (values[i] - low) / span : 0.0;
    image.pixels[i] = static_cast<uint8_t>(std::clamp(std::floor(t * 255 + 0.5), 0.0, 255.0));
  }
  return true;
}
