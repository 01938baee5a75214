#include "toolkit/binding/clnt_entries.h"

#include "runtime/text/vsprintf.h"
#include "toolkit/api/app_api.h"
#include "toolkit/binding/binding.h"
#include "toolkit/startup/startup.h"

namespace {

// Each entry's host function as its row gives it (clnt_entries.def): the key it is looked
// up and reported under, the result of its kind when missing, the type it is called
// through. An entry whose words do not fit its row's type does not compile.
template <YrlApiSlot slot>
struct ClntRow;

#define YRL_CLNT_ROW(row_form, row_kind, result, name, row_key, params) \
  template <>                                                        \
  struct ClntRow<YRL_SLOT_##name> {                                  \
    static constexpr YrlKind kind = YrlKind::row_kind;               \
    static constexpr const char* key = row_key;                      \
    using type = YRL_API_HOST_TYPE(row_form, result, params);        \
  };
#define YRL_API(kind, result, name, key, params, args) \
  YRL_CLNT_ROW(plain, kind, result, name, key, params)
#define YRL_API_NO_CONTEXT(kind, result, name, key, params, args) \
  YRL_CLNT_ROW(no_context, kind, result, name, key, params)
#include "toolkit/binding/clnt_entries.def"
#undef YRL_CLNT_ROW

template <YrlApiSlot slot, typename... Words>
auto clnt_forward(Words&&... words) {
  using Row = ClntRow<slot>;
  return yrl_forward<Row::kind, typename Row::type>(&yrl_api_slots[slot], Row::key, Row::key,
                                                    static_cast<Words&&>(words)...);
}

}  // namespace

VynError vynmenu_create_clnt(int context, VynWord a, VynWord b) {
  return clnt_forward<YRL_SLOT_vynmenu_create_clnt>(context, a, menu_path, b);
}

VynError vynmenu_expand_clnt(int context, VynWord a, VynWord b) {
  return clnt_forward<YRL_SLOT_vynmenu_expand_clnt>(context, a, menu_path, b);
}

void vynmsg_print_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                       VynWord w6, VynWord w7, VynWord w8, VynWord w9, VynWord w10,
                       VynWord w11, VynWord w12) {
  clnt_forward<YRL_SLOT_vynmsg_print_clnt>(context, msg_path, w1, w2, w3, w4, w5, w6, w7, w8,
                                           w9, w10, w11, w12);
}

VynError vynmsg_sprint_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                            VynWord w5, VynWord w6, VynWord w7, VynWord w8, VynWord w9,
                            VynWord w10, VynWord w11, VynWord w12, VynWord w13) {
  return clnt_forward<YRL_SLOT_vynmsg_sprint_clnt>(context, msg_path, w1, w2, w3, w4, w5, w6,
                                                   w7, w8, w9, w10, w11, w12, w13);
}

void* vyndb_edge_tesselation_clnt(int context, VynWord w1, VynWord w2) {
  return clnt_forward<YRL_SLOT_vyndb_edge_tesselation_clnt>(context, w1, w2);
}

VynError vyndtl_get_item_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                              VynWord w5, VynWord w6) {
  return clnt_forward<YRL_SLOT_vyndtl_get_item_clnt>(context, w1, w2, w3, w4, w5, w6);
}

VynError vyndb_traverse_assembly_clnt(int context, VynWord w1, VynWord w2, VynWord w3,
                                      VynWord w4, VynWord w5, VynWord w6) {
  return clnt_forward<YRL_SLOT_vyndb_traverse_assembly_clnt>(context, w1, w2, w3, w4, w5, w6);
}

VynError vyn_interference_volume_release_clnt(int context, VynWord w1, VynWord w2) {
  return clnt_forward<YRL_SLOT_vyn_interference_volume_release_clnt>(context, w1, w2);
}

VynError vyn_term_clnt(VynWord word1) { return clnt_forward<YRL_SLOT_vyn_term_clnt>(word1); }

VynError MavrelEnd() { return vyn_term_clnt(my_id_num); }

void VynToolkitMain() { vek::vyn_printf("function VynToolkitMain is not supported\n"); }

VynError MavrelStart() {
  vek::vyn_printf("function MavrelStart is not supported\n");
  return VYN_TK_BAD_CONTEXT;
}

void VynEventProcess() { vek::vyn_printf("function VynEventProcess is not supported\n"); }

VynError VynGtolleadersFree(VynArray* leaders) {
  VynError status = clnt_forward<YRL_SLOT_VynGtolleadersFree>(my_id_num, leaders);
  if (status != VYN_TK_NO_ERROR) return status;
  return VynArrayFree(leaders);
}
