// Partial-order sorts. The searches over the graph keep their own stacks, so chains of
// any length leave the thread's stack alone.
#include "runtime/algo/sortpartl.h"

#include <cstring>

#include "runtime/algo/sort.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr int EDGE_SIZE = static_cast<int>(sizeof(SpocEdge));

int edge_count(const SpocNode* node) { return xar_count(&node->edges); }

int strength_of(const SpocEdge& edge) { return edge.flags & 7; }

char* item_at(void* items, int size, int i) {
  return static_cast<char*>(items) + static_cast<std::size_t>(i) * size;
}

void add_edge(SpocNode* nodes, int from, int to, std::int32_t flags) {
  SpocEdge edge{to, flags};
  xar_alloc_or_append(&nodes[from].edges, 1, EDGE_SIZE, 4, &edge);
  ++nodes[to].n_unplaced_parents;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The plain sort

int sort_partial_order(void* items, int n, int size, VekCompareData relation, void* data) {
  if (n < 2) return 0;
  if (items == nullptr || size < 1 || relation == nullptr) {
    dbg_err_crash("sort_partial_order", "invalid_input");
    return 1;
  }
  struct PlainNode {
    int* children;  // xarray of node indices
    int n_unplaced_parents;
    int placed;
  };
  PlainNode* nodes = static_cast<PlainNode*>(getmem(static_cast<std::size_t>(n) * sizeof(PlainNode)));
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      int c = relation(item_at(items, size, i), item_at(items, size, j), data);
      if (c == 0) continue;
      int from = c < 0 ? i : j;
      int to = c < 0 ? j : i;
      xar_alloc_or_append(&nodes[from].children, 1, static_cast<int>(sizeof(int)), 10, &to);
      ++nodes[to].n_unplaced_parents;
    }
  }
  void** order = static_cast<void**>(getmem(static_cast<std::size_t>(n) * sizeof(void*)));
  int placed = 0;
  for (bool progress = true; progress && placed < n;) {
    progress = false;
    for (int i = 0; i < n; ++i) {
      if (nodes[i].placed || nodes[i].n_unplaced_parents != 0) continue;
      order[placed++] = item_at(items, size, i);
      nodes[i].placed = 1;
      progress = true;
      int children = xar_count(&nodes[i].children);
      for (int c = 0; c < children; ++c) --nodes[nodes[i].children[c]].n_unplaced_parents;
    }
  }
  const int result = placed == n ? 0 : 1;
  if (result == 0) order_array(n, items, order, size);
  rlsmem(order);
  for (int i = 0; i < n; ++i) xar_free(&nodes[i].children);
  rlsmem(nodes);
  return result;
}

// ---------------------------------------------------------------------------------------
// Edges and the cut rules

int sortpartl_which_ref_to_cut(SpocEdgeRef a, SpocEdgeRef b, void* base, SpocCut cut,
                               void* data) {
  if (a.strength != b.strength) return a.strength < b.strength ? -1 : 1;
  int answer;
  if (a.source == b.source)
    answer = b.target < a.target ? -1 : (b.target == a.target ? 0 : 1);
  else
    answer = b.source < a.source ? -1 : 1;
  if (cut != nullptr) {
    int c = cut(base, a.source, a.target, b.source, b.target, data);
    if (c > 0) answer = -1;
    if (c < 0) answer = 1;
  }
  return answer;
}

int sortpartl_which_edge_to_cut(const SpocNode* nodes, SpocStackEntry a, SpocStackEntry b,
                                void* base, SpocCut cut, void* data) {
  const SpocEdge& ea = nodes[a.node].edges[a.edge];
  const SpocEdge& eb = nodes[b.node].edges[b.edge];
  return sortpartl_which_ref_to_cut({a.node, ea.target, strength_of(ea)},
                                    {b.node, eb.target, strength_of(eb)}, base, cut, data);
}

namespace {

// Appends the cycle of node indices to the caller's list, rotated to start at its
// smallest index and closed by repeating it.
void record_circle(const int* cycle, int length, int*** circles) {
  int smallest = 0;
  for (int i = 1; i < length; ++i)
    if (cycle[i] < cycle[smallest]) smallest = i;
  int* circle = static_cast<int*>(xar_alloc(length + 1, static_cast<int>(sizeof(int)), 1));
  for (int i = 0; i < length; ++i) circle[i] = cycle[(smallest + i) % length];
  circle[length] = circle[0];
  xar_alloc_or_append(circles, 1, static_cast<int>(sizeof(int*)), 4, &circle);
}

}  // namespace

void sortpartl_set_direct_refs(SpocNode* nodes, void* base, int n, SpocRelation relation,
                               SpocCut cut, void* data, int*** circles) {
  bool propagate = false;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      const std::int32_t word = relation(base, i, j, data);
      if (word & (SPOC_PROPAGATE_I | SPOC_PROPAGATE_J)) propagate = true;
      const std::int32_t fi = (word >> SPOC_I_BEFORE_J_SHIFT) & 0xF;
      const std::int32_t fj = (word >> SPOC_J_BEFORE_I_SHIFT) & 0xF;
      const int s = fi & 7;
      const int t = fj & 7;
      if (s == SPOC_UNBREAKABLE && t == SPOC_UNBREAKABLE) {
        add_edge(nodes, i, j, fi);
        add_edge(nodes, j, i, fj);
        dbg_print_info("sortpartl_set_direct_refs", "unbreakable loop found -- between %d and %d",
                       i, j);
      } else if (s >= 1 && t >= 1) {
        if (s >= SPOC_HARD && circles != nullptr) {
          const int cycle[2] = {i, j};
          record_circle(cycle, 2, circles);
        }
        // Only the edge that is not cut is made.
        if (sortpartl_which_ref_to_cut({i, j, s}, {j, i, t}, base, cut, data) < 0)
          add_edge(nodes, j, i, fj);
        else
          add_edge(nodes, i, j, fi);
      } else if (s > t) {
        add_edge(nodes, i, j, fi);
      } else if (t > s) {
        add_edge(nodes, j, i, fj);
      }
    }
  }
  if (propagate)
    dbg_err_syserr("sortpartl_set_direct_refs", "ORDER_PROPAGATE not implemented yet");
}

int sortpartl_close_stack_loop(const SpocNode* nodes, int n, const SpocStackEntry* stack,
                               int top, int node, int* start, int* length) {
  const int from = node >= 0 && node < n ? nodes[node].depth : -1;
  if (from < 0 || from > top || stack[from].node != node) {
    dbg_err_crash("sortpartl_close_stack_loop", "stack handling error");
    return 0;
  }
  *start = from;
  *length = top - from + 1;
  if (*length < 2) {
    dbg_err_crash("sortpartl_close_stack_loop", "X- invalid %d-node circle!", *length);
    return 0;
  }
  return 1;
}

void sortpartl_collect_circle_xar(const SpocNode* nodes, int n, const SpocStackEntry* slice,
                                  int length, void*, int*** circles) {
  if (circles == nullptr || length < 1 || length > n) return;
  for (int i = 0; i < length; ++i)
    if (strength_of(nodes[slice[i].node].edges[slice[i].edge]) == SPOC_SOFT) return;
  int* cycle = static_cast<int*>(getmem(static_cast<std::size_t>(length) * sizeof(int)));
  for (int i = 0; i < length; ++i) cycle[i] = slice[i].node;
  record_circle(cycle, length, circles);
  rlsmem(cycle);
}

int sortpartl_select_and_cut_edge(SpocNode* nodes, int, const SpocStackEntry* slice,
                                  int length, void* base, SpocCut cut, void* data) {
  int candidate = 0;
  for (int i = 1; i < length; ++i)
    if (sortpartl_which_edge_to_cut(nodes, slice[candidate], slice[i], base, cut, data) > 0)
      candidate = i;
  SpocEdge& edge = nodes[slice[candidate].node].edges[slice[candidate].edge];
  if (strength_of(edge) >= SPOC_UNBREAKABLE) {
    dbg_err_syserr("sortpartl_select_and_cut_edge",
                   "unable to cut loop -- only unbreakable edges found");
    return 2;
  }
  --nodes[edge.target].n_unplaced_parents;
  edge.target = -1;
  return 1;
}

void sortpartl_set_state(SpocNode* node, int state, SpocNode** cursor) {
  if (node == nullptr) {
    dbg_err_crash("sortpartl_set_state", "invalid NULL list");
    return;
  }
  if (state == SPOC_DONE && node->next != nullptr) {
    if (cursor != nullptr && *cursor == node) *cursor = node->next;
    node->previous->next = node->next;
    node->next->previous = node->previous;
    node->next = nullptr;
    node->previous = nullptr;
  }
  node->state = state;
}

// ---------------------------------------------------------------------------------------
// The search for cycles

int sortpartl_find_cut_loop_recur(SpocNode* nodes, void* base, int n, SpocCut cut,
                                  void* data, int, int node, SpocStackEntry* stack,
                                  int depth, SpocNode** cursor, int*** circles) {
  // What a visit of node v at depth d gives at once: the result of a node that is on
  // the stack (a cycle) or done; -1 when v must be searched (it is pushed).
  auto enter = [&](int v, int d) -> int {
    SpocNode* x = &nodes[v];
    switch (x->state) {
      case SPOC_UNSEARCHED:
        if (d > n) {
          dbg_err_crash("sortpartl_find_cut_loop_recur", "stack handling error");
          return 0;
        }
        stack[d] = {v, -1};
        x->depth = d;
        x->state = SPOC_ON_STACK;
        return -1;
      case SPOC_ON_STACK: {
        int start = 0;
        int length = 0;
        if (!sortpartl_close_stack_loop(nodes, n, stack, d - 1, v, &start, &length)) return 0;
        sortpartl_collect_circle_xar(nodes, n, stack + start, length, data, circles);
        return sortpartl_select_and_cut_edge(nodes, n, stack + start, length, base, cut, data);
      }
      case SPOC_DONE:
        return 0;
      default:
        dbg_err_crash("sortpartl_find_cut_loop_recur", "unknown state %d", x->state);
        return 0;
    }
  };

  int result = enter(node, depth);
  if (result >= 0) return result;
  const int bottom = depth;
  int top = depth;
  // The result pending at each level, kept in the stack entries' own order: a level's
  // search goes on while its pending result is 0.
  int pending = 0;
  for (;;) {
    SpocNode* x = &nodes[stack[top].node];
    int next_child = -1;
    if (pending == 0) {
      const int count = edge_count(x);
      for (int e = stack[top].edge + 1; e < count; ++e) {
        if (x->edges[e].target < 0) continue;
        stack[top].edge = e;
        next_child = x->edges[e].target;
        break;
      }
    }
    if (next_child >= 0) {
      int r = enter(next_child, top + 1);
      if (r < 0) {
        ++top;
        pending = 0;
        continue;
      }
      // A cut of the edge just followed is handled here: the next edge is tried.
      if (r == 1 && x->edges[stack[top].edge].target < 0) r = 0;
      pending = r;
      continue;
    }
    // The level is finished: a node passing a cut upward is searched again later.
    const int v = stack[top].node;
    stack[top] = {-1, -1};
    nodes[v].depth = -1;
    if (pending == 1)
      nodes[v].state = SPOC_UNSEARCHED;
    else
      sortpartl_set_state(&nodes[v], SPOC_DONE, cursor);
    if (top == bottom) return pending;
    --top;
    SpocNode* parent = &nodes[stack[top].node];
    if (pending == 1 && parent->edges[stack[top].edge].target < 0) pending = 0;
  }
}

long long sortpartl_pass_limit(int n) {
  // In 64 bits: n(n + 1) / 2 overflows an int from n = 65,536.
  return static_cast<long long>(n) * (n + 1) / 2 + 2;
}

void sortpartl_resolve_circular_refs(SpocNode* nodes, void* base, int n, SpocCut cut,
                                     void* data, int ignored, int*** circles) {
  SpocNode head{};
  head.state = SPOC_LIST_HEAD;
  head.previous = &head;
  head.next = &head;
  for (int i = 0; i < n; ++i) {
    SpocNode* x = &nodes[i];
    x->state = SPOC_UNSEARCHED;
    x->depth = -1;
    x->previous = head.previous;
    x->next = &head;
    head.previous->next = x;
    head.previous = x;
  }
  SpocStackEntry* stack =
      static_cast<SpocStackEntry*>(getmem(static_cast<std::size_t>(n + 1) * sizeof(SpocStackEntry)));
  for (int i = 0; i <= n; ++i) stack[i] = {-1, -1};
  const long long limit = sortpartl_pass_limit(n);
  long long passes = 0;
  SpocNode* cursor = head.next;
  while (head.next != &head) {
    if (cursor == &head) {
      if (++passes >= limit) {
        dbg_err_crash("sortpartl_resolve_circular_refs", "bug found");
        break;
      }
      cursor = head.next;
      continue;
    }
    if (cursor == nullptr || cursor->state == SPOC_LIST_HEAD) {
      dbg_err_crash("sortpartl_resolve_circular_refs", "invalid list of unsearched nodes");
      break;
    }
    if (cursor->state == SPOC_UNSEARCHED) {
      sortpartl_find_cut_loop_recur(nodes, base, n, cut, data, ignored,
                                    static_cast<int>(cursor - nodes), stack, 0, &cursor,
                                    circles);
    } else {
      cursor = cursor->next;
    }
  }
  // Nodes left in the list after a stop are unlinked, so no node points at the head.
  for (int i = 0; i < n; ++i) {
    nodes[i].previous = nullptr;
    nodes[i].next = nullptr;
  }
  rlsmem(stack);
}

// ---------------------------------------------------------------------------------------
// Placing

namespace {

struct PlaceContext {
  void* base;
  SpocPreference preference;
  void* data;
};

}  // namespace

int sortpartl_cmp_placed_nodes(VynWord context, VynWord a, VynWord b) {
  const PlaceContext* c = reinterpret_cast<const PlaceContext*>(context);
  if (c != nullptr && c->preference != nullptr) {
    int p = c->preference(c->base, static_cast<int>(a), static_cast<int>(b), c->data);
    if (p != 0) return p;
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}

void sortpartl_decr_n_unplaced_parents(SpocNode* nodes, int node, Pqueue* queue, int scan) {
  SpocNode* x = &nodes[node];
  if (x->n_unplaced_parents <= 0) {
    dbg_err_crash("sortpartl_decr_n_unplaced_parents", "Inconsistency in parent count");
    return;
  }
  if (--x->n_unplaced_parents == 0 && node < scan && queue != nullptr) pqueue_push(queue, node);
}

int sortpartl_get_next_unplaced_node(SpocNode* nodes, int n, Pqueue* queue, int use_queue,
                                     int* next, int* scan) {
  if (!pqueue_is_empty(queue)) {
    *next = static_cast<int>(pqueue_pop(queue));
    if (*next < 0 || *next >= n || nodes[*next].n_unplaced_parents != 0) {
      dbg_err_crash("sortpartl_get_next_unplaced_node", "priority queue looks bad");
      return 0;
    }
    return 1;
  }
  if (use_queue) return 0;
  while (*scan < n && nodes[*scan].n_unplaced_parents != 0) ++*scan;
  if (*scan >= n) return 0;
  *next = (*scan)++;
  return 1;
}

int sortpartl_order_items(SpocNode* nodes, int* placed, void* base, void*** order,
                          SpocPreference preference, void* data, int n) {
  PlaceContext context{base, preference, data};
  Pqueue* queue = pqueue_alloc(sortpartl_cmp_placed_nodes, reinterpret_cast<VynWord>(&context),
                               n / 3 + 1, PQUEUE_SMALLEST);
  const int use_queue = preference != nullptr ? 1 : 0;
  // With a preference every free node waits in the queue: the scan starts past the end.
  int scan = use_queue ? n : 0;
  if (use_queue)
    for (int i = 0; i < n; ++i)
      if (nodes[i].n_unplaced_parents == 0) pqueue_push(queue, i);
  if (*order == nullptr)
    *order = static_cast<void**>(getmem(static_cast<std::size_t>(n) * sizeof(void*)));
  int v = 0;
  while (*placed < n && sortpartl_get_next_unplaced_node(nodes, n, queue, use_queue, &v, &scan)) {
    SpocNode* x = &nodes[v];
    (*order)[(*placed)++] = x->item;
    x->n_unplaced_parents = SPOC_PLACED;
    const int count = edge_count(x);
    for (int e = 0; e < count; ++e)
      if (x->edges[e].target >= 0) sortpartl_decr_n_unplaced_parents(nodes, x->edges[e].target, queue, scan);
  }
  pqueue_free(&queue);
  return *placed < n ? SPOC_UNRESOLVED : 0;
}

int get_partial_order_with_circles(void* items, int n, int size, SpocRelation relation,
                                   SpocPreference preference, SpocCut cut, void* data,
                                   int ignored, int*** circles, void*** order) {
  static constexpr const char* name = "get_partial_order_with_circles";
  if (order == nullptr) {
    dbg_err_crash(name, "invalid_input");
    return 0;
  }
  *order = nullptr;
  if (n < 1) return 0;
  if (items == nullptr || size < 1 || (n > 1 && relation == nullptr)) {
    dbg_err_crash(name, "invalid_input");
    return 0;
  }
  if (n == 1) {
    *order = static_cast<void**>(getmem(sizeof(void*)));
    (*order)[0] = items;
    return 0;
  }
  SpocNode* nodes = static_cast<SpocNode*>(getmem(static_cast<std::size_t>(n) * sizeof(SpocNode)));
  for (int i = 0; i < n; ++i) {
    nodes[i].item = item_at(items, size, i);
    nodes[i].depth = -1;
  }
  sortpartl_set_direct_refs(nodes, items, n, relation, cut, data, circles);
  sortpartl_resolve_circular_refs(nodes, items, n, cut, data, ignored, circles);
  int placed = 0;
  int result = sortpartl_order_items(nodes, &placed, items, order, preference, data, n);
  if (result == SPOC_UNRESOLVED) {
    dbg_err_syserr(name, "unable to resolve all circles");
    rlsmem(*order);
    *order = nullptr;
  }
  for (int i = 0; i < n; ++i) xar_free(&nodes[i].edges);
  rlsmem(nodes);
  return result;
}

// ---------------------------------------------------------------------------------------
// Listings

namespace {

const char* strength_letter(int strength) {
  switch (strength) {
    case SPOC_SOFT: return "S";
    case SPOC_HARD: return "H";
    case SPOC_UNBREAKABLE: return "U";
    default: return "";
  }
}

}  // namespace

void dbg_fprint_spoc_nodes(const SpocNode* nodes, int n, VynFile* stream) {
  if (stream == nullptr) {
    ivek_printf("Can't open file, exiting\n");
    return;
  }
  for (int i = 0; i < n; ++i) {
    const SpocNode* x = &nodes[i];
    pfa_fprintf(stream, "Node %-7d: depth %d, n_u_p %d\n", i, x->depth, x->n_unplaced_parents);
    pfa_fprintf(stream, "     %-7s  ", " ");
    const int count = edge_count(x);
    for (int e = 0; e < count; ++e)
      pfa_fprintf(stream, "%s%d ", strength_letter(strength_of(x->edges[e])), x->edges[e].target);
    pfa_fprintf(stream, "\n");
  }
}

void dbg_dump_spoc_nodes(const SpocNode* nodes, int n) {
  VynFile* file = pfa_fopen_file_vers("nodelist.dat", "w", 0);
  dbg_fprint_spoc_nodes(nodes, n, file);
  if (file != nullptr) pfa_dispose(&file);
}

void dbg_print_spoc_nodes(const SpocNode* nodes, int n) {
  dbg_fprint_spoc_nodes(nodes, n, pfa_get_stdout());
}

void dbg_find_loops_for_node(const SpocNode* nodes, int n, int node) {
  if (nodes == nullptr || node < 0 || node >= n) return;
  // path[d] is the node at depth d with the edge it follows; each node is visited once.
  SpocStackEntry* path =
      static_cast<SpocStackEntry*>(getmem(static_cast<std::size_t>(n + 1) * sizeof(SpocStackEntry)));
  char* visited = static_cast<char*>(getmem(static_cast<std::size_t>(n)));
  int top = 0;
  path[0] = {node, -1};
  visited[node] = 1;
  while (top >= 0) {
    const SpocNode* x = &nodes[path[top].node];
    int e = ++path[top].edge;
    if (e >= edge_count(x)) {
      --top;
      continue;
    }
    const int target = x->edges[e].target;
    if (target < 0) continue;
    if (target == node) {
      ivek_printf("Found a loop for %d!  Length = %d:\n", node, top + 1);
      for (int d = 0; d <= top; ++d) ivek_printf("   %d\n", path[d].node);
      ivek_printf("   %d\n", node);
      ivek_printf("\n");
      continue;
    }
    if (visited[target] || top + 1 >= n) continue;
    visited[target] = 1;
    path[++top] = {target, -1};
  }
  rlsmem(visited);
  rlsmem(path);
}

}  // namespace vek
