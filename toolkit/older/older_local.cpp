#include "toolkit/older/older_local.h"

#include "runtime/text/vsprintf.h"
#include "toolkit/api/older_api.h"
#include "toolkit/binding/clnt_entries.h"
#include "toolkit/startup/startup.h"

namespace {

// The release flag that the earlier table functions pass to the newer ones.
constexpr VynWord kReleaseFlag = 1;
// The element type of a diagram wire's name.
constexpr VynWord kWireElementType = 38;
// The product name the process-level entries print.
const char kProductName[] = "VynDevelop Plus";

VynWord word(const void* value) { return reinterpret_cast<VynWord>(value); }

}  // namespace

VynError vynmenu_create(VynWord a, VynWord b) { return vynmenu_create_clnt(my_id_num, a, b); }

VynError vynmenu_expand(VynWord a, VynWord b) { return vynmenu_expand_clnt(my_id_num, a, b); }

void vynmsg_print(const void* file, const char* key, const void* v1, const void* v2,
                  const void* v3, const void* v4, const void* v5, const void* v6,
                  const void* v7, const void* v8, const void* v9, const void* v10) {
  vynmsg_print_clnt(my_id_num, word(file), word(key), word(v1), word(v2), word(v3), word(v4),
                    word(v5), word(v6), word(v7), word(v8), word(v9), word(v10));
}

VynError vynmsg_sprint(void* buffer, const void* file, const char* key, const void* v1,
                       const void* v2, const void* v3, const void* v4, const void* v5,
                       const void* v6, const void* v7, const void* v8, const void* v9,
                       const void* v10) {
  return vynmsg_sprint_clnt(my_id_num, word(buffer), word(file), word(key), word(v1), word(v2),
                            word(v3), word(v4), word(v5), word(v6), word(v7), word(v8),
                            word(v9), word(v10));
}

void* vyndb_edge_tesselation(VynWord w1, VynWord w2) {
  return vyndb_edge_tesselation_clnt(my_id_num, w1, w2);
}

VynError vyndb_traverse_assembly(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                                 VynWord w6) {
  return vyndb_traverse_assembly_clnt(my_id_num, w1, w2, w3, w4, w5, w6);
}

VynError vyndtl_get_item(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                         VynWord w6) {
  return vyndtl_get_item_clnt(my_id_num, w1, w2, w3, w4, w5, w6);
}

VynError vyn_interference_volume_release(VynWord w1, VynWord w2) {
  return vyn_interference_volume_release_clnt(my_id_num, w1, w2);
}

VynError vyn_term() { return vyn_term_clnt(my_id_num); }

VynError vyngr_invalidate_display_list(VynWord a) { return vyngr_init_object_transfer(a); }

VynError vyndb_regenerate_layout(VynWord a) { return vyn_regenerate_object(a); }

VynError vyndgm_set_wire_name(VynWord a, VynWord b, VynWord c) {
  return vyndb_set_element_name(a, kWireElementType, b, c);
}

VynError vyndgm_get_wire_name(VynWord a, VynWord b, VynWord c) {
  return vyndb_get_element_name(a, kWireElementType, b, c);
}

VynError vyndrw_retrieve_tableR19(VynWord a, VynWord b, VynWord c, VynWord d) {
  return vyndrw_retrieve_tableR20(a, b, c, d, kReleaseFlag);
}

VynError vyndrw_retrieve_tableR20(VynWord a, VynWord b, VynWord c, VynWord d, VynWord e) {
  return vyndrw_retrieve_table(a, b, c, d, e, 0, 0);
}

VynError vyndrw_create_tableR19(VynWord a, VynWord b) {
  return vyndrw_create_table(a, b, kReleaseFlag);
}

VynError vyndrw_delete_tableR19(VynWord a, VynWord b) {
  return vyndrw_delete_table(a, b, kReleaseFlag);
}

VynError vyndrw_rotate_tableR19(VynWord a, VynWord b) {
  return vyndrw_rotate_table(a, b, kReleaseFlag);
}

VynError vyndrw_display_tableR19(VynWord a) { return vyndrw_display_table(0, a, kReleaseFlag); }

VynError vyndrw_add_table_rowR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5) {
  return vyndrw_add_table_row(w1, w2, w3, w4, w5, kReleaseFlag);
}

VynError vyndrw_add_table_colR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5) {
  return vyndrw_add_table_col(w1, w2, w3, w4, w5, kReleaseFlag);
}

VynError vyndrw_delete_table_rowR19(VynWord w1, VynWord w2, VynWord w3) {
  return vyndrw_delete_table_row(w1, w2, w3, kReleaseFlag);
}

VynError vyndrw_delete_table_colR19(VynWord w1, VynWord w2, VynWord w3) {
  return vyndrw_delete_table_col(w1, w2, w3, kReleaseFlag);
}

VynError vyndrw_merge_table_cellsR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                                     VynWord w6) {
  return vyndrw_merge_table_cells(w1, w2, w3, w4, w5, w6, kReleaseFlag);
}

VynError vyndrw_remesh_table_cellsR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                                      VynWord w5, VynWord w6) {
  return vyndrw_remesh_table_cells(w1, w2, w3, w4, w5, w6, kReleaseFlag);
}

VynError vyndev_main() {
  vek::vyn_printf("function vyndev_main is not supported in %s\n", kProductName);
  return VYN_TK_GENERAL_ERROR;
}

VynError vyndev_start_mavrel() {
  vek::vyn_printf("function vyndev_start_mavrel is not supported in %s\n", kProductName);
  return VYN_TK_GENERAL_ERROR;
}

void vyndev_set_interrupt_func() {
  vek::vyn_printf("function vyndev_set_interrupt_func is not supported in %s\n", kProductName);
}

void vyndev_handle_interrupt() {
  vek::vyn_printf("function vyndev_handle_interrupt is not supported in %s\n", kProductName);
}

VynError get_prod_port_info() {
  vek::vyn_printf("function get_prod_port_info is not meaningful in %s\n", kProductName);
  return VYN_TK_GENERAL_ERROR;
}
