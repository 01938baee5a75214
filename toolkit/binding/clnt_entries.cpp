#include "toolkit/binding/clnt_entries.h"

#include "runtime/text/vsprintf.h"
#include "toolkit/api/app_api.h"
#include "toolkit/binding/binding.h"
#include "toolkit/startup/startup.h"

// The slot of a hand-written entry; its key is also the name its report gives.
#define YRL_CLNT_SLOT(name, key) &yrl_api_slots[YRL_SLOT_##name], key, key

VynError vynmenu_create_clnt(int context, VynWord a, VynWord b) {
  return yrl_forward<YrlKind::status, VynError>(
      YRL_CLNT_SLOT(vynmenu_create_clnt, "vynmenu_create_plus"), context, a,
      static_cast<const char*>(menu_path), b);
}

VynError vynmenu_expand_clnt(int context, VynWord a, VynWord b) {
  return yrl_forward<YrlKind::status, VynError>(
      YRL_CLNT_SLOT(vynmenu_expand_clnt, "vynmenu_expand_plus"), context, a,
      static_cast<const char*>(menu_path), b);
}

void vynmsg_print_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                       VynWord w6, VynWord w7, VynWord w8, VynWord w9, VynWord w10,
                       VynWord w11, VynWord w12) {
  yrl_forward<YrlKind::none, void>(YRL_CLNT_SLOT(vynmsg_print_clnt, "vynmsg_print_plus"),
                                   context, static_cast<const char*>(msg_path), w1, w2, w3,
                                   w4, w5, w6, w7, w8, w9, w10, w11, w12);
}

VynError vynmsg_sprint_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                            VynWord w5, VynWord w6, VynWord w7, VynWord w8, VynWord w9,
                            VynWord w10, VynWord w11, VynWord w12, VynWord w13) {
  return yrl_forward<YrlKind::status, VynError>(
      YRL_CLNT_SLOT(vynmsg_sprint_clnt, "vynmsg_sprint_plus"), context,
      static_cast<const char*>(msg_path), w1, w2, w3, w4, w5, w6, w7, w8, w9, w10, w11, w12,
      w13);
}

void* vyndb_edge_tesselation_clnt(int context, VynWord w1, VynWord w2) {
  return yrl_forward<YrlKind::pointer, void*>(
      YRL_CLNT_SLOT(vyndb_edge_tesselation_clnt, "vyndb_edge_tesselation_plus"), context, w1,
      w2);
}

VynError vyndtl_get_item_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                              VynWord w5, VynWord w6) {
  return yrl_forward<YrlKind::status, VynError>(
      YRL_CLNT_SLOT(vyndtl_get_item_clnt, "vyndtl_get_item_plus"), context, w1, w2, w3, w4, w5,
      w6);
}

VynError vyndb_traverse_assembly_clnt(int context, VynWord w1, VynWord w2, VynWord w3,
                                      VynWord w4, VynWord w5, VynWord w6) {
  return yrl_forward<YrlKind::status, VynError>(
      YRL_CLNT_SLOT(vyndb_traverse_assembly_clnt, "vyndb_traverse_assembly_plus"), context, w1,
      w2, w3, w4, w5, w6);
}

VynError vyn_interference_volume_release_clnt(int context, VynWord w1, VynWord w2) {
  return yrl_forward<YrlKind::status, VynError>(
      YRL_CLNT_SLOT(vyn_interference_volume_release_clnt, "vyn_interference_volume_release_plus"),
      context, w1, w2);
}

VynError vyn_term_clnt(VynWord word1) {
  return yrl_forward<YrlKind::status, VynError>(YRL_CLNT_SLOT(vyn_term_clnt, "vyn_term_plus"),
                                                word1);
}

VynError MavrelEnd() { return vyn_term_clnt(my_id_num); }

void VynToolkitMain() { vek::vyn_printf("function VynToolkitMain is not supported\n"); }

VynError MavrelStart() {
  vek::vyn_printf("function MavrelStart is not supported\n");
  return VYN_TK_BAD_CONTEXT;
}

void VynEventProcess() { vek::vyn_printf("function VynEventProcess is not supported\n"); }

VynError VynGtolleadersFree(VynArray* leaders) {
  VynError status = yrl_forward<YrlKind::status, VynError(int, VynArray*)>(
      YRL_CLNT_SLOT(VynGtolleadersFree, "VynGtolleadersFree_v"), my_id_num, leaders);
  if (status != VYN_TK_NO_ERROR) return status;
  return VynArrayFree(leaders);
}
