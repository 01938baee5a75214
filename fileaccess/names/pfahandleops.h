// One location method per operation: buffering, access, times, mode, size, owners, free
// space, hidden and read-only files, library search. Each checks the handle (11 for a
// null or invalid one unless noted) and returns the method's answer.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

int pfa_setbuf(VynFile* file, void* buffer);
int pfa_setvbuf(VynFile* file, void* buffer, int mode, int size);
// Nonzero when allowed (mode 0 exists, 2 write, 4 read); 0 for an invalid handle.
int pfa_access(VynFile* file, int mode);
int pfa_access_mixed_case(VynFile* file, int mode, int lower);
// pfa_access with the system's critical-error boxes off.
int pfa_access_quiet(VynFile* file, int mode);
int pfa_get_file_time(VynFile* file, void* access, void* modification, void* change);
// The mode: permission bits, with PFA_MODE_DIRECTORY for a directory.
int pfa_get_mode(VynFile* file, int* mode);
constexpr int PFA_MODE_DIRECTORY = 0x4000;
// The size as a 64-bit count.
int pfa_get_file_size(VynFile* file, long long* size);
// Owner and group names into buffers of PFA_OWNER_SIZE bytes (each may be null).
constexpr int PFA_OWNER_SIZE = 32;
int pfa_get_owners(VynFile* file, char* owner, char* group, char* owner2);
int pfa_chmod(VynFile* file, int mode);
int pfa_chown(VynFile* file, const char* owner, const char* group);
int pfa_get_avail_blocks(VynFile* file, long* blocks, long* block_size);
// Free bytes (-1.0 until known): 0, or the method's code.
int pfa_get_avail_space(VynFile* file, double* bytes);
// 9 when the name cannot be read, 1 for a name not beginning with '.'.
int pfa_make_file_hidden(VynFile* file);
// Sets or clears the write bits of the file's mode.
int pfa_change_write_access(VynFile* file, int on);
int pfa_library_search(VynFile* file, void* a, void* b);

}  // namespace vek
