// Binary-heap priority queues of word items, sorted pointer lists and the red-black tree.
#pragma once

#include "runtime/memory/btree.h"
#include "runtime/vekbase.h"

namespace vek {

// compare(data, a, b): negative, 0 or positive. A queue without one compares the items
// themselves, three-way.
typedef int (*PqueueCompare)(VynWord data, VynWord a, VynWord b);
// Told callback(data, item, index) each time an item is stored at a heap index.
typedef void (*PqueuePosition)(VynWord data, VynWord item, int index);

// Directions: the item that compares smallest is on top, or the largest.
constexpr int PQUEUE_SMALLEST = 0;
constexpr int PQUEUE_LARGEST = 1;

struct Pqueue {
  PqueueCompare compare;
  VynWord data;
  int direction;
  VynWord* items;  // xarray
  int capacity;    // the xarray's length
  int count;
};

struct Pqueued {
  PqueueCompare compare;
  PqueuePosition position;
  VynWord data;
  int direction;  // every value but 1 counts as 0
  VynWord* items;
  int capacity;
  int count;
};

// Failed pops, inquiries and deletes answer -1.
Pqueue* pqueue_alloc(PqueueCompare compare, VynWord data, int capacity, int direction);
void pqueue_push(Pqueue* queue, VynWord item);
int pqueue_is_empty(const Pqueue* queue);
VynWord pqueue_inquire_top(const Pqueue* queue);
VynWord pqueue_pop(Pqueue* queue);
void pqueue_free(Pqueue** queue);
void heapify(PqueueCompare compare, VynWord data, int direction, VynWord* items, int count,
             int index);

Pqueued* pqueued_alloc(PqueueCompare compare, PqueuePosition position, VynWord data,
                       int capacity, int direction);
int pqueued_push(Pqueued* queue, VynWord item);
int pqueued_is_empty(const Pqueued* queue);
VynWord pqueued_inquire_top(const Pqueued* queue);
VynWord pqueued_pop(Pqueued* queue);
VynWord pqueued_del(Pqueued* queue, int index);
void pqueued_free(Pqueued** queue);
int sift_up(Pqueued* queue, VynWord item, int start);
int sift_down(Pqueued* queue, VynWord item, int start);

// Pointer lists: an xarray of addresses (element size sizeof(void*)) kept ascending and
// without duplicates, named by the address of its handle; a null list address is an
// empty list that cannot grow.
int ptr_list_guts(void*** list, const void* address, int add, int* found);
int add_to_ptr_list(void*** list, const void* address);
int chk_add_ptr_list(void*** list, const void* address);
int ptr_in_ptr_list(void*** list, const void* address);
int where_in_ptr_list(void*** list, const void* address);
int chk_rmv_ptr_list(void*** list, const void* address);
int ptr_element_cmp(const void* a, const void* b);

// The red-black tree: a Btree whose nodes carry a colour after the four common words.
struct RbtreeNode {
  BtreeNode node;  // parent, left, right, data
  int colour;      // RBTREE_BLACK or RBTREE_RED
};
constexpr int RBTREE_RED = 0;
constexpr int RBTREE_BLACK = 1;
constexpr int RBTREE_BLOCK_NODES = 6553;
constexpr int RBTREE_NODE_SIZE = static_cast<int>(sizeof(RbtreeNode));

typedef void (*RbtreePrint)(void* data);

Btree* new_rbtree(int initial);
void release_rbtree(Btree* tree);
// compare(node's data, new data); equal data is refused (null).
RbtreeNode* insert_data_into_rbtree(Btree* tree, void* data, VekCompare compare);
int rbtree_delete_node(Btree* tree, RbtreeNode* node);
// compare(key, node's data).
int rbtree_delete_node_with_data(Btree* tree, const void* key, VekCompare compare);
RbtreeNode* new_rbtree_node(Btree* tree);
void rbtree_rotate_nodes_left(Btree* tree, RbtreeNode* node);
void rbtree_rotate_nodes_right(Btree* tree, RbtreeNode* node);
void rbtree_delete_fixup(Btree* tree, RbtreeNode* node);
void dbg_dump_rbtree(const Btree* tree, RbtreePrint print);
void dbg_dump_rbtree_nodes(const RbtreeNode* node, RbtreePrint print, int depth);

}  // namespace vek
