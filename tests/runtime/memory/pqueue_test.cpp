#include "runtime/memory/pqueue.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <queue>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "runtime/diag/console.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using vek::Btree;
using vek::BtreeNode;
using vek::Pqueue;
using vek::Pqueued;
using vek::RbtreeNode;
using yrltest::live_blocks;

class PqueueTest : public yrltest::RuntimeTest {};

int compare_words(VynWord data, VynWord a, VynWord b) {
  ++*reinterpret_cast<int*>(data);
  return a < b ? -1 : (a > b ? 1 : 0);
}

std::vector<VynWord> drain(Pqueue* queue) {
  std::vector<VynWord> out;
  while (!vek::pqueue_is_empty(queue)) out.push_back(vek::pqueue_pop(queue));
  return out;
}

TEST_F(PqueueTest, PlainQueueWithoutCompareOrdersBothDirections) {
  const struct {
    int direction;
    std::vector<VynWord> popped;
  } rows[] = {{0, {1, 3, 5, 9}}, {1, {9, 5, 3, 1}}};
  for (const auto& row : rows) {
    Pqueue* queue = vek::pqueue_alloc(nullptr, 0, 2, row.direction);
    for (VynWord v : {5, 3, 9, 1}) vek::pqueue_push(queue, v);
    EXPECT_EQ(queue->capacity, 4);  // grown one slot at a time
    EXPECT_EQ(drain(queue), row.popped) << "direction " << row.direction;
    vek::pqueue_free(&queue);
    EXPECT_EQ(queue, nullptr);
  }
  EXPECT_EQ(live_blocks(), 0);
}

// Items far apart: a - b overflows and would order them the wrong way.
TEST_F(PqueueTest, DefaultCompareIsThreeWayForDistantItems) {
  Pqueue* queue = vek::pqueue_alloc(nullptr, 0, 0, 0);
  for (VynWord v : {INTPTR_MAX, INTPTR_MIN + 1, VynWord{0}, VynWord{-7}})
    vek::pqueue_push(queue, v);
  EXPECT_EQ(drain(queue), (std::vector<VynWord>{INTPTR_MIN + 1, -7, 0, INTPTR_MAX}));
  vek::pqueue_free(&queue);

  Pqueued* positioned = vek::pqueued_alloc(nullptr, nullptr, 0, 0, 0);
  for (VynWord v : {INTPTR_MAX, INTPTR_MIN + 1, VynWord{3}}) vek::pqueued_push(positioned, v);
  EXPECT_EQ(vek::pqueued_pop(positioned), INTPTR_MIN + 1);
  EXPECT_EQ(vek::pqueued_pop(positioned), 3);
  vek::pqueued_free(&positioned);
}

// The slot at the count holds a stale item that would win; heapify must not look at it.
TEST_F(PqueueTest, HeapifyLooksOnlyBelowTheCount) {
  VynWord items[] = {5, 7, 0};
  vek::heapify(nullptr, 0, 0, items, 2, 0);
  EXPECT_EQ(items[0], 5);
  EXPECT_EQ(items[1], 7);
  EXPECT_EQ(items[2], 0);
}

TEST_F(PqueueTest, EmptyQueuesAnswerMinusOneWithTheirReports) {
  yrltest::SeriousReports reports;
  Pqueue* queue = vek::pqueue_alloc(nullptr, 0, 1, 0);
  Pqueued* positioned = vek::pqueued_alloc(nullptr, nullptr, 0, 1, 0);
  EXPECT_EQ(vek::pqueue_is_empty(nullptr), 1);
  EXPECT_EQ(vek::pqueue_pop(queue), -1);
  EXPECT_EQ(vek::pqueue_inquire_top(queue), -1);
  EXPECT_EQ(vek::pqueued_pop(positioned), -1);
  EXPECT_EQ(vek::pqueued_inquire_top(positioned), -1);
  EXPECT_EQ(vek::pqueued_del(positioned, 0), -1);
  EXPECT_EQ(vek::pqueued_del(nullptr, 0), -1);
  Pqueue* odd = vek::pqueue_alloc(nullptr, 0, 1, 2);
  vek::pqueue_push(odd, 4);
  EXPECT_EQ(vek::pqueue_pop(odd), 4);
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{"pqueue_pop:  queue is empty",
                                      "pqueue_inquire_smallest:  queue is empty",
                                      "pqueue_pop:  queue is empty",
                                      "pqueued_inquire_top:  queue is empty",
                                      "pqueued_del:  out of bounds", "pqueued_del:  out of bounds",
                                      "pqueue_push:  unknown direction"}));
  vek::pqueue_free(&queue);
  vek::pqueue_free(&odd);
  vek::pqueued_free(&positioned);
}

TEST_F(PqueueTest, PlainQueueMatchesPriorityQueue) {
  std::mt19937 random(7);
  for (int direction : {0, 1}) {
    int calls = 0;
    Pqueue* queue = vek::pqueue_alloc(compare_words, reinterpret_cast<VynWord>(&calls), 3,
                                      direction);
    std::priority_queue<VynWord> largest;
    std::priority_queue<VynWord, std::vector<VynWord>, std::greater<VynWord>> smallest;
    for (int step = 0; step < 4000; ++step) {
      if (random() % 3 != 0) {
        VynWord v = static_cast<VynWord>(random() % 200) - 100;
        vek::pqueue_push(queue, v);
        direction ? largest.push(v) : smallest.push(v);
      } else if (direction ? !largest.empty() : !smallest.empty()) {
        VynWord want = direction ? largest.top() : smallest.top();
        ASSERT_EQ(vek::pqueue_inquire_top(queue), want);
        ASSERT_EQ(vek::pqueue_pop(queue), want);
        direction ? largest.pop() : smallest.pop();
      }
      ASSERT_EQ(queue->count, static_cast<int>(direction ? largest.size() : smallest.size()));
    }
    EXPECT_GT(calls, 0);
    vek::pqueue_free(&queue);
  }
}

// The positioned queue with an owner that records where each item lies.
struct Positions {
  std::map<VynWord, int> index;
};

void record_position(VynWord data, VynWord item, int index) {
  reinterpret_cast<Positions*>(data)->index[item] = index;
}

int compare_with_positions(VynWord, VynWord a, VynWord b) { return a < b ? -1 : (a > b); }

void expect_positions(const Pqueued* queue, const Positions& positions) {
  ASSERT_EQ(static_cast<int>(positions.index.size()), queue->count);
  for (const auto& [item, index] : positions.index) {
    ASSERT_GE(index, 0);
    ASSERT_LT(index, queue->count);
    ASSERT_EQ(queue->items[index], item);
  }
  int s = queue->direction == 1 ? -1 : 1;
  for (int i = 1; i < queue->count; ++i)
    ASSERT_LE(s * compare_with_positions(0, queue->items[(i - 1) / 2], queue->items[i]), 0);
}

TEST_F(PqueueTest, PositionedQueueMatchesPriorityQueueWithPositions) {
  std::mt19937 random(11);
  for (int direction : {0, 1}) {
    Positions positions;
    Pqueued* queue = vek::pqueued_alloc(compare_with_positions, record_position,
                                        reinterpret_cast<VynWord>(&positions), 0, direction);
    std::set<VynWord> model;
    VynWord next = 0;
    for (int step = 0; step < 3000; ++step) {
      int op = static_cast<int>(random() % 4);
      if (op < 2 || model.empty()) {
        VynWord v = (next++ * 7919) % 10007;  // distinct items
        int at = vek::pqueued_push(queue, v);
        ASSERT_EQ(positions.index[v], at);
        model.insert(v);
      } else if (op == 2) {
        VynWord want = direction ? *model.rbegin() : *model.begin();
        ASSERT_EQ(vek::pqueued_pop(queue), want);
        model.erase(want);
        positions.index.erase(want);
      } else {
        int k = static_cast<int>(random() % model.size());
        VynWord at_k = queue->items[k];
        ASSERT_EQ(vek::pqueued_del(queue, k), at_k);
        model.erase(at_k);
        positions.index.erase(at_k);
      }
      expect_positions(queue, positions);
    }
    vek::pqueued_free(&queue);
  }
}

TEST_F(PqueueTest, PositionedDeleteRows) {
  Positions positions;
  Pqueued* queue = vek::pqueued_alloc(compare_with_positions, record_position,
                                      reinterpret_cast<VynWord>(&positions), 4, 0);
  for (VynWord v : {1, 5, 2}) vek::pqueued_push(queue, v);
  // The last index goes without moving anything.
  positions.index.clear();
  EXPECT_EQ(vek::pqueued_del(queue, 2), 2);
  EXPECT_TRUE(positions.index.empty());
  // The stale 2 left at index 2 must not be taken for a child.
  EXPECT_EQ(vek::pqueued_del(queue, 0), 1);
  EXPECT_EQ(vek::pqueued_pop(queue), 5);
  EXPECT_EQ(vek::pqueued_is_empty(queue), 1);

  for (VynWord v : {4, 8, 6, 9}) vek::pqueued_push(queue, v);
  EXPECT_EQ(vek::sift_up(queue, 3, 0), -1);  // upper half
  EXPECT_EQ(vek::sift_down(queue, 3, 1), -1);
  EXPECT_EQ(queue->items[0], 4);
  EXPECT_EQ(vek::pqueued_del(queue, 0), 4);  // equals a pop
  EXPECT_EQ(vek::pqueued_pop(queue), 6);
  vek::pqueued_free(&queue);
  EXPECT_EQ(live_blocks(), 0);
}

// ---- pointer lists

void* address(std::uintptr_t v) { return reinterpret_cast<void*>(v * 16); }

TEST_F(PqueueTest, PointerListMatchesSet) {
  void** list = nullptr;
  EXPECT_EQ(vek::chk_add_ptr_list(&list, address(3)), 0);
  EXPECT_EQ(vek::chk_add_ptr_list(&list, address(3)), 1);
  EXPECT_EQ(vek::xar_count(&list), 1);
  EXPECT_EQ(vek::chk_rmv_ptr_list(&list, address(4)), 0);
  int found = 7;
  EXPECT_EQ(vek::ptr_list_guts(nullptr, address(1), 1, &found), -1);
  EXPECT_EQ(found, 0);

  std::mt19937 random(3);
  std::set<void*> model{address(3)};
  for (int step = 0; step < 3000; ++step) {
    void* p = address(random() % 300);
    switch (random() % 4) {
      case 0:
        ASSERT_EQ(vek::chk_add_ptr_list(&list, p), model.count(p) ? 1 : 0);
        model.insert(p);
        break;
      case 1: {
        int at = vek::add_to_ptr_list(&list, p);
        model.insert(p);
        ASSERT_EQ(at, std::distance(model.begin(), model.find(p)));
        break;
      }
      case 2:
        ASSERT_EQ(vek::chk_rmv_ptr_list(&list, p), model.erase(p) ? 1 : 0);
        break;
      default:
        ASSERT_EQ(vek::ptr_in_ptr_list(&list, p), model.count(p) ? 1 : 0);
        ASSERT_EQ(vek::where_in_ptr_list(&list, p),
                  model.count(p) ? std::distance(model.begin(), model.find(p)) : -1);
    }
    ASSERT_EQ(std::vector<void*>(list, list + vek::xar_count(&list)),
              std::vector<void*>(model.begin(), model.end()));
  }
  void* a = address(1);
  void* b = address(2);
  EXPECT_LT(vek::ptr_element_cmp(&a, &b), 0);
  EXPECT_EQ(vek::ptr_element_cmp(&b, &b), 0);
  vek::xar_free(&list);
}

// ---- red-black tree

void* key(std::intptr_t v) { return reinterpret_cast<void*>(v); }
std::intptr_t value_of(const void* p) { return reinterpret_cast<std::intptr_t>(p); }
int compare_keys(const void* a, const void* b) {
  return value_of(a) < value_of(b) ? -1 : (value_of(a) > value_of(b) ? 1 : 0);
}

// Checks order, parent links, colours and black heights; returns the black height.
int check_subtree(const BtreeNode* node, const BtreeNode* parent, std::vector<std::intptr_t>* out) {
  if (node == nullptr) return 1;
  EXPECT_EQ(node->parent, parent);
  const RbtreeNode* rb = reinterpret_cast<const RbtreeNode*>(node);
  if (rb->colour == vek::RBTREE_RED) {
    for (const BtreeNode* child : {node->left, node->right}) {
      if (child != nullptr) {
        EXPECT_EQ(reinterpret_cast<const RbtreeNode*>(child)->colour, vek::RBTREE_BLACK);
      }
    }
  }
  int left = check_subtree(node->left, node, out);
  out->push_back(value_of(node->data));
  int right = check_subtree(node->right, node, out);
  EXPECT_EQ(left, right);
  return left + (rb->colour == vek::RBTREE_BLACK ? 1 : 0);
}

void expect_tree_is(const Btree* tree, const std::set<std::intptr_t>& model) {
  if (tree->root != nullptr) {
    ASSERT_EQ(reinterpret_cast<const RbtreeNode*>(tree->root)->colour, vek::RBTREE_BLACK);
  }
  std::vector<std::intptr_t> in_order;
  check_subtree(tree->root, nullptr, &in_order);
  ASSERT_FALSE(::testing::Test::HasFailure());
  ASSERT_EQ(in_order, std::vector<std::intptr_t>(model.begin(), model.end()));
}

TEST_F(PqueueTest, RedBlackTreeMatchesSetWithInvariants) {
  std::mt19937 random(5);
  Btree* tree = vek::new_rbtree(0);
  std::set<std::intptr_t> model;
  for (int step = 0; step < 6000; ++step) {
    std::intptr_t v = static_cast<std::intptr_t>(random() % 500);
    int op = static_cast<int>(random() % 3);
    if (op == 0 || step < 300) {
      RbtreeNode* node = vek::insert_data_into_rbtree(tree, key(v), compare_keys);
      ASSERT_EQ(node == nullptr, model.count(v) == 1);
      model.insert(v);
    } else if (op == 1) {
      ASSERT_EQ(vek::rbtree_delete_node_with_data(tree, key(v), compare_keys),
                model.erase(v) ? 1 : 0);
    } else if (!model.empty()) {
      // Delete through a node found by walking.
      BtreeNode* node = vek::btree_lookup(tree, key(*model.begin()), compare_keys);
      ASSERT_NE(node, nullptr);
      ASSERT_EQ(vek::rbtree_delete_node(tree, reinterpret_cast<RbtreeNode*>(node)), 1);
      model.erase(model.begin());
    }
    expect_tree_is(tree, model);
  }
  vek::release_rbtree(tree);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PqueueTest, RedBlackDeleteRows) {
  Btree* tree = vek::new_rbtree(4);
  EXPECT_EQ(vek::rbtree_delete_node_with_data(nullptr, key(1), compare_keys), 0);
  EXPECT_EQ(vek::rbtree_delete_node_with_data(tree, key(1), nullptr), 0);
  RbtreeNode* only = vek::insert_data_into_rbtree(tree, key(1), compare_keys);
  EXPECT_EQ(vek::rbtree_delete_node(tree, only), 1);
  EXPECT_EQ(tree->root, nullptr);

  for (int v : {20, 10, 30, 25, 35}) vek::insert_data_into_rbtree(tree, key(v), compare_keys);
  int handed_out = tree->blocks[0].handed_out;
  // Refused data costs no node: the taken node goes back and is used next.
  EXPECT_EQ(vek::insert_data_into_rbtree(tree, key(25), compare_keys), nullptr);
  RbtreeNode* reused = vek::insert_data_into_rbtree(tree, key(5), compare_keys);
  EXPECT_NE(reused, nullptr);
  EXPECT_EQ(tree->blocks[0].handed_out + (vek::xar_count(&tree->blocks) > 1 ? 1 : 0),
            handed_out + 1);

  // A node with two children keeps its place and takes its successor's data.
  BtreeNode* thirty = vek::btree_lookup(tree, key(30), compare_keys);
  ASSERT_NE(thirty->left, nullptr);
  ASSERT_NE(thirty->right, nullptr);
  BtreeNode* successor = vek::btree_lookup(tree, key(35), compare_keys);
  vek::rbtree_delete_node(tree, reinterpret_cast<RbtreeNode*>(thirty));
  EXPECT_EQ(value_of(thirty->data), 35);
  EXPECT_EQ(vek::btree_lookup(tree, key(35), compare_keys), thirty);
  // The successor's node went to the free list: the next node taken is that one.
  EXPECT_EQ(reinterpret_cast<BtreeNode*>(vek::new_rbtree_node(tree)), successor);
  expect_tree_is(tree, {5, 10, 20, 25, 35});
  vek::release_rbtree(tree);
}

void print_key(void* data) { vek::ivek_printf("%d", static_cast<int>(value_of(data))); }

TEST_F(PqueueTest, DumpPrintsSideways) {
  Btree* tree = vek::new_rbtree(0);
  for (int v : {2, 1, 3, 4}) vek::insert_data_into_rbtree(tree, key(v), compare_keys);
  yrltest::ConsoleCapture capture;
  vek::dbg_dump_rbtree(tree, print_key);
  EXPECT_EQ(capture.out(), "       [R] 4\n    [B] 3\n  [B] 2\n    [B] 1\n\n\n");
  vek::release_rbtree(tree);
}

}  // namespace
