// Chain picks: the picked entity, then every entity joined to an open end of the chain,
// depth first from either end. The candidates are gathered once and their ends indexed,
// so a chain of n entities costs O(n log n) rather than a full visit per link.
#include "app/select/chain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/prefs/prefs.h"
#include "app/select/select.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/outline.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"

namespace {

// One end of a candidate in the grid index.
struct EndCell {
  long long cx;
  long long cy;
  int candidate;
  int which;  // 0 first, 1 second
};

bool cell_less(const EndCell& a, const EndCell& b) {
  return a.cx != b.cx ? a.cx < b.cx : a.cy != b.cy ? a.cy < b.cy : a.candidate < b.candidate;
}

long long cell_of(double v, double tol) {
  double c = std::floor(v / tol);
  if (c > 1e15) c = 1e15;
  if (c < -1e15) c = -1e15;
  return static_cast<long long>(c);
}

double dist(const double* a, const double* b) {
  double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The first unjoined candidate (lowest index) with an end strictly within tol of point.
int nearest_first(const EndCell* cells, int cell_count, const YrlChainEnds* c, const bool* used,
                  const double* point, double tol) {
  int best = -1;
  long long px = cell_of(point[0], tol), py = cell_of(point[1], tol);
  for (long long x = px - 1; x <= px + 1; ++x) {
    for (long long y = py - 1; y <= py + 1; ++y) {
      EndCell key{x, y, -1, 0};
      const EndCell* at = std::lower_bound(cells, cells + cell_count, key, cell_less);
      for (; at != cells + cell_count && at->cx == x && at->cy == y; ++at) {
        if (used[at->candidate] || (best >= 0 && at->candidate >= best)) continue;
        const double* e = at->which == 0 ? c[at->candidate].first : c[at->candidate].second;
        if (dist(e, point) < tol) best = at->candidate;
      }
    }
  }
  return best;
}

}  // namespace

int YrlChainGrow(const YrlChainEnds* candidates, int count, double* start, double* end, double tol,
                 int* joined) {
  if (count <= 0 || !(tol > 0.0) || !std::isfinite(tol)) return 0;
  auto* cells = static_cast<EndCell*>(std::malloc(sizeof(EndCell) * 2 * static_cast<std::size_t>(count)));
  bool* used = static_cast<bool*>(std::calloc(static_cast<std::size_t>(count), sizeof(bool)));
  if (!cells || !used) {
    std::free(cells);
    std::free(used);
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    cells[2 * i] = EndCell{cell_of(candidates[i].first[0], tol), cell_of(candidates[i].first[1], tol), i, 0};
    cells[2 * i + 1] = EndCell{cell_of(candidates[i].second[0], tol), cell_of(candidates[i].second[1], tol), i, 1};
  }
  std::sort(cells, cells + 2 * count, cell_less);
  int n = 0;
  for (;;) {
    int at_end = nearest_first(cells, 2 * count, candidates, used, end, tol);
    int at_start = nearest_first(cells, 2 * count, candidates, used, start, tol);
    int k = at_end < 0 ? at_start : at_start < 0 ? at_end : std::min(at_end, at_start);
    if (k < 0) break;
    const YrlChainEnds& c = candidates[k];
    if (dist(c.first, end) < tol) std::memcpy(end, c.second, sizeof c.second);
    else if (dist(c.second, end) < tol) std::memcpy(end, c.first, sizeof c.first);
    else if (dist(c.first, start) < tol) std::memcpy(start, c.second, sizeof c.second);
    else std::memcpy(start, c.first, sizeof c.first);
    used[k] = true;
    joined[n++] = k;
  }
  std::free(cells);
  std::free(used);
  return n;
}

// ---- Gathering the candidates ----

namespace {

struct Candidates {
  YrlChainData* chain;
  VynModelitem* items;
  YrlChainEnds* ends;
  int count;
  int room;
};

bool candidates_add(Candidates* list, const VynModelitem& item, const double* a, const double* b) {
  if (list->count == list->room) {
    int room = list->room ? 2 * list->room : 256;
    void* items = std::realloc(list->items, sizeof(VynModelitem) * static_cast<std::size_t>(room));
    if (!items) return false;
    list->items = static_cast<VynModelitem*>(items);
    void* ends = std::realloc(list->ends, sizeof(YrlChainEnds) * static_cast<std::size_t>(room));
    if (!ends) return false;
    list->ends = static_cast<YrlChainEnds*>(ends);
    list->room = room;
  }
  list->items[list->count] = item;
  std::memcpy(list->ends[list->count].first, a, 3 * sizeof(double));
  std::memcpy(list->ends[list->count].second, b, 3 * sizeof(double));
  ++list->count;
  return true;
}

void candidates_free(Candidates* list) {
  std::free(list->items);
  std::free(list->ends);
}

bool visited(const YrlChainData* chain, int id) {
  const int* ids = static_cast<const int*>(chain->visited);
  for (int i = 0; i < chain->visited_count; ++i)
    if (ids[i] == id) return true;
  return false;
}

// The end points of a draft entity that can join a chain (a line, or an arc that is not a
// full circle) and is not hidden.
bool chain_ends(VynModelitem* item, double* a, double* b) {
  VynDtlentitydata data = nullptr;
  if (VynDtlentityDataGet(item, nullptr, &data) != VYN_TK_NO_ERROR) return false;
  int hidden = 0;
  VynCurvedata* curve = nullptr;
  int type = 0;
  bool ok = VynDtlentitydataIsHidden(data, &hidden) == VYN_TK_NO_ERROR && !hidden &&
            VynDtlentitydataCurveGet(data, &curve) == VYN_TK_NO_ERROR && curve &&
            VynCurvedataTypeGet(curve, &type) == VYN_TK_NO_ERROR &&
            (type == VYN_CURVE_LINE || (type == VYN_CURVE_ARC && IsEntArc(curve)));
  VynDtlentitydataFree(data);
  return ok && YrlGetEndPointsFromEntity(item, a, b) == VYN_TK_NO_ERROR;
}

void consider(Candidates* list, VynModelitem* item) {
  double a[3], b[3];
  if (chain_ends(item, a, b)) candidates_add(list, *item, a, b);
}

// The members of the declared view that holds the entity, as draft entities; -1 when it
// lies in no view.
int view_members(VynMdl drawing, int entity_id, Candidates* list) {
  char name[YRL_VIEW_NAME_SIZE] = "";
  YrlViewSetupViewnameGet(entity_id, name, nullptr, nullptr);
  if (!name[0]) return -1;
  YrlViewData record;
  if (YrlViewDataReadMembers(name, &record) != VYN_TK_NO_ERROR) return -1;
  for (int i = 0; i < record.member_count; ++i) {
    YrlSlotName slot;
    int id = 0;
    if (YrlSlotNameBuild(slot, "%s_%d", name, i) != VYN_TK_NO_ERROR ||
        YrlViewIntegerRetrieve(slot, &id) != VYN_TK_NO_ERROR)
      continue;
    VynModelitem item{YRL_DRAFT_ENTITY_TYPE, id, drawing};
    if (visited(list->chain, id) || YrlIsEntityHidden(&item, list->chain->hidden)) continue;
    consider(list, &item);
  }
  return 0;
}

}  // namespace

VynError YrlChainFilterAction(VynModelitem* item, void* app_data) {
  const YrlChainData* chain = static_cast<Candidates*>(app_data)->chain;
  if (item->type != YRL_DRAFT_ENTITY_TYPE || YrlIsEntityHidden(item, chain->hidden) || visited(chain, item->id))
    return VYN_TK_CONTINUE;
  return VYN_TK_NO_ERROR;
}

VynError YrlChainVisitAction(VynModelitem* item, VynError, void* app_data) {
  consider(static_cast<Candidates*>(app_data), item);
  return VYN_TK_NO_ERROR;
}

namespace {

// Joins the chain over the candidates and adds or removes each joined entity.
void chain_apply(Candidates* list, YrlChainData* chain) {
  if (list->count == 0) return;
  int* joined = static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(list->count)));
  if (!joined) return;
  int n = YrlChainGrow(list->ends, list->count, chain->start, chain->end, tolerance, joined);
  for (int i = 0; i < n; ++i) {
    VynModelitem* item = &list->items[joined[i]];
    if (chain->mode == YRL_SEL_ADD) {
      VynSelection s = nullptr;
      if (VynSelectionAlloc(nullptr, item, &s) != VYN_TK_NO_ERROR) continue;
      VynSelectionHighlight(s, YRL_COLOR_PICKED);
      if (YrlCurrSelAdd(s) == VYN_TK_NO_ERROR &&
          VynArrayObjectAdd(&chain->visited, -1, 1, &item->id) == VYN_TK_NO_ERROR)
        ++chain->visited_count;
      VynSelectionFree(&s);
    } else {
      YrlCurrSelRemove(item);
    }
  }
  std::free(joined);
}

}  // namespace

int yrl_chain_pick(const char* filter, VynSelectionFilter* pick_filter, int mode, int within_view) {
  VynArray picks = nullptr;
  int count = 0;
  int status = VynSelect(filter, 1, nullptr, pick_filter, nullptr, 0, &picks, &count);
  if (status != VYN_TK_NO_ERROR || count != 1 || !picks) return -1;
  VynSelection picked = static_cast<VynSelection*>(picks)[0];
  VynModelitem item{};
  if (VynSelectionModelitemGet(picked, &item) != VYN_TK_NO_ERROR) return -1;
  if (mode == YRL_SEL_ADD) YrlCurrSelAdd(picked);

  YrlChainData chain{};
  chain.mode = mode;
  status = VynMdlCurrentGet(&chain.model);
  if (status != VYN_TK_NO_ERROR) return status;
  bool can_start = item.type == YRL_DRAFT_ENTITY_TYPE && chain_ends(&item, chain.start, chain.end);
  if (!can_start) {
    // Anything else stays a single pick.
    if (mode == YRL_SEL_REMOVE) YrlCurrSelRemove(&item);
    return VYN_TK_NO_ERROR;
  }
  status = VynArrayAlloc(0, static_cast<int>(sizeof(int)), 64, &chain.visited);
  if (status != VYN_TK_NO_ERROR) return status;
  VynArrayObjectAdd(&chain.visited, -1, 1, &item.id);
  chain.visited_count = 1;
  YrlCollectBlankEnts(chain.model, &chain.hidden);
  tolerance = YrlPreferencesToleranceGet();

  Candidates list{&chain, nullptr, nullptr, 0, 0};
  if (within_view) {
    status = view_members(chain.model, item.id, &list) == 0 ? VYN_TK_NO_ERROR : -1;
  } else if (mode == YRL_SEL_ADD) {
    status = VynDrawingDtlentityVisit(chain.model, nullptr, -1, YrlChainVisitAction, YrlChainFilterAction, &list);
  } else {
    // Removing: the candidates are the entries of the current selection, in order.
    int n = YrlCurrSelCount();
    for (int i = 0; i < n; ++i) {
      VynModelitem entry{};
      if (VynSelectionModelitemGet(static_cast<VynSelection*>(curr_sel)[i], &entry) != VYN_TK_NO_ERROR) continue;
      if (entry.type != YRL_DRAFT_ENTITY_TYPE || visited(&chain, entry.id) ||
          YrlIsEntityHidden(&entry, chain.hidden))
        continue;
      consider(&list, &entry);
    }
  }
  if (status == VYN_TK_NO_ERROR) chain_apply(&list, &chain);
  if (mode == YRL_SEL_REMOVE) YrlCurrSelRemove(&item);
  candidates_free(&list);
  VynArrayFree(&chain.visited);
  if (chain.hidden) VynArrayFree(&chain.hidden);
  return status;
}

int YrlChainSelect(const char* filter, int, int mode) { return yrl_chain_pick(filter, nullptr, mode, 0); }
int YrlChainSelectView(const char* filter, int mode) { return yrl_chain_pick(filter, nullptr, mode, 1); }
