#include "runtime/memory/pqueue.h"

#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/arrays.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr int WORD_SIZE = static_cast<int>(sizeof(VynWord));

// Without a compare function items compare three-way: a - b would overflow for items
// far apart.
int compare_items(PqueueCompare compare, VynWord data, VynWord a, VynWord b) {
  if (compare != nullptr) return compare(data, a, b);
  return a < b ? -1 : (a > b ? 1 : 0);
}

VynWord* new_items(int capacity) {
  return static_cast<VynWord*>(xar_alloc(capacity, WORD_SIZE, capacity > 1 ? capacity : 1));
}

// Makes room for one more item, growing the array by one slot when it is full.
template <typename Queue>
void make_room(Queue* queue) {
  if (queue->count < queue->capacity) return;
  xar_extend(&queue->items, 1);
  ++queue->capacity;
}

template <typename Queue>
void free_queue(Queue** queue) {
  if (queue == nullptr || *queue == nullptr) return;
  xar_free(&(*queue)->items);
  rlsmem(*queue);
  *queue = nullptr;
}

template <typename Queue>
int queue_is_empty(const Queue* queue) {
  return queue == nullptr || queue->count < 1 ? 1 : 0;
}

// True, after the report under name, for a missing or empty queue.
template <typename Queue>
bool reported_empty(const Queue* queue, const char* name) {
  if (!queue_is_empty(queue)) return false;
  dbg_err_crash(name, "queue is empty");
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Plain queue

Pqueue* pqueue_alloc(PqueueCompare compare, VynWord data, int capacity, int direction) {
  if (capacity < 0) capacity = 0;
  Pqueue* queue = static_cast<Pqueue*>(getmem(sizeof(Pqueue)));
  queue->compare = compare;
  queue->data = data;
  queue->direction = direction;
  queue->items = new_items(capacity);
  queue->capacity = capacity;
  queue->count = 0;
  return queue;
}

void pqueue_push(Pqueue* queue, VynWord item) {
  if (queue == nullptr) return;
  make_room(queue);
  int i = queue->count++;
  VynWord* items = queue->items;
  if (queue->direction == PQUEUE_SMALLEST || queue->direction == PQUEUE_LARGEST) {
    bool largest = queue->direction == PQUEUE_LARGEST;
    while (i > 0) {
      int parent = (i - 1) / 2;
      int c = compare_items(queue->compare, queue->data, items[parent], item);
      if (largest ? c >= 0 : c < 1) break;
      items[i] = items[parent];
      i = parent;
    }
  } else {
    dbg_err_crash("pqueue_push", "unknown direction");
  }
  items[i] = item;
}

int pqueue_is_empty(const Pqueue* queue) { return queue_is_empty(queue); }

VynWord pqueue_inquire_top(const Pqueue* queue) {
  return reported_empty(queue, "pqueue_inquire_smallest") ? -1 : queue->items[0];
}

VynWord pqueue_pop(Pqueue* queue) {
  if (reported_empty(queue, "pqueue_pop")) return -1;
  VynWord top = queue->items[0];
  --queue->count;
  if (queue->count > 0) {
    queue->items[0] = queue->items[queue->count];
    heapify(queue->compare, queue->data, queue->direction, queue->items, queue->count, 0);
  }
  return top;
}

void pqueue_free(Pqueue** queue) { free_queue(queue); }

namespace {

// The heapify walk for one direction; Compare answers compare(data, a, b).
template <bool largest, typename Compare>
void heapify_down(Compare compare, VynWord* items, int count, int index) {
  auto wins = [&](VynWord best, VynWord child) {
    int c = compare(best, child);
    return largest ? c < 0 : c >= 1;
  };
  // The item moves down as a hole; only children below the count are items.
  VynWord held = items[index];
  int i = index;
  for (;;) {
    int left = 2 * i + 1;
    if (left >= count) break;
    VynWord best_item = held;
    int best = -1;
    if (wins(best_item, items[left])) {
      best = left;
      best_item = items[left];
    }
    int right = left + 1;
    if (right < count && wins(best_item, items[right])) {
      best = right;
      best_item = items[right];
    }
    if (best < 0) break;
    items[i] = best_item;
    i = best;
  }
  items[i] = held;
}

}  // namespace

void heapify(PqueueCompare compare, VynWord data, int direction, VynWord* items, int count,
             int index) {
  if (items == nullptr || index < 0 || index >= count) return;
  const bool largest = direction == PQUEUE_LARGEST;
  if (compare != nullptr) {
    auto with = [compare, data](VynWord a, VynWord b) { return compare(data, a, b); };
    largest ? heapify_down<true>(with, items, count, index)
            : heapify_down<false>(with, items, count, index);
  } else {
    auto three_way = [](VynWord a, VynWord b) { return a < b ? -1 : (a > b ? 1 : 0); };
    largest ? heapify_down<true>(three_way, items, count, index)
            : heapify_down<false>(three_way, items, count, index);
  }
}

// ---------------------------------------------------------------------------------------
// Positioned queue

namespace {

int sign_of(const Pqueued* queue) { return queue->direction == PQUEUE_LARGEST ? -1 : 1; }

int ordered(const Pqueued* queue, VynWord a, VynWord b) {
  return sign_of(queue) * compare_items(queue->compare, queue->data, a, b);
}

void store(Pqueued* queue, VynWord item, int index) {
  queue->items[index] = item;
  if (queue->position != nullptr) queue->position(queue->data, item, index);
}

}  // namespace

Pqueued* pqueued_alloc(PqueueCompare compare, PqueuePosition position, VynWord data,
                       int capacity, int direction) {
  if (capacity < 0) capacity = 0;
  Pqueued* queue = static_cast<Pqueued*>(getmem(sizeof(Pqueued)));
  queue->compare = compare;
  queue->position = position;
  queue->data = data;
  queue->direction = direction;
  queue->items = new_items(capacity);
  queue->capacity = capacity;
  queue->count = 0;
  return queue;
}

int sift_up(Pqueued* queue, VynWord item, int start) {
  if (queue == nullptr || start < queue->count / 2 || start >= queue->count) return -1;
  int i = start;
  while (i > 0) {
    int parent = (i - 1) / 2;
    if (ordered(queue, queue->items[parent], item) < 1) break;
    store(queue, queue->items[parent], i);
    i = parent;
  }
  store(queue, item, i);
  return i;
}

int sift_down(Pqueued* queue, VynWord item, int start) {
  if (queue == nullptr || start > 0 || queue->count < 1) return -1;
  int i = 0;
  int n = queue->count;
  for (;;) {
    int child = 2 * i + 1;
    if (child >= n) break;
    if (child + 1 < n && ordered(queue, queue->items[child], queue->items[child + 1]) > 0)
      ++child;
    if (ordered(queue, item, queue->items[child]) < 1) break;
    store(queue, queue->items[child], i);
    i = child;
  }
  store(queue, item, i);
  return i;
}

int pqueued_push(Pqueued* queue, VynWord item) {
  if (queue == nullptr) return -1;
  make_room(queue);
  int start = queue->count++;
  return sift_up(queue, item, start);
}

int pqueued_is_empty(const Pqueued* queue) { return queue_is_empty(queue); }

VynWord pqueued_inquire_top(const Pqueued* queue) {
  return reported_empty(queue, "pqueued_inquire_top") ? -1 : queue->items[0];
}

VynWord pqueued_pop(Pqueued* queue) {
  if (reported_empty(queue, "pqueue_pop")) return -1;
  VynWord top = queue->items[0];
  --queue->count;
  if (queue->count > 0) sift_down(queue, queue->items[queue->count], 0);
  return top;
}

VynWord pqueued_del(Pqueued* queue, int index) {
  if (queue == nullptr || index < 0 || index >= queue->count) {
    dbg_err_crash("pqueued_del", "out of bounds");
    return -1;
  }
  VynWord removed = queue->items[index];
  int n = queue->count;
  int k = index;
  // The hole goes down to a leaf along the better child; only slots below n hold items.
  while (2 * k + 1 < n) {
    int child = 2 * k + 1;
    if (child + 1 < n && ordered(queue, queue->items[child], queue->items[child + 1]) > 0)
      ++child;
    store(queue, queue->items[child], k);
    k = child;
  }
  queue->count = n - 1;
  if (k != n - 1) sift_up(queue, queue->items[n - 1], k);
  return removed;
}

void pqueued_free(Pqueued** queue) { free_queue(queue); }

// ---------------------------------------------------------------------------------------
// Pointer lists

int ptr_element_cmp(const void* a, const void* b) {
  return compare_ptrs(*static_cast<void* const*>(a), *static_cast<void* const*>(b));
}

int ptr_list_guts(void*** list, const void* address, int add, int* found) {
  if (list == nullptr) {
    if (found != nullptr) *found = 0;
    return -1;
  }
  int position = 0;
  int hit = binary_search_low(xar_count(list), compare_ptrs, address, *list, &position);
  if (found != nullptr) *found = hit;
  if (hit) return position;
  if (!add) return -1;
  if (*list == nullptr) *list = static_cast<void**>(xar_alloc(0, sizeof(void*), 8));
  xar_insert(list, position, 1, &address);
  return position;
}

int add_to_ptr_list(void*** list, const void* address) {
  return ptr_list_guts(list, address, 1, nullptr);
}

int chk_add_ptr_list(void*** list, const void* address) {
  int found = 0;
  ptr_list_guts(list, address, 1, &found);
  return found;
}

int ptr_in_ptr_list(void*** list, const void* address) {
  return ptr_list_guts(list, address, 0, nullptr) >= 0 ? 1 : 0;
}

int where_in_ptr_list(void*** list, const void* address) {
  return ptr_list_guts(list, address, 0, nullptr);
}

int chk_rmv_ptr_list(void*** list, const void* address) {
  int index = ptr_list_guts(list, address, 0, nullptr);
  if (index < 0) return 0;
  xar_remove(list, index, 1);
  return 1;
}

// ---------------------------------------------------------------------------------------
// Red-black tree

namespace {

RbtreeNode* rb(BtreeNode* node) { return reinterpret_cast<RbtreeNode*>(node); }
BtreeNode* bt(RbtreeNode* node) { return reinterpret_cast<BtreeNode*>(node); }

bool is_red(const BtreeNode* node) {
  return node != nullptr && reinterpret_cast<const RbtreeNode*>(node)->colour == RBTREE_RED;
}

void paint(BtreeNode* node, int colour) {
  if (node != nullptr) rb(node)->colour = colour;
}

// Puts replacement where node hangs under its parent, or at the root.
void replace_child(Btree* tree, BtreeNode* node, BtreeNode* replacement) {
  BtreeNode* parent = node->parent;
  if (parent == nullptr)
    tree->root = replacement;
  else if (parent->left == node)
    parent->left = replacement;
  else
    parent->right = replacement;
}

void rotate(Btree* tree, BtreeNode* x, bool left) {
  BtreeNode* y = left ? x->right : x->left;
  if (y == nullptr) return;
  BtreeNode* inner = left ? y->left : y->right;
  if (left)
    x->right = inner;
  else
    x->left = inner;
  if (inner != nullptr) inner->parent = x;
  y->parent = x->parent;
  replace_child(tree, x, y);
  if (left)
    y->left = x;
  else
    y->right = x;
  x->parent = y;
}

}  // namespace

Btree* new_rbtree(int initial) {
  return new_btree_low(initial, RBTREE_BLOCK_NODES, RBTREE_NODE_SIZE);
}

void release_rbtree(Btree* tree) { release_btree(&tree); }

RbtreeNode* new_rbtree_node(Btree* tree) {
  int index = 0;
  void* block = new_btree_node_low(tree, RBTREE_BLOCK_NODES, RBTREE_NODE_SIZE, &index);
  if (block == nullptr) return nullptr;
  return reinterpret_cast<RbtreeNode*>(static_cast<char*>(block) +
                                       static_cast<std::size_t>(index) * RBTREE_NODE_SIZE);
}

void rbtree_rotate_nodes_left(Btree* tree, RbtreeNode* node) {
  if (tree != nullptr && node != nullptr) rotate(tree, bt(node), true);
}

void rbtree_rotate_nodes_right(Btree* tree, RbtreeNode* node) {
  if (tree != nullptr && node != nullptr) rotate(tree, bt(node), false);
}

RbtreeNode* insert_data_into_rbtree(Btree* tree, void* data, VekCompare compare) {
  if (tree == nullptr || compare == nullptr) return nullptr;
  RbtreeNode* fresh = new_rbtree_node(tree);
  BtreeNode* x = bt(fresh);
  if (!insert_node_into_btree_(tree, &x, data, compare, BTREE_INSERT_UNIQUE)) {
    btree_add_node_to_free_list(tree, fresh, RBTREE_NODE_SIZE);
    return nullptr;
  }
  fresh->colour = RBTREE_RED;
  while (x != tree->root && is_red(x->parent)) {
    BtreeNode* parent = x->parent;
    BtreeNode* grand = parent->parent;  // a red parent is never the root
    bool parent_left = grand->left == parent;
    BtreeNode* uncle = parent_left ? grand->right : grand->left;
    if (is_red(uncle)) {
      paint(parent, RBTREE_BLACK);
      paint(uncle, RBTREE_BLACK);
      paint(grand, RBTREE_RED);
      x = grand;
      continue;
    }
    if (x == (parent_left ? parent->right : parent->left)) {
      x = parent;
      rotate(tree, x, parent_left);
      parent = x->parent;
    }
    paint(parent, RBTREE_BLACK);
    paint(grand, RBTREE_RED);
    rotate(tree, grand, !parent_left);
  }
  paint(tree->root, RBTREE_BLACK);
  return fresh;
}

void rbtree_delete_fixup(Btree* tree, RbtreeNode* node) {
  if (tree == nullptr || node == nullptr) return;
  BtreeNode* x = bt(node);
  while (x != tree->root && !is_red(x)) {
    BtreeNode* parent = x->parent;
    bool x_left = parent->left == x;
    BtreeNode* w = x_left ? parent->right : parent->left;
    if (is_red(w)) {
      paint(w, RBTREE_BLACK);
      paint(parent, RBTREE_RED);
      rotate(tree, parent, x_left);
      w = x_left ? parent->right : parent->left;
    }
    if (w == nullptr) {  // cannot happen in a balanced tree; stop rather than fault
      x = parent;
      continue;
    }
    BtreeNode* near = x_left ? w->left : w->right;
    BtreeNode* far = x_left ? w->right : w->left;
    if (!is_red(near) && !is_red(far)) {
      paint(w, RBTREE_RED);
      x = parent;
      continue;
    }
    if (!is_red(far)) {
      paint(near, RBTREE_BLACK);
      paint(w, RBTREE_RED);
      rotate(tree, w, !x_left);
      w = x_left ? parent->right : parent->left;
      far = x_left ? w->right : w->left;
    }
    rb(w)->colour = rb(parent)->colour;
    paint(parent, RBTREE_BLACK);
    paint(far, RBTREE_BLACK);
    rotate(tree, parent, x_left);
    x = tree->root;
  }
  paint(x, RBTREE_BLACK);
}

int rbtree_delete_node(Btree* tree, RbtreeNode* node) {
  if (tree == nullptr || node == nullptr) return 0;
  BtreeNode* z = bt(node);
  BtreeNode* y = z->left == nullptr || z->right == nullptr ? z : get_least_node(z->right, nullptr);
  BtreeNode* x = y->left != nullptr ? y->left : y->right;
  // A missing x is stood in for by a black sentinel, unlinked after the repair.
  RbtreeNode sentinel{};
  if (x == nullptr) {
    sentinel.colour = RBTREE_BLACK;
    x = bt(&sentinel);
  }
  x->parent = y->parent;
  replace_child(tree, y, x);
  if (y != z) z->data = y->data;
  if (!is_red(y)) rbtree_delete_fixup(tree, rb(x));
  if (x == bt(&sentinel)) replace_child(tree, x, nullptr);
  btree_add_node_to_free_list(tree, y, RBTREE_NODE_SIZE);
  return 1;
}

int rbtree_delete_node_with_data(Btree* tree, const void* key, VekCompare compare) {
  if (tree == nullptr || compare == nullptr) return 0;
  BtreeNode* node = btree_lookup(tree, key, compare);
  if (node == nullptr) return 0;
  return rbtree_delete_node(tree, rb(node));
}

void dbg_dump_rbtree_nodes(const RbtreeNode* node, RbtreePrint print, int depth) {
  if (node == nullptr) return;
  dbg_dump_rbtree_nodes(reinterpret_cast<const RbtreeNode*>(node->node.right), print,
                        depth + 1);
  ivek_printf("%*s [%c] ", 3 * depth, " ", node->colour == RBTREE_BLACK ? 'B' : 'R');
  if (print != nullptr) print(node->node.data);
  ivek_printf("\n");
  dbg_dump_rbtree_nodes(reinterpret_cast<const RbtreeNode*>(node->node.left), print,
                        depth + 1);
}

void dbg_dump_rbtree(const Btree* tree, RbtreePrint print) {
  if (tree != nullptr)
    dbg_dump_rbtree_nodes(reinterpret_cast<const RbtreeNode*>(tree->root), print, 0);
  ivek_printf("\n\n");
}

}  // namespace vek
