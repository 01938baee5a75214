// The port map for remote procedure calls in the maker's registry area: volatile keys
// open to everyone, guarded across processes by the named mutex "VEK_PORTMAP_MUTEX". A
// registering process holds a mutex named by its program number for as long as the
// registration is alive; a registration whose mutex no process holds is stale and is
// taken over by the next registration of the program.
#pragma once

namespace vek {

// Registers port for program and version: 1 when a registration was written (a new one,
// or a stale one taken over); 0 when a live one stands or a write failed. protocol is not
// used.
int nt_reg_pmap_set(int program, int version, int protocol, int port);
// Removes the program's live mark and lets go of its mutex: 1 when let go.
int nt_pmap_unlock(int program, int version);
// nt_pmap_unlock, then removes the registration: 1 when removed.
int nt_reg_pmap_unset(int program, int version);
// The port registered for program and version, 0 when none.
int nt_reg_pmap_get(int program, int version);

// The message module's file name for version (out holds 1,024 bytes): 1 when read.
int get_msg_module_reg_entry(int version, char* out);
// Records file_name as the message module of version 2: 1 when written.
int set_msg_module_reg_entry(const char* file_name);
// Removes the record of version 2: 1 when removed.
int del_msg_module_reg_entry();

}  // namespace vek
