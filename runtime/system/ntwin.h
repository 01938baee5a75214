// Small Win32 services: the immediate-expose flag, anonymous pipes, the Explorer program
// policies and the maker's registry area "Software\VEK".
#pragma once

#include "platform/w32/registry.h"
#include "platform/w32/types.h"

namespace vek {

int nt_SetImmediateExpose(int value);
int nt_GetImmediateExpose();

// ---- Pipes. A pipe end is a Win32 handle; INVALID_HANDLE_VALUE (-1) is none, and every
// call given none answers -1.

// Makes an anonymous pipe with inheritable ends: pair[0] reads, pair[1] writes. 0, or -1.
int nt_pipe(w32::HANDLE pair[2]);
// Reads item_size x count bytes (what the pipe has, at most that): the whole items
// read, -1 on failure, 0 for an empty request.
int nt_pipe_read(void* buffer, int item_size, int count, w32::HANDLE handle);
// The same giving the bytes read (also in *bytes); a failure is reported on the standard
// error stream.
int nt_pipe_read_1(void* buffer, int item_size, int count, w32::HANDLE handle, int* bytes);
// Writes item_size x count bytes: the whole items written, -1 on failure or for a null
// or empty request.
int nt_pipe_write(const void* buffer, int item_size, int count, w32::HANDLE handle);
// The same giving the bytes written (also in *bytes); 0 for an empty request.
int nt_pipe_write_1(const void* buffer, int item_size, int count, w32::HANDLE handle, int* bytes);
int nt_pipe_flush(w32::HANDLE handle);
// Moves by offset from the start (0), the position (1) or the end (2); 0.
int nt_pipe_seek(w32::HANDLE handle, long offset, int origin);
// The position, -1 when the handle has none (a pipe).
long nt_pipe_tell(w32::HANDLE handle);
// 1 when the wait ends because the object is signalled.
int nt_wait_for_single(w32::HANDLE handle, int milliseconds);
// 1 when the pipe holds at least one unread byte.
int nt_peek_pipe(w32::HANDLE handle);

// ---- Program policies (HKEY_CURRENT_USER ...\Policies\Explorer\DisallowRun and
// RestrictRun). A list is a growable array of strdup'd names, null when empty.

int nt_policies_apps_get(const char* key, char*** list);
int nt_policies_disallowed_apps_get(char*** list);
int nt_policies_restricted_apps_get(char*** list);
void nt_policies_apps_free(char*** list);
// 1 when the command interpreter may run: not in DisallowRun, and in RestrictRun when
// that list is not empty. Names compare without regard to ASCII case.
int nt_policies_cmd_is_allowed();

// ---- The maker's registry area: "Software\VEK\<subkey>" below the chosen root.

// HKEY_LOCAL_MACHINE when a volatile key can be made there, else HKEY_CURRENT_USER;
// decided once. When neither works the process ends with a report.
w32::HKEY nt_get_vek_root_key();
w32::HKEY nt_get_vek_user_root_key();
// Key paths must fit 1,024 bytes; longer ones are refused (0).
int nt_get_vek_registry_string_value(const char* subkey, const char* name, char* out);
int nt_get_vek_user_registry_string_value(const char* subkey, const char* name, char* out);
int nt_set_vek_registry_string_value(const char* subkey, const char* name, const char* text);
int nt_set_vek_user_registry_string_value(const char* subkey, const char* name,
                                          const char* text);
int nt_delete_vek_registry_string(const char* subkey);
int nt_delete_vek_user_registry_string(const char* subkey);
int nt_delete_vek_registry_value(const char* subkey, const char* name);
int nt_delete_vek_user_registry_value(const char* subkey, const char* name);
int nt_set_vek_registry_subkey(const char* subkey, const char* nested, const char* name,
                               const char* text);
int nt_get_vek_registry_subkey(const char* subkey, const char* nested, const char* name,
                               char* out);

}  // namespace vek
