// Stream methods of a location type whose location slot holds another VynFile: each
// forwards to the inner handle, through the layer's operation where it has one and
// through the inner handle's own location method otherwise.
#include "fileaccess/core/pfainst.h"
#include "fileaccess/core/pfaloc.h"

namespace vek {

namespace {

VynFile* inner(void** slot) { return slot ? static_cast<VynFile*>(*slot) : nullptr; }

int wrap_close(VynFile*, void** slot) {
  VynFile* file = inner(slot);
  if (!file) return PFA_E_INVALID_INPUT;
  int result = pfa_dispose(&file);
  *slot = file;
  return result;
}

int wrap_fgetc(VynFile*, void** slot) {
  VynFile* file = inner(slot);
  return file ? pfa_fgetc(file) : -1;
}

int wrap_ungetc(VynFile*, void** slot, int c) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FLI(file, PfaUngetc, c) : -1;
}

int wrap_read(VynFile*, void** slot, void* buffer, void* count, int n) {
  VynFile* file = inner(slot);
  return file ? pfa_read_file(file, n, static_cast<int*>(count), buffer) : PFA_E_INVALID_INPUT;
}

int wrap_fgets(VynFile*, void** slot, void* buffer, void* count, int n) {
  VynFile* file = inner(slot);
  return file ? pfa_fgets(file, n, static_cast<int*>(count), static_cast<char*>(buffer))
              : PFA_E_INVALID_INPUT;
}

int wrap_write(VynFile*, void** slot, void* buffer, int n, int) {
  VynFile* file = inner(slot);
  return file ? pfa_write_file(file, n, buffer) : PFA_E_INVALID_INPUT;
}

int wrap_fputs(VynFile*, void** slot, void* text) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FLP(file, PfaFputs, text) : PFA_E_INVALID_INPUT;
}

int wrap_flush(VynFile*, void** slot) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FL(file, PfaFlushFile) : PFA_E_INVALID_INPUT;
}

int wrap_copy(VynFile*, void** from_slot, VynFile*, void** to_slot, void* a, void* b) {
  VynFile* from = inner(from_slot);
  VynFile* to = inner(to_slot);
  return from && to ? pfaloc_call_FLFLPP(from, PfaCopyThruCookie, to, a, b)
                    : PFA_E_INVALID_INPUT;
}

int wrap_setbuf(VynFile*, void** slot, void* buffer) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FLP(file, PfaSetbuf, buffer) : PFA_E_NO_ERROR;
}

int wrap_get_position(VynFile*, void** slot, void* position) {
  VynFile* file = inner(slot);
  return file ? pfa_get_file_position(file, static_cast<long*>(position)) : PFA_E_INVALID_INPUT;
}

int wrap_set_position(VynFile*, void** slot, void* position) {
  VynFile* file = inner(slot);
  if (!file || !position) return PFA_E_INVALID_INPUT;
  return pfa_set_file_position(file, *static_cast<long*>(position));
}

int wrap_rewind(VynFile*, void** slot) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FL(file, PfaRewindFile) : PFA_E_INVALID_INPUT;
}

int wrap_unwind(VynFile*, void** slot) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FL(file, PfaUnwindFile) : PFA_E_INVALID_INPUT;
}

int wrap_fseek(VynFile*, void** slot, void* p, int a, int b, int c) {
  VynFile* file = inner(slot);
  return file ? pfaloc_call_FLPIII(file, PfaFseek, p, a, b, c) : PFA_E_INVALID_INPUT;
}

struct WrapMethod {
  int method;
  int code;
  PfaLocMethod function;
};

}  // namespace

int pfawrap_register_file_funcs(int type) {
  // Each function is cast to the type of its calling code, so a wrong row does not compile.
  const WrapMethod methods[] = {
      {PfaCloseFile, PLM_CALL_FL, as_method(static_cast<PfaLocFn_FL>(wrap_close))},
      {PfaFgetc, PLM_CALL_FL, as_method(static_cast<PfaLocFn_FL>(wrap_fgetc))},
      {PfaUngetc, PLM_CALL_FLI, as_method(static_cast<PfaLocFn_FLI>(wrap_ungetc))},
      {PfaReadFile, PLM_CALL_FLPPI, as_method(static_cast<PfaLocFn_FLPPI>(wrap_read))},
      {PfaFgets, PLM_CALL_FLPPI, as_method(static_cast<PfaLocFn_FLPPI>(wrap_fgets))},
      {PfaWriteFile, PLM_CALL_FLPII, as_method(static_cast<PfaLocFn_FLPII>(wrap_write))},
      {PfaFputs, PLM_CALL_FLP, as_method(static_cast<PfaLocFn_FLP>(wrap_fputs))},
      {PfaFlushFile, PLM_CALL_FL, as_method(static_cast<PfaLocFn_FL>(wrap_flush))},
      {PfaCopyThruCookie, PLM_CALL_FLFLPP, as_method(static_cast<PfaLocFn_FLFLPP>(wrap_copy))},
      {PfaSetbuf, PLM_CALL_FLP, as_method(static_cast<PfaLocFn_FLP>(wrap_setbuf))},
      {PfaGetFilePosition, PLM_CALL_FLP, as_method(static_cast<PfaLocFn_FLP>(wrap_get_position))},
      {PfaSetFilePosition, PLM_CALL_FLP, as_method(static_cast<PfaLocFn_FLP>(wrap_set_position))},
      {PfaRewindFile, PLM_CALL_FL, as_method(static_cast<PfaLocFn_FL>(wrap_rewind))},
      {PfaUnwindFile, PLM_CALL_FL, as_method(static_cast<PfaLocFn_FL>(wrap_unwind))},
      {PfaFseek, PLM_CALL_FLPIII, as_method(static_cast<PfaLocFn_FLPIII>(wrap_fseek))},
  };
  int installed = 1;
  for (const WrapMethod& m : methods) {
    if (!pfa_loc_method_register(type, m.method, m.code, m.function)) installed = 0;
  }
  return installed;
}

}  // namespace vek
