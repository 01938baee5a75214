// Hooks through which an embedding application names family instances and supplies
// neutral data for files as they are read or written, the temporary name of a replaced
// model, and the formatting function of trace output. While no hook is bound the
// hook-driven paths do nothing.
#pragma once

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// The application's answer about one file type: opaque to this layer, handed on to the
// location that reads the neutral data.
struct NdImportProps {
  VynWord value[4];
};

// The hooks, in the order ndreg_bind_capi_calls takes them.
// Nonzero when files of the type have neutral data of the kind to import; fills props.
typedef int (*NdListPropsFunc)(int type, int kind, NdImportProps* props);
// Lists the instantiators of an object.
typedef int (*NdListInstsFunc)(VynWord, VynWord, VynWord, VynWord);
// Propagates imported data: (count, entries, object type, name, -3, 0).
typedef int (*NdPropInstFunc)(VynWord, VynWord, VynWord, VynWord, VynWord, VynWord);
// Frees one entry of imported data.
typedef void (*NdFreeInstFunc)(VynWord entry);
// Nonzero with the configuration path (at most 259 characters) of a key in path.
typedef int (*NdSearchGetPathFunc)(const VynWchar* key, VynWchar* path);

void ndreg_bind_capi_calls(NdListPropsFunc list_props, NdListInstsFunc list_insts,
                           NdPropInstFunc prop_inst, NdFreeInstFunc free_inst,
                           NdSearchGetPathFunc search_get_path);

// Instance naming: three wide texts of at most 259 characters (null ones stored empty).
// Any text given sets the flag ("already set up" is reported when it was set); all three
// null clear it. 1; 0 for a text of 260 characters or more, with nothing changed.
int set_making_instance_names(const VynWchar* instance, const VynWchar* temporary,
                              const VynWchar* top_generic);
// Copies the texts into buffers of 260 (null outs skipped) and returns the flag, which
// it clears: a one-shot.
int making_instance_names(VynWchar* instance, VynWchar* temporary, VynWchar* top_generic);

// The replaced model: a narrow check name and a wide temporary name, each of at most 259
// characters (1; 0 when either is longer or null, nothing stored).
int set_replaced_model_tmp_name(const char* name, const VynWchar* temporary);
// The temporary name into out (260) and 0 when name equals the stored one without case;
// else 4.
int get_replaced_model_tmp_name(const char* name, VynWchar* out);
void reset_replaced_model_tmp_name();
int is_replaced_model_tmp_name_set();
VynWord get_p_new_solid();
void set_p_new_solid(VynWord value);

// With the path hook giving both the workspace and the common-space paths, a file whose
// location begins with one of them is copied to out with the other as its location: 1;
// else 0 (out as it was, or reset when the new location was refused).
int find_alternate_fam_member_location(const VynFile* file, VynFile* out);
// For a file in the workspace or the common space: the location is cleared and the
// location's library search (PfaLibrarySearch with the space's wide path) asked in both
// spaces in turn; 1 when one found it (it sets the location), else the old location is
// put back and 0.
int adjust_instance_location(VynFile* file);

// The neutral-data import record, kept in the handle's appinfo list.
struct NdImportRecord {
  int object_type;
  char name[260];    // base name and extension
  VynWord* entries;  // growable array (step 10)
};

// Attaches an import record unless the handle has one: the make's status (0 when
// nothing was asked). 11 for an invalid handle.
int pfa_import_neutral_data(VynFile* file);
int pfa_import_neutral_data_low(VynFile* file, int kind);
// Asks the location (PfaGetNeutralData with kind, the address of a growable array of
// words it appends to, the props and the temporary name or null) when the props hook
// answers for the file's type; a record when it gave at least one entry, else null.
// *status: 0, or the location's answer.
NdImportRecord* ndimport_make(VynFile* file, int kind, int* status);
// Propagates the entries, frees each with the free hook, then the array and the record.
void ndimport_free(NdImportRecord* record);
// The import record's entries (null, an empty array, when there is none) and their
// count: 0; 11 for an invalid handle, 9 for a null out.
int pfa_get_neutral_data(VynFile* file, int* count, VynWord** entries);
// When the location can take neutral data and count > 0: the handle gets a new export
// record (a private copy of the handle and of the entries) in place of any former one,
// whose entries are dropped unexported. 0; 11 for an invalid handle, 9 for a null array
// with a count.
int pfa_put_neutral_data(VynFile* file, int count, const VynWord* entries);
// Frees the export record now, which hands its entries to the location
// (PfaPutNeutralData with count and array on the private copy). 0; 11 for an invalid
// handle.
int pfa_export_neutral_data(VynFile* file);

// The hooks when bound, else 0.
int mavrel_list_instantiators(VynWord a, VynWord b, VynWord c, VynWord d);
int mavrel_call_propagator(VynWord a, VynWord b, VynWord c, VynWord d, VynWord e, VynWord f);

// Installs on the location type being registered the fifteen stream methods whose
// location slot holds an inner VynFile and which forward to it. 1 when all were
// installed.
int pfawrap_register_file_funcs(int type);

// Formats into the formatter's internal buffer and returns it (null when the format
// fails); the first argument is not used.
const char* trp_pfa_printf(VynWord unused, const char* format, ...);

}  // namespace vek
