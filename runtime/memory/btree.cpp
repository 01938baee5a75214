#include "runtime/memory/btree.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"

namespace vek {

// ---------------------------------------------------------------------------------------
// Binary searches

namespace {

// The one search loop of every member. compare_at(i) answers compare(key, element i).
// On equal elements it stops at the first one met, which need not be the first of a run.
template <typename CompareAt>
int search_sorted(int count, int* position, CompareAt compare_at) {
  int low = 0;
  int high = count - 1;
  int middle = 0;
  int c = -1;
  while (low <= high) {
    middle = low + (high - low) / 2;  // (low + high) / 2 without the overflow
    c = compare_at(middle);
    if (c == 0) break;
    if (c < 1)
      high = middle - 1;
    else
      low = middle + 1;
  }
  if (position != nullptr) *position = c > 0 ? middle + 1 : middle;
  return c == 0 ? 1 : 0;
}

const void* element_at(const void* array, int size, int index) {
  return static_cast<const char*>(array) + static_cast<std::ptrdiff_t>(index) * size;
}

}  // namespace

int binary_search_low(int count, VekCompare compare, const void* key, void* const* array,
                      int* position) {
  if (count < 1 || array == nullptr) {
    if (position != nullptr) *position = 0;
    return 0;
  }
  return search_sorted(count, position, [&](int i) { return compare(key, array[i]); });
}

int binary_search(int count, VekCompare compare, const void* key, void* const* array) {
  int position = 0;
  return binary_search_low(count, compare, key, array, &position) ? position : -1;
}

int binary_srch_array_low_with_data(int count, VekCompareData compare, int size,
                                    const void* key, const void* array, void* data,
                                    int* position) {
  if (count < 1 || array == nullptr) {
    if (position != nullptr) *position = 0;
    return 0;
  }
  return search_sorted(count, position, [&](int i) {
    return compare(key, element_at(array, size, i), data);
  });
}

int binary_srch_array_low(int count, VekCompare compare, int size, const void* key,
                          const void* array, int* position) {
  if (count < 1 || array == nullptr) {
    if (position != nullptr) *position = 0;
    return 0;
  }
  return search_sorted(count, position,
                       [&](int i) { return compare(key, element_at(array, size, i)); });
}

int binary_srch_array(int count, VekCompare compare, int size, const void* key,
                      const void* array) {
  int position = 0;
  return binary_srch_array_low(count, compare, size, key, array, &position) ? position : -1;
}

int binary_search_obj(int count, VekCompare compare, const void* key, const void* array,
                      int size) {
  return binary_srch_array(count, compare, size, key, array);
}

int compare_doubles_local(const void* a, const void* b, void* tolerance) {
  double x = *static_cast<const double*>(a);
  double y = *static_cast<const double*>(b);
  if (std::fabs(x - y) < *static_cast<const double*>(tolerance)) return 0;
  return x < y ? -1 : 1;
}

int cmp_double_tol(const void* a, const void* b) {
  double x = *static_cast<const double*>(a);
  double y = *static_cast<const double*>(b);
  if (std::fabs(x - y) <= 1e-9) return 0;
  return x < y ? -1 : 1;
}

int binary_srch_doubles(int count, const double* array, double key, double tolerance,
                        int* position) {
  // A tolerance of zero would make equality depend on the last bit of a computation.
  if (tolerance <= 1e-9) tolerance = 1e-9;
  return binary_srch_array_low_with_data(count, compare_doubles_local,
                                         static_cast<int>(sizeof(double)), &key, array,
                                         &tolerance, position);
}

// ---------------------------------------------------------------------------------------
// Node blocks

namespace {

// A free node's first word holds an index, so a node must hold at least one word.
bool node_size_valid(int node_size) {
  return node_size >= static_cast<int>(sizeof(std::intptr_t));
}

char* node_address(const BtreeNodeBlock* block, int index, int node_size) {
  return static_cast<char*>(block->nodes) + static_cast<std::size_t>(index) * node_size;
}

int next_free_index(const char* node) {
  std::intptr_t next;
  std::memcpy(&next, node, sizeof next);
  return static_cast<int>(next);
}

// Appends a block of capacity nodes with none handed out; returns it.
BtreeNodeBlock* append_node_block(Btree* tree, int capacity, int node_size) {
  BtreeNodeBlock block;
  block.capacity = capacity;
  block.handed_out = 0;
  block.nodes = getmem(static_cast<std::size_t>(capacity) * node_size);
  block.free_head = -1;
  return static_cast<BtreeNodeBlock*>(
      xar_alloc_or_append(&tree->blocks, 1, static_cast<int>(sizeof(BtreeNodeBlock)),
                          BTREE_BLOCK_STEP, &block));
}

}  // namespace

Btree* new_btree_low(int initial, int maximum, int node_size) {
  if (!node_size_valid(node_size) || maximum < 1) {
    dbg_err_crash("new_btree_low", "invalid node size %d or maximum %d", node_size, maximum);
    return nullptr;
  }
  if (initial < 1) initial = BTREE_DEFAULT_NODES;
  Btree* tree = static_cast<Btree*>(getmem(sizeof(Btree)));
  tree->root = nullptr;
  tree->blocks = nullptr;
  append_node_block(tree, initial < maximum ? initial : maximum, node_size);
  return tree;
}

Btree* new_btree(int initial) {
  return new_btree_low(initial, BTREE_MAX_BLOCK_NODES, BTREE_NODE_SIZE);
}

void release_btree(Btree** tree) {
  if (tree == nullptr || *tree == nullptr) {
    if (tree != nullptr) *tree = nullptr;
    return;
  }
  BtreeNodeBlock* blocks = (*tree)->blocks;
  int count = xar_count(&blocks);
  for (int i = 0; i < count; ++i) rlsmem(blocks[i].nodes);
  xar_free(&(*tree)->blocks);
  rlsmem(*tree);
  *tree = nullptr;
}

void* new_btree_node_low(Btree* tree, int maximum, int node_size, int* index) {
  if (tree == nullptr || index == nullptr || !node_size_valid(node_size)) return nullptr;
  int count = xar_count(&tree->blocks);
  if (node_size != BTREE_NODE_SIZE) {
    for (int b = count - 1; b >= 0; --b) {
      BtreeNodeBlock* block = &tree->blocks[b];
      if (block->free_head < 0) continue;
      *index = block->free_head;
      block->free_head = next_free_index(node_address(block, *index, node_size));
      return block->nodes;
    }
  }
  BtreeNodeBlock* last = count > 0 ? &tree->blocks[count - 1] : nullptr;
  if (last == nullptr || last->handed_out >= last->capacity) {
    long long capacity = last != nullptr ? 2LL * last->capacity : BTREE_DEFAULT_NODES;
    if (capacity > maximum) capacity = maximum;
    if (capacity < 1) capacity = 1;
    last = append_node_block(tree, static_cast<int>(capacity), node_size);
  }
  *index = last->handed_out++;
  return last->nodes;
}

BtreeNode* new_btree_node(Btree* tree) {
  int index = 0;
  void* block = new_btree_node_low(tree, BTREE_MAX_BLOCK_NODES, BTREE_NODE_SIZE, &index);
  if (block == nullptr) return nullptr;
  return reinterpret_cast<BtreeNode*>(static_cast<char*>(block) +
                                      static_cast<std::size_t>(index) * BTREE_NODE_SIZE);
}

int btree_add_node_to_free_list(Btree* tree, void* node, int node_size) {
  if (tree == nullptr || node == nullptr || !node_size_valid(node_size)) return 0;
  std::uintptr_t address = reinterpret_cast<std::uintptr_t>(node);
  for (int b = xar_count(&tree->blocks) - 1; b >= 0; --b) {
    BtreeNodeBlock* block = &tree->blocks[b];
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block->nodes);
    std::uintptr_t length = static_cast<std::uintptr_t>(block->capacity) * node_size;
    if (address < start || address - start >= length) continue;
    std::uintptr_t offset = address - start;
    if (offset % node_size != 0) return 0;
    int index = static_cast<int>(offset / node_size);
    if (index >= block->handed_out) return 0;
    std::intptr_t next = block->free_head;
    std::memcpy(node, &next, sizeof next);
    block->free_head = index;
    return 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------
// Insertion and walks

int insert_node_into_btree_(Btree* tree, BtreeNode** node, void* data, VekCompare compare,
                            int mode) {
  if (tree == nullptr || node == nullptr || compare == nullptr) return 0;
  BtreeNode* parent = nullptr;
  BtreeNode** place = &tree->root;
  while (*place != nullptr) {
    BtreeNode* current = *place;
    int c = compare(current->data, data);
    bool left = c > 0;
    if (c == 0) {
      switch (mode) {
        case BTREE_INSERT_UNIQUE:
          if (*node == nullptr) *node = current;
          return 0;
        case BTREE_INSERT_LEFT:
          left = true;
          break;
        case BTREE_INSERT_RIGHT:
          left = false;
          break;
        default:
          ivek_printf("Illegal mode in insert_into_btree().\n");
          return 0;
      }
    }
    parent = current;
    place = left ? &current->left : &current->right;
  }
  // The node is taken only now, so a refused insertion costs no node.
  if (*node == nullptr) *node = new_btree_node(tree);
  BtreeNode* inserted = *node;
  inserted->parent = parent;
  inserted->left = nullptr;
  inserted->right = nullptr;
  inserted->data = data;
  *place = inserted;
  return 1;
}

BtreeNode* insert_data_into_btree(Btree* tree, void* data, VekCompare compare, int mode) {
  BtreeNode* node = nullptr;
  insert_node_into_btree_(tree, &node, data, compare, mode);
  return node;
}

int insert_node_into_btree(Btree* tree, BtreeNode* node, VekCompare compare, int mode) {
  if (node == nullptr) return 0;
  return insert_node_into_btree_(tree, &node, node->data, compare, mode);
}

BtreeNode* btree_lookup(const Btree* tree, const void* key, VekCompare compare) {
  BtreeNode* node = nullptr;
  return btree_locate(tree, key, compare, &node, nullptr, nullptr) ? node : nullptr;
}

int btree_locate(const Btree* tree, const void* key, VekCompare compare, BtreeNode** node,
                 BtreeNode** previous, BtreeNode** next) {
  BtreeNode* smaller = nullptr;
  BtreeNode* larger = nullptr;
  BtreeNode* current = tree != nullptr && compare != nullptr ? tree->root : nullptr;
  while (current != nullptr) {
    int c = compare(key, current->data);
    if (c == 0) break;
    if (c < 0) {
      larger = current;
      current = current->left;
    } else {
      smaller = current;
      current = current->right;
    }
  }
  if (node != nullptr) *node = current;
  if (previous != nullptr) *previous = smaller;
  if (next != nullptr) *next = larger;
  return current != nullptr ? 1 : 0;
}

BtreeNode* get_least_node(BtreeNode* node, BtreeNode** out) {
  while (node != nullptr && node->left != nullptr) node = node->left;
  if (out != nullptr) *out = node;
  return node;
}

BtreeNode* get_greatest_node(BtreeNode* node, BtreeNode** out) {
  while (node != nullptr && node->right != nullptr) node = node->right;
  if (out != nullptr) *out = node;
  return node;
}

BtreeNode* next_btree_node(const Btree* tree, BtreeNode* node, int direction) {
  if (direction != BTREE_FORWARD && direction != BTREE_BACKWARD) {
    ivek_printf("Unknown mode in next_btree_node()\n");
    return nullptr;
  }
  bool forward = direction == BTREE_FORWARD;
  if (node == nullptr) {
    BtreeNode* root = tree != nullptr ? tree->root : nullptr;
    return forward ? get_least_node(root, nullptr) : get_greatest_node(root, nullptr);
  }
  BtreeNode* child = forward ? node->right : node->left;
  if (child != nullptr)
    return forward ? get_least_node(child, nullptr) : get_greatest_node(child, nullptr);
  BtreeNode* parent = node->parent;
  while (parent != nullptr && node == (forward ? parent->right : parent->left)) {
    node = parent;
    parent = parent->parent;
  }
  return parent;
}

}  // namespace vek
