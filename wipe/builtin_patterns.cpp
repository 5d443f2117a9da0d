#include "wipe/builtin_patterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <new>
#include <numbers>
#include <random>

// Built without floating-point contraction: a fused multiply-add rounds once
// where the plain code rounds twice, and a dithered level follows every bit.

namespace {

// Position of a pixel centre relative to the picture: u, v in [0, 1],
// dx, dy in [-1, 1] around the centre.
struct Point {
  double u, v, dx, dy;
  int32_t x, y, width, height;
};

using Field = std::function<double(const Point&)>;

enum class Levels {
  kStretch,   // the field's range stretched linearly to 0..1
  kEqualize,  // values by rank: each level covers the same area
};

struct Entry {
  BuiltinPattern pattern;
  Field field;  // any range
  Levels levels = Levels::kStretch;
  bool dithered = false;
};

constexpr double kPi = std::numbers::pi;

// The terms 1/1, 1/3, 1/5, ... of the arctangent's series.
constexpr std::array<double, 14> kAtanTerms = [] {
  std::array<double, 14> terms{};
  for (size_t k = 0; k < terms.size(); ++k)
    terms[k] = 1.0 / static_cast<double>(2 * k + 1);
  return terms;
}();

// atan2 from + - * / alone. The library's may differ in the last bit from
// one machine to the next, and the angular shapes are dithered.
double Atan2(double y, double x) {
  const double ax = std::fabs(x), ay = std::fabs(y);
  if (ax == 0 && ay == 0)
    return 0;
  const bool steep = ay > ax;
  const double z = steep ? ax / ay : ay / ax;  // 0..1
  // atan z = pi/4 + atan((z - 1) / (z + 1)) keeps the series' argument
  // within tan(pi/8), where 14 terms leave an error below 1e-12.
  const bool upper = z > std::numbers::sqrt2 - 1;
  const double w = upper ? (z - 1) / (z + 1) : z;
  const double w2 = w * w;
  double series = 0;
  for (size_t k = kAtanTerms.size(); k-- > 0;)
    series = kAtanTerms[k] - w2 * series;
  double a = w * series + (upper ? kPi / 4 : 0);
  if (steep)
    a = kPi / 2 - a;
  if (x < 0)
    a = kPi - a;
  return y < 0 ? -a : a;
}

// hypot's rounding is the library's; the square root's is fixed.
double Length(double x, double y) {
  return std::sqrt(x * x + y * y);
}

double Angle(const Point& p, double startRadians) {
  // Clockwise from startRadians, screen coordinates (y grows downwards).
  double a = Atan2(p.dy, p.dx) - startRadians;
  while (a < 0)
    a += 2 * kPi;
  while (a >= 2 * kPi)
    a -= 2 * kPi;
  return a / (2 * kPi);
}

// A straight ramp of fewer steps than levels skips some of them; a slight
// tilt along the other axis lets a line that falls just short of a skipped
// level reach it over part of its length. With enough steps the tilt would
// only put a one-pixel jog into the edge at Width 0, so it stays out.
double Tilt(int32_t steps, double across) {
  return steps < 256 ? across / 4096 : 0.0;
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
       [](const Point& p) { return p.u + Tilt(p.width, p.v); }},
      {{"horizontal-right-to-left", "edge moves from the right side to the left"},
       [](const Point& p) { return 1 - p.u + Tilt(p.width, p.v); }},
      {{"vertical-top-to-bottom", "edge moves from the top down"},
       [](const Point& p) { return p.v + Tilt(p.height, p.u); }},
      {{"vertical-bottom-to-top", "edge moves from the bottom up"},
       [](const Point& p) { return 1 - p.v + Tilt(p.height, p.u); }},
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
         return Length(p.dx * aspect, p.dy);
       }},
      {{"radial-in", "circle closing towards the centre"},
       [](const Point& p) {
         const double aspect = static_cast<double>(p.width) / p.height;
         return -Length(p.dx * aspect, p.dy);
       }},
      {{"oval-out", "ellipse filling the frame, growing from the centre"},
       [](const Point& p) { return Length(p.dx, p.dy); }},
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
      // Each door's ramp has half the picture's steps.
      {{"barn-doors-vertical-open", "two doors opening from a vertical centre line"},
       [](const Point& p) { return std::fabs(p.dx) + Tilt((p.width + 1) / 2, p.v); }},
      {{"barn-doors-vertical-close", "two doors closing from the left and right sides"},
       [](const Point& p) { return 1 - std::fabs(p.dx) + Tilt((p.width + 1) / 2, p.v); }},
      {{"barn-doors-horizontal-open", "two doors opening from a horizontal centre line"},
       [](const Point& p) { return std::fabs(p.dy) + Tilt((p.height + 1) / 2, p.u); }},
      {{"barn-doors-horizontal-close", "two doors closing from the top and bottom"},
       [](const Point& p) { return 1 - std::fabs(p.dy) + Tilt((p.height + 1) / 2, p.u); }},
      // A level of the angular shapes covers an arc many pixels long near
      // the outside: dithered.
      {{"clock-clockwise", "clock hand sweeping clockwise from twelve"},
       [](const Point& p) { return Angle(p, -kPi / 2); },
       Levels::kStretch,
       true},
      {{"clock-counterclockwise", "clock hand sweeping counter-clockwise from twelve"},
       [](const Point& p) { return 1 - Angle(p, -kPi / 2); },
       Levels::kStretch,
       true},
      {{"fan-from-bottom", "fan opening from the bottom centre"},
       [](const Point& p) { return Atan2(p.dx, 1 - p.dy); },
       Levels::kStretch,
       true},
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
         const double r = Length(p.dx * aspect, p.dy) / Length(aspect, 1);
         const double turns = 3;
         // The ring a pixel is on, counted in turns, plus its angle: the edge
         // sweeps round like a clock hand while it moves outwards.
         const double a = Angle(p, -kPi / 2);
         return std::floor(r * turns - a) + a;
       },
       Levels::kEqualize,  // levels by area: the outer turn reaches only the corners
       true},
      {{"random-dissolve", "pixels change over one by one in random order"},
       nullptr},  // made by its own rule below
  };
  return entries;
}

// Every level equally often, shuffled with a fixed seed so the file is the
// same on every run.
void ShapeDissolve(PatternShape& shape) {
  const size_t n = shape.values.size();
  for (size_t i = 0; i < n; ++i)
    shape.values[i] = static_cast<double>(i) / static_cast<double>(n);
  std::mt19937 rng(1072);
  for (size_t i = n - 1; i > 0; --i) {
    std::uniform_int_distribution<size_t> pick(0, i);
    std::swap(shape.values[i], shape.values[pick(rng)]);
  }
  shape.scale = ShapeScale::kShares;
}

// Replaces every value by its rank over the picture, 0..1; equal values
// share the rank of the first of them.
void EqualizeValues(std::vector<double>& values) {
  std::vector<uint32_t> order(values.size());
  for (size_t i = 0; i < order.size(); ++i)
    order[i] = static_cast<uint32_t>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t a, uint32_t b) { return values[a] < values[b]; });
  const size_t n = order.size();
  size_t groupStart = 0;
  double groupValue = 0;
  for (size_t rank = 0; rank < n; ++rank) {
    const double value = values[order[rank]];
    if (rank > 0 && value != groupValue)
      groupStart = rank;
    groupValue = value;
    values[order[rank]] = static_cast<double>(groupStart) / static_cast<double>(n);
  }
}

void StretchValues(std::vector<double>& values) {
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  const double low = *lo, span = *hi - *lo;
  for (double& v : values)
    v = span > 0 ? (v - low) / span : 0.0;
}

// Each field's dither thresholds repeat over a tile of this many pixels by
// this many of the field's lines.
constexpr int32_t kDitherTile = 64;

// The inverse of the triangular distribution over (-0.5, 1.5): thresholds
// spread like this give noise of the same strength at every value. With
// uniform ones a value right on a level would come out undithered, and a
// long arc or ray of it would still show as one level.
double Triangular(double u) {
  return u < 0.5 ? std::sqrt(2 * u) - 0.5 : 1.5 - std::sqrt(2 * (1 - u));
}

// Per field, noise with its coarse variation taken out (each value less the
// mean of its eight neighbours in the field, the tile wrapping round), then
// ranked: the thresholds are spread evenly over every few pixels and show
// no direction, where an ordered dither keeps whole diagonals at one
// threshold. The card shows each field at its own wipe position, so each
// gets a tile of its own. The noise comes from std::mt19937, whose output
// the language fixes, and only integers meet before the ranking.
const std::vector<double>& DitherTiles() {
  static const std::vector<double> tiles = [] {
    constexpr int32_t n = kDitherTile;
    std::vector<double> thresholds(2 * n * n);
    std::mt19937 rng(1072);
    for (int32_t field = 0; field < 2; ++field) {
      std::vector<int64_t> noise(n * n), fine(n * n);
      for (int64_t& v : noise)
        v = rng();
      for (int32_t y = 0; y < n; ++y) {
        for (int32_t x = 0; x < n; ++x) {
          int64_t around = 0;
          for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx)
              around += noise[((y + dy + n) % n) * n + (x + dx + n) % n];
          }
          fine[y * n + x] = 9 * noise[y * n + x] - around;
        }
      }
      std::vector<int32_t> order(n * n);
      for (int32_t i = 0; i < n * n; ++i)
        order[i] = i;
      std::stable_sort(order.begin(), order.end(),
                       [&](int32_t a, int32_t b) { return fine[a] < fine[b]; });
      for (int32_t rank = 0; rank < n * n; ++rank)
        thresholds[field * n * n + order[rank]] = Triangular((rank + 0.5) / (n * n));
    }
    return thresholds;
  }();
  return tiles;
}

// The threshold of pixel (x, y) in (-0.5, 1.5), added to a value in level
// units before the cut to a level; 0.5 is no dither.
double DitherThreshold(int32_t x, int32_t y) {
  const int32_t field = y & 1, line = y >> 1;
  return DitherTiles()[(field * kDitherTile + line % kDitherTile) * kDitherTile + x % kDitherTile];
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

bool RenderBuiltinShape(const std::string& name, int32_t width, int32_t height,
                        PatternShape& shape) {
  if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF)
    return false;
  const auto& entries = Entries();
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return name == e.pattern.name; });
  if (it == entries.end())
    return false;

  shape = PatternShape();
  try {
    shape.values.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  shape.width = width;
  shape.height = height;
  shape.dithered = it->dithered;
  if (!it->field) {
    ShapeDissolve(shape);
    return true;
  }
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
      shape.values[static_cast<size_t>(y) * width + x] = it->field(p);
    }
  }
  if (it->levels == Levels::kEqualize) {
    try {
      EqualizeValues(shape.values);
    } catch (const std::bad_alloc&) {
      shape = PatternShape();
      return false;
    }
    shape.scale = ShapeScale::kShares;
  } else {
    StretchValues(shape.values);
  }
  return true;
}

namespace {

// One quantiser for every depth, so a deeper map cuts the same shape at
// finer levels rather than scaling the 8-bit ones up. Level is uint8_t or
// uint16_t; its full range is used.
template <typename Level>
bool QuantiseLevels(const PatternShape& shape, std::vector<Level>& pixels) {
  constexpr double levels = static_cast<double>(std::numeric_limits<Level>::max()) + 1;
  constexpr double top = levels - 1;
  const size_t count = static_cast<size_t>(shape.width) * shape.height;
  if (shape.values.size() != count)
    return false;
  try {
    pixels.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int32_t y = 0; y < shape.height; ++y) {
    for (int32_t x = 0; x < shape.width; ++x) {
      const size_t i = static_cast<size_t>(y) * shape.width + x;
      // Undithered, a range rounds to the nearest level and shares cut
      // downwards; a dither threshold moves both cuts by up to a level.
      const double threshold = shape.dithered ? DitherThreshold(x, y) : 0.5;
      const double t = shape.values[i];
      const double level = shape.scale == ShapeScale::kRange
                               ? std::floor(t * top + threshold)
                               : std::floor(t * levels + (threshold - 0.5));
      pixels[i] = static_cast<Level>(std::clamp(level, 0.0, top));
    }
  }
  return true;
}

template <typename Image>
bool QuantiseInto(const PatternShape& shape, Image& image) {
  image.Release();
  if (!QuantiseLevels(shape, image.pixels)) {
    image.Release();
    return false;
  }
  image.width = shape.width;
  image.height = shape.height;
  return true;
}

template <typename Image>
bool RenderInto(const std::string& name, int32_t width, int32_t height, Image& image) {
  PatternShape shape;
  return RenderBuiltinShape(name, width, height, shape) && QuantiseInto(shape, image);
}

}  // namespace

bool QuantiseShape(const PatternShape& shape, GreyImage& image) {
  return QuantiseInto(shape, image);
}

bool QuantiseShape(const PatternShape& shape, GreyImage16& image) {
  return QuantiseInto(shape, image);
}

bool RenderBuiltinPattern(const std::string& name, int32_t width, int32_t height,
                          GreyImage& image) {
  return RenderInto(name, width, height, image);
}

bool RenderBuiltinPattern(const std::string& name, int32_t width, int32_t height,
                          GreyImage16& image) {
  return RenderInto(name, width, height, image);
}
