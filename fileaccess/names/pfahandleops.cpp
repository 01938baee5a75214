#include "fileaccess/names/pfahandleops.h"

#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "platform/w32/file.h"
#include "runtime/diag/diag.h"

namespace vek {

namespace {

constexpr int kWriteBits = 0x92;

}  // namespace

int pfa_setbuf(VynFile* file, void* buffer) { return pfaloc_call_FLP(file, PfaSetbuf, buffer); }

int pfa_setvbuf(VynFile* file, void* buffer, int mode, int size) {
  return pfaloc_call_FLPII(file, PfaSetvbuf, buffer, mode, size);
}

int pfa_access_mixed_case(VynFile* file, int mode, int lower) {
  if (!pfa_is_valid(file)) return 0;
  if (file->flags & PFA_FLAG_EXACT_CASE) lower = 0;
  return pfaloc_call_FII(file, PfaAccess, mode, lower);
}

int pfa_access(VynFile* file, int mode) {
  if (!pfa_is_valid(file)) return 0;
  return pfa_access_mixed_case(file, mode, pfa_no_mixed_case(file));
}

int pfa_access_quiet(VynFile* file, int mode) {
  w32::UINT previous = w32::SetErrorMode(1);
  int answer = pfa_access(file, mode);
  w32::SetErrorMode(previous);
  return answer;
}

int pfa_get_file_time(VynFile* file, void* access, void* modification, void* change) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  return pfaloc_call_FPPP(file, PfaGetFileTime, access, modification, change);
}

int pfa_get_mode(VynFile* file, int* mode) {
  if (!pfa_is_valid(file) || !mode) return PFA_E_NOT_VALID;
  return pfaloc_call_FP(file, PfaGetMode, mode);
}

int pfa_get_file_size(VynFile* file, long long* size) {
  if (!pfa_is_valid(file) || !size) return PFA_E_NOT_VALID;
  return pfaloc_call_FP(file, PfaGetFileSize, size);
}

int pfa_get_owners(VynFile* file, char* owner, char* group, char* owner2) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  return pfaloc_call_FPPP(file, PfaGetOwners, owner, group, owner2);
}

int pfa_chmod(VynFile* file, int mode) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  return pfaloc_call_FI(file, PfaChmod, mode);
}

int pfa_chown(VynFile* file, const char* owner, const char* group) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  return pfaloc_call_FPP(file, PfaChown, const_cast<char*>(owner), const_cast<char*>(group));
}

int pfa_get_avail_blocks(VynFile* file, long* blocks, long* block_size) {
  if (!pfa_is_valid(file)) {
    dbg_err_crash("pfa_get_avail_blocks", "Fake Pfa used for input.\n");
    return PFA_E_NOT_VALID;
  }
  return pfaloc_call_FPP(file, PfaGetAvailBlocks, blocks, block_size);
}

int pfa_get_avail_space(VynFile* file, double* bytes) {
  if (bytes) *bytes = -1.0;
  long blocks = 0, size = 0;
  int result = pfa_get_avail_blocks(file, &blocks, &size);
  if (result == PFA_E_NO_ERROR && bytes)
    *bytes = static_cast<double>(static_cast<unsigned long>(blocks)) *
             static_cast<double>(static_cast<unsigned long>(size));
  return result;
}

int pfa_make_file_hidden(VynFile* file) {
  if (!pfa_is_valid(file)) {
    dbg_err_crash("pfa_make_file_hidden", "Fake Pfa used for input.");
    return PFA_E_NOT_VALID;
  }
  char name[PFA_NAME_SIZE];
  if (pfa_get_file_name(file, 56, name) != PFA_E_NO_ERROR) return PFA_E_INVALID_INPUT;
  if (name[0] != '.') return PFA_E_ERROR;
  return pfaloc_call_F(file, PfaMakeHidden);
}

int pfa_change_write_access(VynFile* file, int on) {
  if (!pfa_is_valid(file)) {
    dbg_err_crash("pfa_make_file_read_only", "Fake Pfa used for input.");
    return PFA_E_NOT_VALID;
  }
  int mode = 0;
  if (int failed = pfaloc_call_FP(file, PfaGetMode, &mode)) return failed;
  mode = on ? (mode | kWriteBits) : (mode & ~kWriteBits);
  return pfaloc_call_FI(file, PfaChmod, mode);
}

int pfa_library_search(VynFile* file, void* a, void* b) {
  return pfaloc_call_FPP(file, PfaLibrarySearch, a, b);
}

}  // namespace vek
