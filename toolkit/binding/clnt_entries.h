// Forwarding functions outside the row forms, and the local entries that reach no host
// function. The host functions of the forwarding ones, with their keys and types, are
// the rows of clnt_entries.def.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Client functions: the caller passes the context id as the first word and none is
// pushed for it; each is looked up (and reported) under its name without "_clnt"
// followed by "_plus".
// Host gets (context, a, menu_path, b).
VynError vynmenu_create_clnt(int context, VynWord a, VynWord b);
VynError vynmenu_expand_clnt(int context, VynWord a, VynWord b);
// Host gets (context, msg_path, the 12 / 13 words).
void vynmsg_print_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4, VynWord w5,
                       VynWord w6, VynWord w7, VynWord w8, VynWord w9, VynWord w10,
                       VynWord w11, VynWord w12);
VynError vynmsg_sprint_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                            VynWord w5, VynWord w6, VynWord w7, VynWord w8, VynWord w9,
                            VynWord w10, VynWord w11, VynWord w12, VynWord w13);
// Host gets the words unchanged.
void* vyndb_edge_tesselation_clnt(int context, VynWord w1, VynWord w2);
VynError vyndtl_get_item_clnt(int context, VynWord w1, VynWord w2, VynWord w3, VynWord w4,
                              VynWord w5, VynWord w6);
VynError vyndb_traverse_assembly_clnt(int context, VynWord w1, VynWord w2, VynWord w3,
                                      VynWord w4, VynWord w5, VynWord w6);
VynError vyn_interference_volume_release_clnt(int context, VynWord w1, VynWord w2);
// Looked up as "vyn_term_plus"; passes its one word and no context of its own.
VynError vyn_term_clnt(VynWord word1);
// vyn_term_clnt(my_id_num).
VynError MavrelEnd();

// Local entries: print that they are not supported.
void VynToolkitMain();
// -8 (VYN_TK_BAD_CONTEXT).
VynError MavrelStart();
void VynEventProcess();

// Looked up as "VynGtolleadersFree_v" and called with the context id and leaders. When
// the host answers 0 it also releases the caller's array (VynArrayFree (leaders)) and
// returns that status; any other answer comes back unchanged, a missing host function
// gives -1 and releases nothing.
VynError VynGtolleadersFree(VynArray* leaders);
