// Partial-order sorts: a plain topological sort of fixed-size items, and a graded
// ordering whose pairs may demand an order in either direction with a strength, with
// cycles resolved by cutting their weakest edge.
#pragma once

#include <cstdint>

#include "fileaccess/core/pfa.h"
#include "runtime/memory/pqueue.h"
#include "runtime/vekbase.h"

namespace vek {

// relation(a, b, data) on two item addresses: negative a before b, positive b before
// a, 0 unordered. 0 when sorted in place; 1 when a cycle prevents an order (the items
// stay as they were). Every pair is asked once.
int sort_partial_order(void* items, int n, int size, VekCompareData relation, void* data);

// ---- The graded ordering

// Fields of the relation word of items i < j.
constexpr int SPOC_I_BEFORE_J_SHIFT = 5;   // bits 5-7, propagate bit 8
constexpr int SPOC_J_BEFORE_I_SHIFT = 10;  // bits 10-12, propagate bit 13
constexpr std::int32_t SPOC_PROPAGATE_I = 1 << 8;
constexpr std::int32_t SPOC_PROPAGATE_J = 1 << 13;
// Strengths.
constexpr int SPOC_NONE = 0;
constexpr int SPOC_SOFT = 1;  // breakable; cycles through it are not recorded
constexpr int SPOC_HARD = 2;
constexpr int SPOC_FIRM = 3;
constexpr int SPOC_UNBREAKABLE = 4;
// The result when cycles remain.
constexpr int SPOC_UNRESOLVED = 106;

// Search states.
constexpr int SPOC_UNSEARCHED = 0;
constexpr int SPOC_ON_STACK = 1;
constexpr int SPOC_DONE = 2;
constexpr int SPOC_LIST_HEAD = 3;
constexpr int SPOC_PLACED = -10;  // parent count of a placed node

struct SpocEdge {
  std::int32_t target;  // item index, -1 once cut
  std::int32_t flags;   // the 4-bit strength field of the edge's direction
};

struct SpocNode {
  SpocEdge* edges;  // xarray
  void* item;
  int n_unplaced_parents;
  int depth;  // on the search stack, -1 when not on it
  int state;
  SpocNode* previous;  // circular list of unsearched nodes
  SpocNode* next;
};

struct SpocStackEntry {
  int node;  // -1 when empty
  int edge;
};

// relation(base, i, j, data) for i < j: the relation word.
typedef std::int32_t (*SpocRelation)(void* base, int i, int j, void* data);
// preference(base, a, b, data) between free nodes: negative places a first.
typedef int (*SpocPreference)(void* base, int a, int b, void* data);
// cut(base, a, ta, b, tb, data) between edges a -> ta and b -> tb of equal strength:
// positive cuts the first, negative the second, 0 leaves the index rule.
typedef int (*SpocCut)(void* base, int a, int ta, int b, int tb, void* data);

// One edge as the cut rules see it.
struct SpocEdgeRef {
  int source;
  int target;
  int strength;
};

// circles (may be null): address of an xarray of int xarrays, one per recorded cycle,
// starting at its smallest index and closed by repeating it. *order gets a getmem
// array of the n item addresses (the caller releases it), null with SPOC_UNRESOLVED.
int get_partial_order_with_circles(void* items, int n, int size, SpocRelation relation,
                                   SpocPreference preference, SpocCut cut, void* data,
                                   int ignored, int*** circles, void*** order);

void sortpartl_set_direct_refs(SpocNode* nodes, void* base, int n, SpocRelation relation,
                               SpocCut cut, void* data, int*** circles);
// The most passes the cycle resolution makes over its list: n(n + 1) / 2 + 2.
long long sortpartl_pass_limit(int n);
void sortpartl_resolve_circular_refs(SpocNode* nodes, void* base, int n, SpocCut cut,
                                     void* data, int ignored, int*** circles);
// The depth-first search from node at depth: 1 when it cut an edge, 2 when a cycle
// could not be cut, 0 otherwise. It keeps its own stack.
int sortpartl_find_cut_loop_recur(SpocNode* nodes, void* base, int n, SpocCut cut,
                                  void* data, int ignored, int node, SpocStackEntry* stack,
                                  int depth, SpocNode** cursor, int*** circles);
// The stack slice from node's depth up to top: 1 with start and length, 0 when it
// holds fewer than two nodes.
int sortpartl_close_stack_loop(const SpocNode* nodes, int n, const SpocStackEntry* stack,
                               int top, int node, int* start, int* length);
void sortpartl_collect_circle_xar(const SpocNode* nodes, int n, const SpocStackEntry* slice,
                                  int length, void* data, int*** circles);
int sortpartl_select_and_cut_edge(SpocNode* nodes, int n, const SpocStackEntry* slice,
                                  int length, void* base, SpocCut cut, void* data);
// 1 to cut the second edge, -1 to cut the first, 0 when equal.
int sortpartl_which_ref_to_cut(SpocEdgeRef a, SpocEdgeRef b, void* base, SpocCut cut,
                               void* data);
int sortpartl_which_edge_to_cut(const SpocNode* nodes, SpocStackEntry a, SpocStackEntry b,
                                void* base, SpocCut cut, void* data);
int sortpartl_order_items(SpocNode* nodes, int* placed, void* base, void*** order,
                          SpocPreference preference, void* data, int n);
int sortpartl_get_next_unplaced_node(SpocNode* nodes, int n, Pqueue* queue, int use_queue,
                                     int* next, int* scan);
void sortpartl_decr_n_unplaced_parents(SpocNode* nodes, int node, Pqueue* queue, int scan);
// context: address of {base, preference, data}.
int sortpartl_cmp_placed_nodes(VynWord context, VynWord a, VynWord b);
void sortpartl_set_state(SpocNode* node, int state, SpocNode** cursor);

// Listings of the graph.
void dbg_fprint_spoc_nodes(const SpocNode* nodes, int n, VynFile* stream);
void dbg_dump_spoc_nodes(const SpocNode* nodes, int n);   // into "nodelist.dat"
void dbg_print_spoc_nodes(const SpocNode* nodes, int n);  // to standard output
// Prints every loop from node back to it.
void dbg_find_loops_for_node(const SpocNode* nodes, int n, int node);

}  // namespace vek
