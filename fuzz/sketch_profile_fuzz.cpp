// Section profiles as a drawing may give them, validated and repaired: the input draws
// lines, arcs and circles (on a small grid, so that they meet, touch, cross and overlap,
// or anywhere, infinite and not-a-number values included), a revolve axis or none and
// the cut sub-type; the validation runs twice (the same verdict both times), then the
// geometry of every repair, and each repaired profile is validated in its turn. Counts
// stay within the profile, and every repair piece names an entity of the profile or is
// a closing line.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "app/sketch/sketchfix.h"
#include "app/sketch/sketchval.h"
#include "fuzz/fuzz_input.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// A coordinate: mostly on a grid of halves, now and then any double.
double coordinate(FuzzInput& in) {
  int kind = in.below(16);
  if (kind == 0) {
    long bits = in.word();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  if (kind == 1) return std::numeric_limits<double>::infinity();
  return (in.below(41) - 20) * 0.5;
}

void entity_draw(FuzzInput& in, YrlSketchEntity* e) {
  *e = YrlSketchEntity{};
  double a[2] = {coordinate(in), coordinate(in)};
  switch (in.below(3)) {
    case 0: {
      double b[2] = {coordinate(in), coordinate(in)};
      YrlSketchEntityLineSet(e, a, b);
      break;
    }
    case 1: {
      double radius = std::fabs(coordinate(in));
      double start = in.below(8) * YRL_TWO_PI / 8;
      double sweep = (in.below(8) + 1) * YRL_TWO_PI / 8;
      YrlSketchEntityArcSet(e, a, radius, start, sweep);
      break;
    }
    default:
      YrlSketchEntityCircleSet(e, a, std::fabs(coordinate(in)));
      break;
  }
}

struct Drawn {
  std::vector<YrlSketchEntity> entities;
  YrlSketchValInfo info{};
  void bind() {
    info = YrlSketchValInfo{};
    info.entities = entities.empty() ? nullptr : entities.data();
    info.count = static_cast<int>(entities.size());
  }
  ~Drawn() { YrlSketchEntitiesFree(entities.data(), static_cast<int>(entities.size())); }
};

void check_counts(const YrlSketchValInfo& info) {
  const int ends = 2 * info.count;
  require(info.open_ends >= 0 && info.open_ends <= ends);
  require(info.intersecting_ends >= 0 && info.intersecting_ends <= ends);
  require(info.overlapping_ends >= 0 && info.overlapping_ends <= ends);
  require(info.unclosed_with_points >= 0 && info.unclosed_with_points <= ends);
  require(info.loop_count >= 0 && info.loop_count <= ends);
  require(info.valid == 0 || info.valid == 1);
  require(!info.valid || (info.open_ends == 0 && info.intersecting_ends == 0 && info.overlapping_ends == 0));
}

void validate(Drawn& d, const YrlSketchEntity* axis, int revolve, int cut) {
  d.bind();
  YrlSketchValidate(&d.info, revolve, axis, cut);
  check_counts(d.info);
}

// A repair's records name entities of the profile (or -1, a closing line); the profile
// they make is validated in its turn.
template <typename Get>
void repair(Drawn& d, Get get) {
  YrlSketchFixLineList pieces{};
  if (get(&d.info, &pieces) == 0) {
    Drawn repaired;
    for (int k = 0; k < pieces.count; ++k) {
      const YrlSketchFixLine& r = pieces.items[k];
      require(r.index >= -1 && r.index < d.info.count);
      YrlSketchEntity e{};
      if (r.curve_type == 3) YrlSketchEntityArcSet(&e, r.centre, r.radius, r.start_angle, r.sweep);
      else if (r.curve_type == 10) YrlSketchEntityCircleSet(&e, r.centre, r.radius);
      else YrlSketchEntityLineSet(&e, r.start, r.end);
      repaired.entities.push_back(e);
    }
    validate(repaired, nullptr, 0, 0);
  }
  YrlSketchFixLineListFree(&pieces);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in{data, size};
  Drawn d;
  const int n = in.below(16);
  d.entities.resize(static_cast<std::size_t>(n));
  for (YrlSketchEntity& e : d.entities) entity_draw(in, &e);
  const int revolve = in.below(2);
  YrlSketchEntity axis{};
  const bool with_axis = revolve && in.below(4) != 0;
  if (with_axis) {
    double a[2] = {coordinate(in), coordinate(in)}, b[2] = {coordinate(in), coordinate(in)};
    YrlSketchEntityLineSet(&axis, a, b);
  }
  const int cut = in.below(2);
  validate(d, with_axis ? &axis : nullptr, revolve, cut);
  // A validation run again gives the same verdict and counts.
  const YrlSketchValInfo first = d.info;
  validate(d, with_axis ? &axis : nullptr, revolve, cut);
  require(d.info.valid == first.valid && d.info.open_ends == first.open_ends &&
          d.info.intersecting_ends == first.intersecting_ends && d.info.loop_count == first.loop_count);
  if (cut) validate(d, with_axis ? &axis : nullptr, revolve, 0);
  for (int grouping : {1, 2}) {
    repair(d, [grouping](const YrlSketchValInfo* s, YrlSketchFixLineList* l) {
      return YrlSketchFixCloseLinesGet(s, grouping, l);
    });
  }
  repair(d, YrlSketchFixExtendLinesGet);
  repair(d, YrlSketchFixDivideLinesGet);
  if (with_axis) {
    for (int side : {1, 2}) {
      repair(d, [side](const YrlSketchValInfo* s, YrlSketchFixLineList* l) {
        return YrlSketchFixRevolveLinesGet(s, side, l);
      });
    }
  }
  return 0;
}
