// Members of the older-style families that reach no host function of their own: each
// calls a client function (toolkit/binding/clnt_entries.h) with the context id as its
// first word, or another member of the families, or prints that it is not supported.
// The forwarding members are rows of toolkit/api/older.def; vyn_get_vyndevdat_info is
// with the start-up (toolkit/startup/startup.h).
#pragma once

#include "toolkit/tkbase.h"

// ---- Over the client functions, with my_id_num first.

// The host gets (context, a, menu_path, b).
VynError vynmenu_create(VynWord a, VynWord b);
VynError vynmenu_expand(VynWord a, VynWord b);
// The message file, the key and up to ten values (each by address, strings by
// pointer); the full twelve or thirteen words always go on, unpassed values as null.
void vynmsg_print(const void* file, const char* key, const void* v1 = nullptr,
                  const void* v2 = nullptr, const void* v3 = nullptr, const void* v4 = nullptr,
                  const void* v5 = nullptr, const void* v6 = nullptr, const void* v7 = nullptr,
                  const void* v8 = nullptr, const void* v9 = nullptr,
                  const void* v10 = nullptr);
// The same into the caller's buffer.
VynError vynmsg_sprint(void* buffer, const void* file, const char* key,
                       const void* v1 = nullptr, const void* v2 = nullptr,
                       const void* v3 = nullptr, const void* v4 = nullptr,
                       const void* v5 = nullptr, const void* v6 = nullptr,
                       const void* v7 = nullptr, const void* v8 = nullptr,
                       const void* v9 = nullptr, const void* v10 = nullptr);
void* vyndb_edge_tesselation(VynWord w1, VynWord w2);
VynError vyndb_traverse_assembly(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                                 VynWord w6);
VynError vyndtl_get_item(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                         VynWord w6);
VynError vyn_interference_volume_release(VynWord w1, VynWord w2);
VynError vyn_term();

// ---- Over other members.

// vyngr_init_object_transfer (a).
VynError vyngr_invalidate_display_list(VynWord a);
// vyn_regenerate_object (a).
VynError vyndb_regenerate_layout(VynWord a);
// vyndb_set_element_name / vyndb_get_element_name (a, 38, b, c): element type 38 is a
// diagram wire.
VynError vyndgm_set_wire_name(VynWord a, VynWord b, VynWord c);
VynError vyndgm_get_wire_name(VynWord a, VynWord b, VynWord c);

// Drawing tables of the earlier releases: the newer function with the release flag 1
// behind the words; the R20 retrieval passes 0, 0 for the two words the newest form
// added.
VynError vyndrw_retrieve_tableR19(VynWord a, VynWord b, VynWord c, VynWord d);
VynError vyndrw_retrieve_tableR20(VynWord a, VynWord b, VynWord c, VynWord d, VynWord e);
VynError vyndrw_create_tableR19(VynWord a, VynWord b);
VynError vyndrw_delete_tableR19(VynWord a, VynWord b);
VynError vyndrw_rotate_tableR19(VynWord a, VynWord b);
// vyndrw_display_table (0, a, 1).
VynError vyndrw_display_tableR19(VynWord a);
VynError vyndrw_add_table_rowR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5);
VynError vyndrw_add_table_colR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5);
VynError vyndrw_delete_table_rowR19(VynWord w1, VynWord w2, VynWord w3);
VynError vyndrw_delete_table_colR19(VynWord w1, VynWord w2, VynWord w3);
VynError vyndrw_merge_table_cellsR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                                     VynWord w6);
VynError vyndrw_remesh_table_cellsR19(VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                                      VynWord w5, VynWord w6);

// ---- Process-level entries that this plug-in does not offer: they print so.

// -1.
VynError vyndev_main();
VynError vyndev_start_mavrel();
void vyndev_set_interrupt_func();
void vyndev_handle_interrupt();
// -1.
VynError get_prod_port_info();
