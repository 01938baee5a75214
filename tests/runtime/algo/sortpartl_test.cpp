#include "runtime/algo/sortpartl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <numeric>
#include <queue>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::live_blocks;

class SortPartialTest : public yrltest::RuntimeTest {};

// ---- the plain sort: items are ints, the relation a table of "must precede" pairs.

struct PlainRelation {
  std::vector<std::pair<int, int>> before;  // (x, y): x must precede y
  long calls = 0;
  bool self_asked = false;
};

int plain_relation(const void* a, const void* b, void* data) {
  auto* r = static_cast<PlainRelation*>(data);
  ++r->calls;
  int x = *static_cast<const int*>(a);
  int y = *static_cast<const int*>(b);
  if (a == b) r->self_asked = true;
  for (auto [p, q] : r->before) {
    if (p == x && q == y) return -1;
    if (p == y && q == x) return 1;
  }
  return 0;
}

TEST_F(SortPartialTest, PlainSortOrdersEveryArrangementOfAChain) {
  std::vector<int> items = {1, 2, 3};  // a = 1, b = 2, c = 3
  std::sort(items.begin(), items.end());
  do {
    std::vector<int> arranged = items;
    PlainRelation r{{{1, 2}, {2, 3}}};
    EXPECT_EQ(vek::sort_partial_order(arranged.data(), 3, sizeof(int), plain_relation, &r), 0);
    EXPECT_EQ(arranged, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(r.calls, 3);
    EXPECT_FALSE(r.self_asked);
    // With c before a the chain is a cycle: nothing moves.
    std::vector<int> cyclic = items;
    PlainRelation c{{{1, 2}, {2, 3}, {3, 1}}};
    EXPECT_EQ(vek::sort_partial_order(cyclic.data(), 3, sizeof(int), plain_relation, &c), 1);
    EXPECT_EQ(cyclic, items);
  } while (std::next_permutation(items.begin(), items.end()));
  int one = 5;
  EXPECT_EQ(vek::sort_partial_order(&one, 1, sizeof(int), plain_relation, nullptr), 0);
  EXPECT_EQ(live_blocks(), 0);
}

// Random DAGs: the result is a permutation that respects every demanded pair.
TEST_F(SortPartialTest, PlainSortRespectsRandomDags) {
  std::mt19937 random(153);
  for (int round = 0; round < 40; ++round) {
    const int n = 2 + static_cast<int>(random() % 40);
    std::vector<int> rank(n);
    std::iota(rank.begin(), rank.end(), 0);
    std::shuffle(rank.begin(), rank.end(), random);
    PlainRelation r;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        if (rank[i] < rank[j] && random() % 4 == 0) r.before.push_back({i, j});
    std::vector<int> items(n);
    std::iota(items.begin(), items.end(), 0);
    std::shuffle(items.begin(), items.end(), random);
    ASSERT_EQ(vek::sort_partial_order(items.data(), n, sizeof(int), plain_relation, &r), 0);
    std::vector<int> position(n);
    for (int k = 0; k < n; ++k) position[items[k]] = k;
    for (auto [p, q] : r.before) ASSERT_LT(position[p], position[q]);
    std::vector<int> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < n; ++k) ASSERT_EQ(sorted[k], k);
    EXPECT_EQ(r.calls, static_cast<long>(n) * (n - 1) / 2);
  }
}

// ---- the graded ordering: demands as (from, to, strength) over item indices.

struct Demand {
  int from;
  int to;
  int strength;
};

struct Graded {
  std::vector<Demand> demands;
  long calls = 0;
};

std::int32_t graded_relation(void*, int i, int j, void* data) {
  auto* g = static_cast<Graded*>(data);
  ++g->calls;
  EXPECT_LT(i, j);
  std::int32_t word = 0;
  for (const Demand& d : g->demands) {
    if (d.from == i && d.to == j) word |= d.strength << vek::SPOC_I_BEFORE_J_SHIFT;
    if (d.from == j && d.to == i) word |= d.strength << vek::SPOC_J_BEFORE_I_SHIFT;
  }
  return word;
}

struct Outcome {
  int result;
  std::vector<int> order;  // item indices
  std::vector<std::vector<int>> circles;
};

Outcome order_of(int n, Graded* g, vek::SpocPreference preference = nullptr,
                 vek::SpocCut cut = nullptr) {
  std::vector<int> items(static_cast<std::size_t>(n) + 1);
  std::iota(items.begin(), items.end(), 0);
  int** circles = nullptr;
  void** order = nullptr;
  Outcome out;
  out.result = vek::get_partial_order_with_circles(items.data(), n, sizeof(int), graded_relation,
                                                   preference, cut, g, 0, &circles, &order);
  if (order != nullptr) {
    for (int k = 0; k < n; ++k) out.order.push_back(*static_cast<int*>(order[k]));
    vek::rlsmem(order);
  }
  for (int c = 0; c < vek::xar_count(&circles); ++c)
    out.circles.emplace_back(circles[c], circles[c] + vek::xar_count(&circles[c]));
  vek::free_xar_xar(&circles);
  return out;
}

// The smallest-index-first topological order of the demands, or empty for a cycle.
std::vector<int> reference_order(int n, const std::vector<Demand>& demands) {
  std::vector<std::vector<int>> children(n);
  std::vector<int> parents(n);
  for (const Demand& d : demands) {
    children[d.from].push_back(d.to);
    ++parents[d.to];
  }
  std::priority_queue<int, std::vector<int>, std::greater<int>> free;
  for (int i = 0; i < n; ++i)
    if (parents[i] == 0) free.push(i);
  std::vector<int> order;
  while (!free.empty()) {
    int v = free.top();
    free.pop();
    order.push_back(v);
    for (int c : children[v])
      if (--parents[c] == 0) free.push(c);
  }
  return static_cast<int>(order.size()) == n ? order : std::vector<int>{};
}

TEST_F(SortPartialTest, GradedOrderOfRandomDagsIsSmallestIndexFirst) {
  std::mt19937 random(1530);
  for (int round = 0; round < 60; ++round) {
    const int n = 2 + static_cast<int>(random() % 60);
    std::vector<int> rank(n);
    std::iota(rank.begin(), rank.end(), 0);
    std::shuffle(rank.begin(), rank.end(), random);
    Graded g;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        if (rank[i] < rank[j] && random() % 5 == 0)
          g.demands.push_back({i, j, 1 + static_cast<int>(random() % 4)});
    Outcome out = order_of(n, &g);
    ASSERT_EQ(out.result, 0);
    EXPECT_EQ(out.order, reference_order(n, g.demands)) << "round " << round;
    EXPECT_TRUE(out.circles.empty());
    EXPECT_EQ(g.calls, static_cast<long>(n) * (n - 1) / 2);
  }
  EXPECT_EQ(live_blocks(), 0);
}

// Random graphs with cycles: whatever is cut, the order is a permutation that respects
// every unbreakable edge, and each recorded cycle starts and ends at its smallest index.
TEST_F(SortPartialTest, GradedOrderResolvesRandomCycles) {
  std::mt19937 random(15301);
  for (int round = 0; round < 60; ++round) {
    const int n = 2 + static_cast<int>(random() % 30);
    Graded g;
    // Unbreakable edges follow the index order, so they form no cycle.
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        int kind = static_cast<int>(random() % 8);
        if (kind == 0) g.demands.push_back({i, j, 4});
        if (kind == 1) g.demands.push_back({j, i, 1 + static_cast<int>(random() % 3)});
        if (kind == 2) g.demands.push_back({i, j, 1 + static_cast<int>(random() % 3)});
      }
    Outcome out = order_of(n, &g);
    ASSERT_EQ(out.result, 0) << "round " << round;
    ASSERT_EQ(static_cast<int>(out.order.size()), n);
    std::vector<int> position(n, -1);
    for (int k = 0; k < n; ++k) position[out.order[k]] = k;
    for (int k = 0; k < n; ++k) ASSERT_GE(position[k], 0);
    for (const Demand& d : g.demands) {
      if (d.strength == 4) {
        ASSERT_LT(position[d.from], position[d.to]);
      }
    }
    for (const auto& circle : out.circles) {
      ASSERT_GE(circle.size(), 3u);
      EXPECT_EQ(circle.front(), circle.back());
      EXPECT_EQ(circle.front(), *std::min_element(circle.begin(), circle.end()));
    }
  }
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(SortPartialTest, GradedRows) {
  {
    // i before j hard, j before i soft: i -> j stays and the cycle is recorded.
    Graded g{{{0, 1, 2}, {1, 0, 1}}};
    Outcome out = order_of(2, &g);
    EXPECT_EQ(out.order, (std::vector<int>{0, 1}));
    EXPECT_EQ(out.circles, (std::vector<std::vector<int>>{{0, 1, 0}}));
  }
  {
    Graded g{{{0, 1, 1}, {1, 0, 2}}};
    Outcome out = order_of(2, &g);
    EXPECT_EQ(out.order, (std::vector<int>{1, 0}));
    EXPECT_TRUE(out.circles.empty());
  }
  {
    // A three-item cycle 0 -> 2 -> 1 -> 0 of strengths 2, 2, 3: of the two hard edges
    // the one from the higher node (2 -> 1) goes.
    Graded g{{{0, 2, 2}, {2, 1, 2}, {1, 0, 3}}};
    Outcome out = order_of(3, &g);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.order, (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(out.circles, (std::vector<std::vector<int>>{{0, 2, 1, 0}}));
  }
  {
    // A soft edge in the cycle: cut, and the cycle is not recorded.
    Graded g{{{0, 1, 2}, {1, 2, 2}, {2, 0, 1}}};
    Outcome out = order_of(3, &g);
    EXPECT_EQ(out.order, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(out.circles.empty());
  }
  {
    // Only unbreakable edges: no order.
    Graded g{{{0, 1, 4}, {1, 2, 4}, {2, 0, 4}}};
    Outcome out = order_of(3, &g);
    EXPECT_EQ(out.result, vek::SPOC_UNRESOLVED);
    EXPECT_TRUE(out.order.empty());
  }
  {
    Graded g{{{0, 1, 4}, {1, 0, 4}}};
    EXPECT_EQ(order_of(2, &g).result, vek::SPOC_UNRESOLVED);
  }
  {
    Graded g;
    EXPECT_EQ(order_of(5, &g).order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(order_of(1, &g).order, (std::vector<int>{0}));
    Outcome none = order_of(0, &g);
    EXPECT_EQ(none.result, 0);
    EXPECT_TRUE(none.order.empty());
  }
  EXPECT_EQ(live_blocks(), 0);
}

int prefer_higher(void*, int a, int b, void*) { return b - a; }
int cut_first_always(void*, int, int, int, int, void*) { return 1; }

TEST_F(SortPartialTest, PreferenceAndCutFunctions) {
  Graded g{{{3, 1, 2}}};
  // Free items by preference: the highest index first, 1 only after 3.
  EXPECT_EQ(order_of(5, &g, prefer_higher).order, (std::vector<int>{4, 3, 2, 1, 0}));
  Graded h{{{0, 1, 4}}};
  EXPECT_EQ(order_of(3, &h, prefer_higher).order, (std::vector<int>{2, 0, 1}));
  // A two-item cycle of equal strengths: the index rule keeps 0 -> 1, the cut function
  // asked to cut the first keeps 1 -> 0.
  Graded c{{{0, 1, 2}, {1, 0, 2}}};
  EXPECT_EQ(order_of(2, &c).order, (std::vector<int>{0, 1}));
  EXPECT_EQ(order_of(2, &c, nullptr, cut_first_always).order, (std::vector<int>{1, 0}));
}

TEST_F(SortPartialTest, CutRules) {
  using vek::SpocEdgeRef;
  const struct {
    SpocEdgeRef a;
    SpocEdgeRef b;
    int answer;
  } rows[] = {
      {{0, 1, 2}, {1, 2, 3}, -1},  // the weaker goes
      {{0, 1, 3}, {1, 2, 2}, 1},
      {{1, 2, 2}, {0, 2, 2}, -1},  // equal: the edge from the higher node goes
      {{0, 2, 2}, {1, 2, 2}, 1},
      {{0, 3, 2}, {0, 1, 2}, -1},  // same node: by target
      {{0, 1, 2}, {0, 3, 2}, 1},
      {{0, 1, 2}, {0, 1, 2}, 0},
  };
  for (const auto& row : rows)
    EXPECT_EQ(vek::sortpartl_which_ref_to_cut(row.a, row.b, nullptr, nullptr, nullptr),
              row.answer);
}

// A chain of 50,000 items closed into a cycle by one soft edge: the searches go 50,000
// deep on their own stacks.
std::int32_t chain_relation(void*, int i, int j, void* data) {
  const int n = *static_cast<int*>(data);
  if (j == i + 1) return vek::SPOC_HARD << vek::SPOC_I_BEFORE_J_SHIFT;
  if (i == 0 && j == n - 1) return vek::SPOC_SOFT << vek::SPOC_J_BEFORE_I_SHIFT;
  return 0;
}

TEST_F(SortPartialTest, ChainOfFiftyThousandItems) {
  int n = 50000;
  std::vector<int> items(n);
  std::iota(items.begin(), items.end(), 0);
  int** circles = nullptr;
  void** order = nullptr;
  ASSERT_EQ(vek::get_partial_order_with_circles(items.data(), n, sizeof(int), chain_relation,
                                                nullptr, nullptr, &n, 0, &circles, &order),
            0);
  for (int k = 0; k < n; ++k) ASSERT_EQ(*static_cast<int*>(order[k]), k);
  EXPECT_EQ(circles, nullptr);  // the cycle held a soft edge
  vek::rlsmem(order);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(SortPartialTest, PassLimitDoesNotOverflow) {
  EXPECT_EQ(vek::sortpartl_pass_limit(2), 5);
  EXPECT_EQ(vek::sortpartl_pass_limit(65536), 2147516418LL);
  EXPECT_EQ(vek::sortpartl_pass_limit(100000), 5000050002LL);
}

TEST_F(SortPartialTest, ListingsAndLoopFinder) {
  vek::SpocNode nodes[3] = {};
  int items[3] = {0, 1, 2};
  for (int i = 0; i < 3; ++i) {
    nodes[i].item = &items[i];
    nodes[i].depth = -1;
  }
  auto edge = [&](int from, int to, int strength) {
    vek::SpocEdge e{to, strength};
    vek::xar_alloc_or_append(&nodes[from].edges, 1, sizeof(vek::SpocEdge), 2, &e);
    ++nodes[to].n_unplaced_parents;
  };
  edge(0, 1, 2);
  edge(1, 2, 4);
  edge(2, 0, 1);
  edge(1, 0, 3);
  const std::string listing =
      "Node 0      : depth -1, n_u_p 2\n"
      "              H1 \n"
      "Node 1      : depth -1, n_u_p 1\n"
      "              U2 0 \n"
      "Node 2      : depth -1, n_u_p 1\n"
      "              S0 \n";
  {
    yrltest::InTempDir here;
    vek::dbg_dump_spoc_nodes(nodes, 3);
    std::ifstream in("nodelist.dat");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), listing);
  }
  {
    testing::internal::CaptureStdout();
    vek::dbg_print_spoc_nodes(nodes, 3);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), listing);
  }
  {
    yrltest::ConsoleCapture capture;
    vek::dbg_fprint_spoc_nodes(nodes, 3, nullptr);
    vek::dbg_find_loops_for_node(nodes, 3, 0);
    EXPECT_EQ(capture.out(),
              "Can't open file, exiting\n"
              "Found a loop for 0!  Length = 3:\n   0\n   1\n   2\n   0\n\n"
              "Found a loop for 0!  Length = 2:\n   0\n   1\n   0\n\n");
  }
  for (auto& node : nodes) vek::xar_free(&node.edges);
}

}  // namespace
