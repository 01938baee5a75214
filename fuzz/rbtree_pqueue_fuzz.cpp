// Drives a red-black tree and a positioned queue through operation sequences read from
// the input; checks the tree against std::set (with its colour rules) and the queue
// against a sorted model with every item's reported position.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "runtime/memory/pqueue.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::intptr_t value_of(const void* p) { return reinterpret_cast<std::intptr_t>(p); }

int compare_keys(const void* a, const void* b) {
  return (value_of(a) > value_of(b)) - (value_of(a) < value_of(b));
}

bool red(const vek::BtreeNode* node) {
  return node != nullptr &&
         reinterpret_cast<const vek::RbtreeNode*>(node)->colour == vek::RBTREE_RED;
}

// The black height of the subtree; appends its keys in order.
int check_subtree(const vek::BtreeNode* node, const vek::BtreeNode* parent,
                  std::vector<std::intptr_t>* keys) {
  if (node == nullptr) return 1;
  require(node->parent == parent);
  require(!(red(node) && (red(node->left) || red(node->right))));
  int left = check_subtree(node->left, node, keys);
  keys->push_back(value_of(node->data));
  int right = check_subtree(node->right, node, keys);
  require(left == right);
  return left + (red(node) ? 0 : 1);
}

void check_tree(const vek::Btree* tree, const std::set<std::intptr_t>& model) {
  require(!red(tree->root));
  std::vector<std::intptr_t> keys;
  check_subtree(tree->root, nullptr, &keys);
  require(keys == std::vector<std::intptr_t>(model.begin(), model.end()));
}

void record(VynWord data, VynWord item, int index) {
  (*reinterpret_cast<std::map<VynWord, int>*>(data))[item] = index;
}

void check_queue(const vek::Pqueued* queue, const std::multiset<VynWord>& model,
                 const std::map<VynWord, int>& where) {
  require(queue->count == static_cast<int>(model.size()));
  for (int i = 1; i < queue->count; ++i) require(queue->items[(i - 1) / 2] <= queue->items[i]);
  for (int i = 0; i < queue->count; ++i) require(where.at(queue->items[i]) == i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in{data, size};
  vek::Btree* tree = vek::new_rbtree(1 + in.below(16));
  std::set<std::intptr_t> keys;
  std::map<VynWord, int> where;
  vek::Pqueued* queue =
      vek::pqueued_alloc(nullptr, record, reinterpret_cast<VynWord>(&where), in.below(4), 0);
  std::multiset<VynWord> items;
  VynWord serial = 0;
  while (!in.done()) {
    std::intptr_t key = in.below(64);
    switch (in.below(5)) {
      case 0:
        require((vek::insert_data_into_rbtree(tree, reinterpret_cast<void*>(key),
                                              compare_keys) == nullptr) == (keys.count(key) == 1));
        keys.insert(key);
        break;
      case 1:
        require(vek::rbtree_delete_node_with_data(tree, reinterpret_cast<void*>(key),
                                                  compare_keys) == (keys.erase(key) ? 1 : 0));
        break;
      case 2: {
        // Items are distinct so that each has one position: key in the high bits.
        VynWord item = key * 65536 + serial++;
        vek::pqueued_push(queue, item);
        items.insert(item);
        break;
      }
      case 3:
        if (!items.empty()) {
          require(vek::pqueued_pop(queue) == *items.begin());
          where.erase(*items.begin());
          items.erase(items.begin());
        }
        break;
      default:
        if (!items.empty()) {
          int index = static_cast<int>(key % static_cast<std::intptr_t>(items.size()));
          VynWord item = queue->items[index];
          require(vek::pqueued_del(queue, index) == item);
          where.erase(item);
          items.erase(items.find(item));
        }
    }
    check_tree(tree, keys);
    check_queue(queue, items, where);
  }
  vek::release_rbtree(tree);
  vek::pqueued_free(&queue);
  return 0;
}
