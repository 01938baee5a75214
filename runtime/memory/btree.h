// Unbalanced binary search tree and binary searches over sorted arrays.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// A node of the plain tree. Larger nodes (the red-black tree's) start with the same
// four words, so the insertion walk and the successor walk serve them too.
struct BtreeNode {
  BtreeNode* parent;
  BtreeNode* left;
  BtreeNode* right;
  void* data;  // the caller's value; the tree never owns what it points to
};

// Nodes are carved from blocks owned by the tree. A free node's first word holds the
// index of the next free node of its block.
struct BtreeNodeBlock {
  int capacity;    // in nodes
  int handed_out;  // nodes taken so far, freed ones included
  void* nodes;     // memory block of capacity x node size bytes
  int free_head;   // index of the first free node, -1 when none
};

struct Btree {
  BtreeNode* root;          // null when empty
  BtreeNodeBlock* blocks;   // growable array, never empty
};

// Node size of the plain tree. Trees of this node kind never reuse freed nodes.
constexpr int BTREE_NODE_SIZE = static_cast<int>(sizeof(BtreeNode));
constexpr int BTREE_DEFAULT_NODES = 512;     // first block when 0 is asked for
constexpr int BTREE_MAX_BLOCK_NODES = 8192;  // largest block of new_btree
constexpr int BTREE_BLOCK_STEP = 5;          // extension step of the block array

// Insertion modes: what happens to data equal to a node's data.
constexpr int BTREE_INSERT_UNIQUE = 0;  // refused; the equal node is handed back
constexpr int BTREE_INSERT_LEFT = 1;    // goes into the left subtree
constexpr int BTREE_INSERT_RIGHT = 2;   // goes into the right subtree

// Walk directions of next_btree_node.
constexpr int BTREE_FORWARD = 0;
constexpr int BTREE_BACKWARD = 1;

Btree* new_btree(int initial);
// initial below 1 gives BTREE_DEFAULT_NODES; null for a node size below one pointer
// or a maximum below 1.
Btree* new_btree_low(int initial, int maximum, int node_size);
void release_btree(Btree** tree);
BtreeNode* new_btree_node(Btree* tree);
// Returns the address of a node block; the node is at block + *index x node_size.
void* new_btree_node_low(Btree* tree, int maximum, int node_size, int* index);
int btree_add_node_to_free_list(Btree* tree, void* node, int node_size);

// Insertion calls compare(node's data, new data).
BtreeNode* insert_data_into_btree(Btree* tree, void* data, VekCompare compare, int mode);
int insert_node_into_btree(Btree* tree, BtreeNode* node, VekCompare compare, int mode);
int insert_node_into_btree_(Btree* tree, BtreeNode** node, void* data, VekCompare compare,
                            int mode);

// Lookups call compare(key, node's data). When btree_locate finds no node, previous and
// next are the nearest smaller and larger nodes; when it finds one they hold what the
// walk down to it recorded. Every out may be null.
BtreeNode* btree_lookup(const Btree* tree, const void* key, VekCompare compare);
int btree_locate(const Btree* tree, const void* key, VekCompare compare, BtreeNode** node,
                 BtreeNode** previous, BtreeNode** next);
BtreeNode* next_btree_node(const Btree* tree, BtreeNode* node, int direction);
BtreeNode* get_least_node(BtreeNode* node, BtreeNode** out);
BtreeNode* get_greatest_node(BtreeNode* node, BtreeNode** out);

// Binary searches. compare(key, element) gets the element's value for arrays of
// pointer-sized items and the element's address for arrays of fixed-size elements.
// The _low forms give 1 when found (position = its index) and 0 when not (position =
// insertion index); position may be null. The others give the index or -1.
int binary_search(int count, VekCompare compare, const void* key, void* const* array);
int binary_search_low(int count, VekCompare compare, const void* key, void* const* array,
                      int* position);
int binary_srch_array(int count, VekCompare compare, int size, const void* key,
                      const void* array);
int binary_srch_array_low(int count, VekCompare compare, int size, const void* key,
                          const void* array, int* position);
int binary_srch_array_low_with_data(int count, VekCompareData compare, int size,
                                    const void* key, const void* array, void* data,
                                    int* position);
int binary_search_obj(int count, VekCompare compare, const void* key, const void* array,
                      int size);
int binary_srch_doubles(int count, const double* array, double key, double tolerance,
                        int* position);
// a, b and tolerance are addresses of doubles.
int compare_doubles_local(const void* a, const void* b, void* tolerance);
int cmp_double_tol(const void* a, const void* b);

}  // namespace vek
