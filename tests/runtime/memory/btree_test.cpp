#include "runtime/memory/btree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "runtime/memory/arrays.h"
#include "runtime/memory/arrays_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::live_blocks;

using vek::Btree;
using vek::BtreeNode;

class BtreeTest : public yrltest::RuntimeTest {};


// Items of pointer arrays and tree data are small ints carried in the pointer.
void* item(std::intptr_t value) { return reinterpret_cast<void*>(value); }
std::intptr_t value_of(const void* p) { return reinterpret_cast<std::intptr_t>(p); }

int compare_values(const void* a, const void* b) {
  std::intptr_t x = value_of(a);
  std::intptr_t y = value_of(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int compare_ints_with_data(const void* a, const void* b, void* data) {
  ++*static_cast<int*>(data);
  return vek::int_element_cmp(a, b);
}

// ---------------------------------------------------------------------------------------
// Binary searches

TEST_F(BtreeTest, SearchesAgreeWithLowerBoundOnRandomArrays) {
  std::mt19937 random(121);
  for (int round = 0; round < 300; ++round) {
    int count = static_cast<int>(random() % 40);
    std::vector<int> values(static_cast<size_t>(count));
    for (int& v : values) v = static_cast<int>(random() % 30) - 5;  // many duplicates
    std::sort(values.begin(), values.end());
    std::vector<void*> items;
    for (int v : values) items.push_back(item(v));

    for (int key = -7; key <= 26; ++key) {
      auto lower = std::lower_bound(values.begin(), values.end(), key) - values.begin();
      auto upper = std::upper_bound(values.begin(), values.end(), key) - values.begin();
      bool present = lower != upper;
      SCOPED_TRACE("count " + std::to_string(count) + " key " + std::to_string(key));

      int at_array = -9, at_items = -9, at_data = -9, calls = 0;
      int found_array = vek::binary_srch_array_low(count, vek::int_element_cmp, 4, &key,
                                                   values.data(), &at_array);
      int found_items = vek::binary_search_low(count, compare_values, item(key),
                                               items.data(), &at_items);
      int found_data = vek::binary_srch_array_low_with_data(
          count, compare_ints_with_data, 4, &key, values.data(), &calls, &at_data);
      for (auto [found, at] : {std::pair{found_array, at_array}, {found_items, at_items},
                               {found_data, at_data}}) {
        EXPECT_EQ(found, present ? 1 : 0);
        if (present) {
          EXPECT_GE(at, lower);
          EXPECT_LT(at, upper);
        } else {
          EXPECT_EQ(at, lower);
        }
      }
      EXPECT_EQ(calls > 0, count > 0);  // the user data reached the compare function

      int index = vek::binary_srch_array(count, vek::int_element_cmp, 4, &key, values.data());
      EXPECT_EQ(index, present ? at_array : -1);
      EXPECT_EQ(vek::binary_search_obj(count, vek::int_element_cmp, &key, values.data(), 4),
                index);
      EXPECT_EQ(vek::binary_search(count, compare_values, item(key), items.data()),
                present ? at_items : -1);
      EXPECT_EQ(vek::binary_search_int(count, values.data(), key), index);
    }
  }
}

TEST_F(BtreeTest, SearchPositionsOfSmallCases) {
  const int values[] = {1, 3, 7};
  struct Case {
    int key;
    int found;
    int position;
  };
  for (Case c : {Case{5, 0, 2}, Case{0, 0, 0}, Case{9, 0, 3}, Case{1, 1, 0}, Case{7, 1, 2}}) {
    int position = -1;
    EXPECT_EQ(vek::binary_srch_array_low(3, vek::int_element_cmp, 4, &c.key, values,
                                         &position),
              c.found)
        << c.key;
    EXPECT_EQ(position, c.position) << c.key;
  }
  int key = 1;
  int position = -1;
  EXPECT_EQ(vek::binary_srch_array(0, vek::int_element_cmp, 4, &key, values), -1);
  EXPECT_EQ(vek::binary_search_low(0, compare_values, item(1), nullptr, &position), 0);
  EXPECT_EQ(position, 0);
  EXPECT_EQ(vek::binary_search(-3, compare_values, item(1), nullptr), -1);
  EXPECT_EQ(vek::binary_search_low(3, compare_values, item(1), nullptr, nullptr), 0);
}

TEST_F(BtreeTest, DoubleSearchUsesAtLeastTheSmallestTolerance) {
  const double values[] = {-2.5, 1.0, 3.0, 4.0};
  int position = -1;
  EXPECT_EQ(vek::binary_srch_doubles(4, values, 1.0000000001, 0.0, &position), 1);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(vek::binary_srch_doubles(4, values, 1.00001, 0.0, &position), 0);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(vek::binary_srch_doubles(4, values, 3.4, 0.5, &position), 1);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(vek::binary_srch_doubles(4, values, -9.0, 0.5, &position), 0);
  EXPECT_EQ(position, 0);

  double tolerance = 0.25;
  double a = 1.0, near = 1.2, far = 1.3;
  EXPECT_EQ(vek::compare_doubles_local(&a, &near, &tolerance), 0);
  EXPECT_EQ(vek::compare_doubles_local(&a, &far, &tolerance), -1);
  EXPECT_EQ(vek::compare_doubles_local(&far, &a, &tolerance), 1);
  double tiny = 1.0 + 5e-10, small = 1.0 + 1e-8;
  EXPECT_EQ(vek::cmp_double_tol(&a, &tiny), 0);
  EXPECT_EQ(vek::cmp_double_tol(&a, &small), -1);
  EXPECT_EQ(vek::cmp_double_tol(&small, &a), 1);
}

// ---------------------------------------------------------------------------------------
// The tree

// Records whose order is by key only, so that equal keys can be told apart.
struct Record {
  int key;
  int seq;
};

int compare_records(const void* a, const void* b) {
  return vek::int_cmp(static_cast<const Record*>(a)->key, static_cast<const Record*>(b)->key);
}

std::vector<const Record*> walk(const Btree* tree, int direction) {
  std::vector<const Record*> out;
  for (BtreeNode* node = vek::next_btree_node(tree, nullptr, direction); node != nullptr;
       node = vek::next_btree_node(tree, node, direction))
    out.push_back(static_cast<const Record*>(node->data));
  return out;
}

// Parent links and the search order hold at every node.
void expect_sound(const BtreeNode* node, const BtreeNode* parent) {
  if (node == nullptr) return;
  EXPECT_EQ(node->parent, parent);
  expect_sound(node->left, node);
  expect_sound(node->right, node);
}

TEST_F(BtreeTest, WalksFollowMultisetOrderInBothDirections) {
  std::mt19937 random(7);
  for (int mode : {vek::BTREE_INSERT_LEFT, vek::BTREE_INSERT_RIGHT}) {
    Btree* tree = vek::new_btree(0);
    std::vector<Record> records(600);
    for (size_t i = 0; i < records.size(); ++i)
      records[i] = Record{static_cast<int>(random() % 50), static_cast<int>(i)};
    for (Record& r : records)
      ASSERT_NE(vek::insert_data_into_btree(tree, &r, compare_records, mode), nullptr);
    expect_sound(tree->root, nullptr);

    // Equal keys keep insertion order when they go right, the reverse when they go left.
    std::vector<Record> expected = records;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const Record& a, const Record& b) { return a.key < b.key; });
    if (mode == vek::BTREE_INSERT_LEFT) {
      for (auto run = expected.begin(); run != expected.end();) {
        auto end = std::find_if(run, expected.end(),
                                [&](const Record& r) { return r.key != run->key; });
        std::reverse(run, end);
        run = end;
      }
    }
    std::vector<const Record*> forward = walk(tree, vek::BTREE_FORWARD);
    ASSERT_EQ(forward.size(), expected.size());
    for (size_t i = 0; i < forward.size(); ++i) {
      EXPECT_EQ(forward[i]->key, expected[i].key);
      EXPECT_EQ(forward[i]->seq, expected[i].seq);
    }
    std::vector<const Record*> backward = walk(tree, vek::BTREE_BACKWARD);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);
    vek::release_btree(&tree);
  }
}

TEST_F(BtreeTest, UniqueModeRefusesEqualDataAndHandsBackTheNode) {
  Btree* tree = vek::new_btree(0);
  Record first{4, 0}, again{4, 1}, other{9, 2};
  BtreeNode* node = vek::insert_data_into_btree(tree, &first, compare_records, 0);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(vek::insert_data_into_btree(tree, &other, compare_records, 0)->data, &other);
  EXPECT_EQ(vek::insert_data_into_btree(tree, &again, compare_records, 0), node);

  BtreeNode* given = vek::new_btree_node(tree);
  given->data = &again;
  EXPECT_EQ(vek::insert_node_into_btree(tree, given, compare_records, 0), 0);
  BtreeNode* out = nullptr;
  EXPECT_EQ(vek::insert_node_into_btree_(tree, &out, &again, compare_records, 0), 0);
  EXPECT_EQ(out, node);
  EXPECT_EQ(walk(tree, vek::BTREE_FORWARD).size(), 2u);

  // Mode 1 sends the equal data into the left subtree of the node met.
  BtreeNode* left = vek::insert_data_into_btree(tree, &again, compare_records, 1);
  EXPECT_EQ(left->parent, node);
  EXPECT_EQ(node->left, left);
  vek::release_btree(&tree);
}

TEST_F(BtreeTest, BadModesAndDirectionsAreReported) {
  Btree* tree = vek::new_btree(0);
  Record a{1, 0}, b{1, 1};
  yrltest::ConsoleCapture console;
  // The mode only matters once equal data is met.
  ASSERT_NE(vek::insert_data_into_btree(tree, &a, compare_records, 7), nullptr);
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(vek::insert_data_into_btree(tree, &b, compare_records, 7), nullptr);
  EXPECT_EQ(console.out(), "Illegal mode in insert_into_btree().\n");
  console.clear();
  EXPECT_EQ(vek::next_btree_node(tree, tree->root, 2), nullptr);
  EXPECT_EQ(console.out(), "Unknown mode in next_btree_node()\n");
  EXPECT_EQ(walk(tree, 0).size(), 1u);
  vek::release_btree(&tree);
}

TEST_F(BtreeTest, WalkEndsAndEmptyTrees) {
  Btree* tree = vek::new_btree(0);
  EXPECT_EQ(vek::next_btree_node(tree, nullptr, 0), nullptr);
  EXPECT_EQ(vek::next_btree_node(tree, nullptr, 1), nullptr);
  BtreeNode* out = reinterpret_cast<BtreeNode*>(item(8));  // overwritten below
  EXPECT_EQ(vek::get_least_node(nullptr, &out), nullptr);
  EXPECT_EQ(out, nullptr);

  Record r[] = {{5, 0}, {2, 1}, {8, 2}, {6, 3}};
  for (Record& x : r) vek::insert_data_into_btree(tree, &x, compare_records, 0);
  BtreeNode* greatest = vek::get_greatest_node(tree->root, &out);
  EXPECT_EQ(out, greatest);
  EXPECT_EQ(greatest->data, &r[2]);
  EXPECT_EQ(vek::next_btree_node(tree, greatest, 0), nullptr);
  BtreeNode* least = vek::get_least_node(tree->root, nullptr);
  EXPECT_EQ(least->data, &r[1]);
  EXPECT_EQ(vek::next_btree_node(tree, least, 1), nullptr);
  EXPECT_EQ(vek::next_btree_node(tree, nullptr, 1), greatest);
  vek::release_btree(&tree);
}

TEST_F(BtreeTest, LocateGivesTheNeighboursOfAMissingKey) {
  std::mt19937 random(3);
  Btree* tree = vek::new_btree(16);
  std::set<std::intptr_t> keys;
  while (keys.size() < 200) {
    std::intptr_t key = 2 * static_cast<std::intptr_t>(random() % 1000);
    if (keys.insert(key).second)
      vek::insert_data_into_btree(tree, item(key), compare_values, 0);
  }
  for (std::intptr_t key = -1; key <= 2001; ++key) {
    BtreeNode *node = nullptr, *previous = nullptr, *next = nullptr;
    int found = vek::btree_locate(tree, item(key), compare_values, &node, &previous, &next);
    auto at = keys.lower_bound(key);
    if (keys.count(key)) {
      ASSERT_EQ(found, 1);
      EXPECT_EQ(value_of(node->data), key);
      EXPECT_EQ(vek::btree_lookup(tree, item(key), compare_values), node);
      continue;
    }
    ASSERT_EQ(found, 0) << key;
    EXPECT_EQ(node, nullptr);
    EXPECT_EQ(vek::btree_lookup(tree, item(key), compare_values), nullptr);
    EXPECT_EQ(next != nullptr ? value_of(next->data) : -1, at == keys.end() ? -1 : *at);
    EXPECT_EQ(previous != nullptr ? value_of(previous->data) : -1,
              at == keys.begin() ? -1 : *std::prev(at));
  }
  vek::release_btree(&tree);
  EXPECT_EQ(vek::btree_lookup(nullptr, item(2), compare_values), nullptr);
}

// ---------------------------------------------------------------------------------------
// Node blocks

std::vector<int> block_capacities(Btree* tree) {
  std::vector<int> out;
  for (int i = 0; i < vek::xar_count(&tree->blocks); ++i) out.push_back(tree->blocks[i].capacity);
  return out;
}

TEST_F(BtreeTest, NodeBlocksDoubleUpToTheMaximum) {
  EXPECT_EQ(vek::BTREE_NODE_SIZE, static_cast<int>(4 * sizeof(void*)));
  Btree* tree = vek::new_btree(0);
  EXPECT_EQ(block_capacities(tree), std::vector<int>{512});
  std::vector<BtreeNode*> nodes;
  for (int i = 0; i < 513; ++i) nodes.push_back(vek::new_btree_node(tree));
  EXPECT_EQ(block_capacities(tree), (std::vector<int>{512, 1024}));
  EXPECT_EQ(nodes[512], tree->blocks[1].nodes);
  EXPECT_EQ(tree->blocks[1].handed_out, 1);
  // Nodes of one block lie one node size apart.
  EXPECT_EQ(reinterpret_cast<char*>(nodes[1]) - reinterpret_cast<char*>(nodes[0]),
            vek::BTREE_NODE_SIZE);
  for (int i = 513; i < 512 + 1024 + 2048 + 4096 + 8192 + 1; ++i) vek::new_btree_node(tree);
  EXPECT_EQ(block_capacities(tree), (std::vector<int>{512, 1024, 2048, 4096, 8192, 8192}));
  vek::release_btree(&tree);

  tree = vek::new_btree_low(100000, 300, vek::BTREE_NODE_SIZE);
  EXPECT_EQ(block_capacities(tree), std::vector<int>{300});
  vek::release_btree(&tree);
}

TEST_F(BtreeTest, LargerNodesAreReusedFromTheFreeList) {
  constexpr int kSize = 48;
  Btree* tree = vek::new_btree_low(4, 64, kSize);
  auto take = [&](int* block_index) {
    int index = -1;
    char* block = static_cast<char*>(vek::new_btree_node_low(tree, 64, kSize, &index));
    for (int b = 0; b < vek::xar_count(&tree->blocks); ++b)
      if (tree->blocks[b].nodes == block) *block_index = b;
    return block + index * kSize;
  };
  int b = -1;
  std::vector<char*> nodes;
  for (int i = 0; i < 4; ++i) nodes.push_back(take(&b));
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, nodes[2], kSize), 1);
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, nodes[0], kSize), 1);
  EXPECT_EQ(take(&b), nodes[0]);  // last freed first
  EXPECT_EQ(take(&b), nodes[2]);
  char* fresh = take(&b);  // the first block is used up: a block of 8 opens
  EXPECT_EQ(b, 1);
  EXPECT_EQ(block_capacities(tree), (std::vector<int>{4, 8}));
  // A node of an earlier block is found again from the last block back.
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, nodes[3], kSize), 1);
  EXPECT_EQ(take(&b), nodes[3]);
  EXPECT_EQ(b, 0);

  // Addresses that are no node handed out are refused.
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, fresh + 8, kSize), 0);
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, fresh + kSize, kSize), 0);
  int outside = 0;
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, &outside, kSize), 0);
  vek::release_btree(&tree);
}

TEST_F(BtreeTest, PlainNodesAreNeverReused) {
  Btree* tree = vek::new_btree(2);
  BtreeNode* a = vek::new_btree_node(tree);
  EXPECT_EQ(vek::btree_add_node_to_free_list(tree, a, vek::BTREE_NODE_SIZE), 1);
  EXPECT_EQ(tree->blocks[0].free_head, 0);
  BtreeNode* b = vek::new_btree_node(tree);
  EXPECT_NE(b, a);
  EXPECT_EQ(b, a + 1);
  vek::release_btree(&tree);
}

// A node of another kind that starts with the plain node, as the red-black tree's does.
struct ColouredNode {
  BtreeNode base;
  int colour;
};

TEST_F(BtreeTest, LargerNodesGoThroughTheSameInsertionWalk) {
  constexpr int kSize = static_cast<int>(sizeof(ColouredNode));
  Btree* tree = vek::new_btree_low(0, 6553, kSize);
  std::vector<ColouredNode*> nodes;
  for (std::intptr_t key : {50, 20, 80, 20, 65}) {
    int index = 0;
    char* block = static_cast<char*>(vek::new_btree_node_low(tree, 6553, kSize, &index));
    auto* node = reinterpret_cast<ColouredNode*>(block + index * kSize);
    node->base.data = item(key);
    node->colour = 1;
    int inserted = vek::insert_node_into_btree(tree, &node->base, compare_values, 0);
    EXPECT_EQ(inserted, key == 20 && nodes.size() == 3 ? 0 : 1) << key;
    if (inserted)
      nodes.push_back(node);
    else
      EXPECT_EQ(vek::btree_add_node_to_free_list(tree, node, kSize), 1);
  }
  std::vector<std::intptr_t> order;
  for (BtreeNode* n = vek::next_btree_node(tree, nullptr, 0); n; n = vek::next_btree_node(tree, n, 0))
    order.push_back(value_of(n->data));
  EXPECT_EQ(order, (std::vector<std::intptr_t>{20, 50, 65, 80}));
  // The refused node was the one handed out again for 65.
  EXPECT_EQ(tree->blocks[0].handed_out, 4);
  for (ColouredNode* n : nodes) EXPECT_EQ(n->colour, 1);
  vek::release_btree(&tree);
}

TEST_F(BtreeTest, ReleaseGivesBackEveryBlock) {
  int before = live_blocks();
  Btree* tree = vek::new_btree(0);
  for (int i = 0; i < 3000; ++i) vek::insert_data_into_btree(tree, item(i), compare_values, 0);
  EXPECT_GT(live_blocks(), before);
  vek::release_btree(&tree);
  EXPECT_EQ(tree, nullptr);
  EXPECT_EQ(live_blocks(), before);
  vek::release_btree(&tree);
  vek::release_btree(nullptr);
}

TEST_F(BtreeTest, BadNodeSizesAreRefused) {
  EXPECT_EQ(vek::new_btree_low(0, 8192, 4), nullptr);
  EXPECT_EQ(vek::new_btree_low(0, 0, vek::BTREE_NODE_SIZE), nullptr);
  Btree* tree = vek::new_btree(0);
  int index = -1;
  EXPECT_EQ(vek::new_btree_node_low(tree, 8192, 2, &index), nullptr);
  EXPECT_EQ(vek::new_btree_node_low(nullptr, 8192, 32, &index), nullptr);
  vek::release_btree(&tree);
}

}  // namespace
