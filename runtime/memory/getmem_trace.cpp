// File-driven leak tracing. A first run marks every allocation with its sequence number
// and writes the numbers of the blocks still alive at its end; a second run of the same
// work reads them back and reports when those allocations happen.
#include <cstdlib>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/console.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_internal.h"
#include "runtime/memory/getmem_layout.h"

namespace vek {

int memory_file_level = 0;

namespace {

// Past every sequence number, so that no allocation matches once the file is read out.
constexpr std::uint32_t NO_MORE_BAD_INDEX = 0x7FFFFFFEu;

int info_in_cur_dir = -1;
std::uint32_t st_memory_loop_counter = 0;
std::uint32_t st_next_bad_index = 0;
int next_bad_size = 0;
VynFile* bad_index_file = nullptr;

// Before REG_MEM_DEBUG was looked at, the current directory is used.
const char* trace_file_name() {
  return info_in_cur_dir == 0 ? "/tmp/unreleased.memory" : "./unreleased.memory";
}

}  // namespace

void memdebug_start_marking_blocks() {
  if (info_in_cur_dir == -1) info_in_cur_dir = std::getenv("REG_MEM_DEBUG") ? 1 : 0;
  if (bad_index_file) pfa_dispose(&bad_index_file);
  bad_index_file = pfa_fopen_file_vers(trace_file_name(), "r", 0);
  if (bad_index_file) {
    memory_file_level = 2;
    memdebug_get_next_bad_index();
  } else {
    memory_file_level = 1;
  }
}

void memdebug_get_next_bad_index() {
  int index = -1;
  int size = 0;
  const int result =
      bad_index_file ? pfa_fscanf(bad_index_file, "%d %d\n", &index, &size) : PFA_E_ERROR;
  if ((result == PFA_E_NO_ERROR || result == PFA_E_QUIT) && index >= 0) {
    st_next_bad_index = static_cast<std::uint32_t>(index) & GETMEM_LOOP_MASK;
    next_bad_size = size;
  } else {
    st_next_bad_index = NO_MORE_BAD_INDEX;
  }
}

void memdebug_alloc(void* user) {
  void* start = nullptr;
  const bool valid = area_invalid(user, &start) == GETMEM_VALID;
  unsigned char* block = static_cast<unsigned char*>(start);
  if (valid) {
    getmem_set_flags(block, (getmem_flags(block) & GETMEM_FLAG_XARRAY) | st_memory_loop_counter);
  }
  if (memory_file_level == 2 && st_memory_loop_counter == st_next_bad_index) {
    const std::uint32_t size = valid ? getmem_size(block) : 0;
    ivek_printf("memdebug_alloc: %u bytes at %lx won't get released.\n", size,
                reinterpret_cast<unsigned long>(user));
    if (size != static_cast<std::uint32_t>(next_bad_size)) {
      ivek_printf("memdebug_alloc WARNING:  ");
      ivek_printf("sizes have changed. Memory loop is NOT VALID!!!\n");
    }
    memdebug_get_next_bad_index();
  }
  st_memory_loop_counter = (st_memory_loop_counter + 1) & GETMEM_LOOP_MASK;
}

void memdebug_print_marked_blocks() {
  // What the open makes (its record, the file layer's first-use tables) is the trace's
  // own, not the work's: it is left unmarked.
  const int level = memory_file_level;
  memory_file_level = 0;
  VynFile* file = pfa_fopen_file_vers(trace_file_name(), "w", 0);
  memory_file_level = level;
  if (!file) return;
  for (void* user = debug_getmem_chain_start(); user;) {
    const unsigned char* block = getmem_block_of(user);
    const std::uint32_t index = getmem_flags(block) & GETMEM_LOOP_MASK;
    if (index < GETMEM_LOOP_UNMARKED) {
      pfa_fprintf(file, "%d %u\n", static_cast<int>(index), getmem_size(block));
    }
    unsigned char* next = getmem_next(block);
    user = next ? getmem_user_of(next) : nullptr;
  }
  pfa_dispose(&file);
}

void memdebug_stop_marking_blocks() {
  if (bad_index_file) pfa_dispose(&bad_index_file);
  memory_file_level = 0;
}

void memdebug_testing_reset() {
  if (bad_index_file) pfa_dispose(&bad_index_file);
  bad_index_file = nullptr;
  memory_file_level = 0;
  info_in_cur_dir = -1;
  st_memory_loop_counter = 0;
  st_next_bad_index = 0;
  next_bad_size = 0;
}

}  // namespace vek
