#include "fileaccess/core/pfatype.h"

namespace vek {

int pfa_put_obj_type(VynFile* file, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (file->object_type == type) return PFA_E_NO_ERROR;
  if (type != PFA_TYPE_UNKNOWN) return PFA_E_INVALID_INPUT;
  file->object_type = PFA_TYPE_UNKNOWN;
  return PFA_E_NO_ERROR;
}

}  // namespace vek
