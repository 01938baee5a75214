// File operations and attributes of a handle.
#pragma once

#include <cstdio>

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// 1 when the handle's file is on this machine: every location type other than 0 and 1;
// for those, no host or this machine's name (any case), or a host that resolves to the
// same official name. 0 for a one-character host or a name that does not resolve; -1
// for an invalid handle.
int pfa_is_local(const VynFile* file);
// This machine's host name (read once), empty when it cannot be read.
const char* local_host_name();

// The application-data types of a handle: its subtype, its listing index, its content
// hints (model name, dependency, flags; the location's PfaSetContentHints runs after a
// copy).
int file_subtype_pfa_app_id();
int pfaidx_app_id();
int pfa_content_hints_app_id();
// The value stored under type in the handle's list (made when create), null when none or
// for an invalid handle.
VynWord* pfa_find_appinfo(VynFile* file, int type, int create);

// 1 when both name one place: the same location type, equal path and device (without
// case unless the location is case-sensitive), and the same host or, for local names,
// each without one or naming this machine.
int pfa_same_locations(const VynFile* a, const VynFile* b);
// A total order: null first, then location type, component text, version.
int compare_vyn_files(const VynFile* a, const VynFile* b);
// Flags: mounted (and known), hidden from the user interface, generic base name. The
// setters of the last two return the bit as it was; readers give 0 for invalid handles.
int pfa_is_mounted(const VynFile* file);
int pfa_set_mounted(VynFile* file, int on);
int pfa_is_remote_mounted(VynFile* file);
int pfa_set_ui_hidden_flag(VynFile* file, int on);
int pfa_get_ui_hidden_flag(const VynFile* file);
int pfa_set_generic_in_name(VynFile* file, int on);
int pfa_is_generic_in_name(const VynFile* file);
// The subtype: stored (2 when it cannot be), read back or asked of the location.
int pfa_set_file_subtype(VynFile* file, int subtype);
int pfa_get_file_subclass_quickly(VynFile* file, int* subtype);
// Content hints: the model name is kept lower-cased. Set: 0, 9 for an invalid handle, 3
// when no record can be had. Get: 0, 2 without hints (outs 0), 9 for missing outs.
int pfa_set_content_hints(VynFile* file, const VynWchar* name, int dependency, int flags);
int pfa_get_content_hints(VynFile* file, const VynWchar** name, int* dependency, int* flags);
// Streams from outside, for local and standard-stream files that are no directories:
// the stream a handle holds; adopting an open stream (9 when not allowed); a new handle
// around a stream; letting go of a handle without closing its stream.
std::FILE* pfa_discouraged_get_stream(VynFile* file);
int pfa_discouraged_put_stream(VynFile* file, std::FILE* stream);
VynFile* pfa_discouraged_gen_from_file(std::FILE* stream);
int pfa_discouraged_rel_from_file(VynFile** file);
// Location questions.
int pfaloc_is_case_sensitive(VynFile* file);
int pfaloc_is_transient(VynFile* file);
int pfaloc_uses_instance_index(VynFile* file);
int pfaloc_has_version_nums(VynFile* file);
int pfaloc_ugc_tag_control(VynFile* file, void* pointer);
// Whether a file is exported as secondary content: 1 unless the location's
// PfaGet2ndContentMsg answers a positive value; 0 for an invalid handle and when first,
// second or fourth is null.
// The four pointers are handed to the location as given.
int pfa_choose_export_as_secondary(VynFile* file, void* first, void* second, void* third,
                                   void* fourth);
// 1 for local names, for UNC names when the command processor allows a UNC directory.
int pfaloc_is_shell_compatible(const VynFile* file);
// 1 for a data-management location ("cwws:", "cwcs:", "omws:", "ompub:").
int pfaloc_is_pdm_system(const VynFile* file);

}  // namespace vek
