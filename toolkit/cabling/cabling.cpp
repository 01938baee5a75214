#include "toolkit/cabling/cabling.h"

#include <cstring>

#include "toolkit/api/app_api.h"
#include "toolkit/api/older_api.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/util/strutil.h"

namespace {

constexpr int kAssemblyType = 1;

// How an older call's negative result reads.
enum class Kind {
  plain,   // -1
  create,  // -2: the object exists (-5)
  query,   // -2: nothing of that name (-4)
};

VynError translate(VynError result, Kind kind) {
  if (result >= 0) return VYN_TK_NO_ERROR;
  if (result == VYN_TK_BAD_INPUTS && kind == Kind::create) return VYN_TK_E_FOUND;
  if (result == VYN_TK_BAD_INPUTS && kind == Kind::query) return VYN_TK_E_NOT_FOUND;
  return VYN_TK_GENERAL_ERROR;
}

// Reports an older call (the error flag clear) and hands its result on.
VynError report(const char* function, const char* caller, VynError result) {
  VynTestCallReport(function, caller, result, 0);
  return result;
}

template <typename T>
VynWord word(T* pointer) {
  return reinterpret_cast<VynWord>(pointer);
}
VynWord word(int value) { return static_cast<VynWord>(value); }

// Words 0 and 17 of the object behind an assembly handle.
struct AssemblyWords {
  VynWord first = 0;
  VynWord seventeenth = 0;
};

// Reads them only from a handle the host answers as a live assembly: -2 otherwise.
VynError assembly_words(VynMdl assembly, AssemblyWords* words) {
  int type = 0;
  if (!assembly || VynMdlTypeGet(assembly, &type) != VYN_TK_NO_ERROR || type != kAssemblyType)
    return VYN_TK_BAD_INPUTS;
  const VynWord* object = reinterpret_cast<const VynWord*>(assembly);
  words->first = object[0];
  words->seventeenth = object[17];
  return VYN_TK_NO_ERROR;
}

void name_copy(VynWchar* to, const VynWchar* from) {
  std::memcpy(to, from, sizeof(VynName));
  to[31] = 0;
}

// A record's name from a caller's text: at most 31 characters, the rest cleared.
void name_set(VynWchar* to, const VynWchar* from) {
  std::memset(to, 0, sizeof(VynName));
  if (!from) return;
  int length = VynUtilWstrLen(from);
  if (length > 31) length = 31;
  std::memcpy(to, from, sizeof(VynWchar) * static_cast<std::size_t>(length));
}

// A new host array of n elements of size, or the allocation's status.
VynError array_new(int size, VynArray* array) {
  *array = nullptr;
  return VynArrayAlloc(0, size, 10, array);
}

void array_drop(VynArray* array) {
  if (*array) VynArrayFree(array);
  *array = nullptr;
}

// Cable records of the n names (the host's entries) of one assembly: the first failing
// id query drops the array and gives -1.
VynError cables_from_names(VynMdl assembly, const AssemblyWords& words, const VynName* names, int n,
                           const char* caller, VynArray* cables, int* count) {
  VynError status = array_new(static_cast<int>(sizeof(VynCblCable)), cables);
  if (status != VYN_TK_NO_ERROR) return status;
  for (int i = 0; i < n; ++i) {
    int id = -1;
    if (report("vyncbl_get_cable_id()", caller, vyncbl_get_cable_id(words.first, names[i], &id)) <
        0) {
      array_drop(cables);
      return VYN_TK_GENERAL_ERROR;
    }
    VynCblCable cable;
    VynCblCableInit(id, names[i], assembly, &cable);
    VynArrayObjectAdd(cables, -1, 1, &cable);
  }
  if (count) *count = n;
  return VYN_TK_NO_ERROR;
}

// Harness records of the n harness models of the host's list.
VynError harnesses_from_models(VynMdl assembly, const VynMdl* models, int n, VynArray* harnesses,
                               int* count) {
  VynError status = array_new(static_cast<int>(sizeof(VynCblHarness)), harnesses);
  if (status != VYN_TK_NO_ERROR) return status;
  for (int i = 0; i < n && models; ++i) {
    VynName name = {};
    VynMdlNameGet(models[i], name);
    VynCblHarness harness;
    VynCblHarnessInit(word(models[i]), name, word(assembly), &harness);
    VynArrayObjectAdd(harnesses, -1, 1, &harness);
  }
  if (count) *count = n;
  return VYN_TK_NO_ERROR;
}

// A host array of the names of cables (64-byte entries).
VynError names_of(const VynCblCable* cables, int n, VynArray* names) {
  VynError status = array_new(VYN_CBL_NAME_ENTRY, names);
  for (int i = 0; i < n && status == VYN_TK_NO_ERROR; ++i)
    status = VynArrayObjectAdd(names, -1, 1, cables[i].name);
  if (status != VYN_TK_NO_ERROR) array_drop(names);
  return status;
}

// Whether the -1-ended id table equals the path's table entry for entry.
// The host's table ends at its first -1: nothing past it is read, even where the path
// holds -1 itself. The path's length is 0 to VYN_ASMCOMPPATH_MAX (the caller checks).
bool same_table(const int* table, const VynAsmcomppath& path) {
  for (int i = 0; i < path.table_num; ++i)
    if (table[i] == -1 || table[i] != path.comp_id_table[i]) return false;
  return table[path.table_num] == -1;
}

// The connector tables of an assembly (the host's; count the result).
VynError connector_tables(const AssemblyWords& words, const char* caller, int*** tables) {
  *tables = nullptr;
  return report("vyncbl_get_assy_connectors()", caller,
                vyncbl_get_assy_connectors(words.first, words.seventeenth, word(tables), 0));
}

}  // namespace

// ---- Cables and bundles ---------------------------------------------------------------

VynError VynCblCableHarnessesGet(const VynCblCable* cable, VynArray* harnesses, int* count) {
  AssemblyWords words;
  if (!cable || !harnesses || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynMdl* models = nullptr;
  VynError n = report("vyncbl_get_wire_harnesses()", "VynCblCableHarnessesGet()",
                      vyncbl_get_wire_harnesses(words.first, cable->id, word(&models)));
  if (n < 0) return translate(n, Kind::plain);
  return harnesses_from_models(cable->owner, models, n, harnesses, count);
}

VynError VynCblCableLengthGet(const VynCblCable* cable, double* length) {
  AssemblyWords words;
  if (!cable || !length || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynError result = report("vyncbl_get_wire_length()", "VynCblCableLengthGet()",
                           vyncbl_get_wire_length(words.first, cable->id, word(length)));
  return result == 0 ? VYN_TK_GENERAL_ERROR : VYN_TK_NO_ERROR;
}

VynError VynCblCableInit(int id, const VynWchar* name, VynMdl assembly, VynCblCable* cable) {
  if (!cable) return VYN_TK_BAD_INPUTS;
  if (id == -1 && !name) return VYN_TK_BAD_INPUTS;
  AssemblyWords words;
  bool need_host = id == -1 || !name;
  if (need_host && assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynError last = VYN_TK_NO_ERROR;
  if (id != -1) {
    cable->id = id;
  } else {
    last = report("vyncbl_get_cable_id()", "VynCblCableInit()",
                  vyncbl_get_cable_id(words.first, name, &cable->id));
  }
  if (!name) {
    VynName fetched = {};
    last = report("vyncbl_get_cable_name()", "VynCblCableInit()",
                  vyncbl_get_cable_name(words.first, cable->id, fetched));
    name_copy(cable->name, fetched);
  } else {
    name_set(cable->name, name);
  }
  cable->owner = assembly;
  return last < 0 ? VYN_TK_GENERAL_ERROR : VYN_TK_NO_ERROR;
}

VynError VynCblCableNameGet(const VynCblCable* cable, VynWchar* name) {
  if (!cable || !name) return VYN_TK_BAD_INPUTS;
  name_copy(name, cable->name);
  return VYN_TK_NO_ERROR;
}

VynError VynCblCableIdGet(const VynCblCable* cable, int* id) {
  if (!cable || !id) return VYN_TK_BAD_INPUTS;
  *id = cable->id;
  return VYN_TK_NO_ERROR;
}

VynError VynCblCableTypeGet(const VynCblCable* cable, int* type) {
  AssemblyWords words;
  if (!cable || !type || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cable_subtype()", "VynCblCableTypeGet()",
                          vyncbl_get_cable_subtype(words.first, cable->id, word(type))),
                   Kind::plain);
}

VynError VynCblCableCreate(VynMdl assembly, const VynCblSpool* spool, const VynWchar* name,
                           VynCblCable* cable) {
  AssemblyWords words;
  if (!spool || !name || !cable || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynName spool_name = {};
  VynCblSpoolNameGet(spool, spool_name);
  int id = -1;
  VynError result = report(
      "vyncbl_create_cable()", "VynCblCableCreate()",
      vyncbl_create_cable(words.first, words.seventeenth, word(spool_name), word(name), word(&id)));
  if (result < 0) return translate(result, Kind::create);
  return VynCblCableInit(id, name, assembly, cable);
}

VynError VynCblBundleCreate(VynMdl assembly, const VynCblSpool* spool, const VynWchar* name,
                            int cable_count, const VynCblCable* cables, int flag,
                            VynCblCable* bundle) {
  AssemblyWords words;
  if (!spool || !name || !bundle || cable_count < 0 || (cable_count > 0 && !cables) ||
      assembly_words(assembly, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  VynArray names = nullptr;
  VynError status = names_of(cables, cable_count, &names);
  if (status != VYN_TK_NO_ERROR) return status;
  VynName spool_name = {};
  VynCblSpoolNameGet(spool, spool_name);
  int id = -1;
  VynError result =
      report("vyncbl_create_bundle()", "VynCblBundleCreate()",
             vyncbl_create_bundle(words.first, words.seventeenth, word(spool_name), word(name),
                                  word(cable_count), word(names), word(flag), word(&id)));
  array_drop(&names);
  if (result < 0) return translate(result, Kind::create);
  return VynCblCableInit(id, nullptr, assembly, bundle);
}

VynError VynCblBundleCablesGet(const VynCblCable* bundle, int level, VynArray* cables, int* count) {
  AssemblyWords words;
  if (!bundle || !cables || assembly_words(bundle->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  const VynName* names = nullptr;
  VynError n = report("vyncbl_get_bundle_cables()", "VynCblBundleCablesGet()",
                      vyncbl_get_bundle_cables(words.first, words.seventeenth, word(bundle->id),
                                               word(level), word(&names)));
  if (n < 0) return translate(n, Kind::plain);
  return cables_from_names(bundle->owner, words, names, names ? n : 0, "VynCblBundleCablesGet()",
                           cables, count);
}

VynError VynCblCableParameterGet(const VynCblCable* cable, const VynWchar* name, void* param) {
  AssemblyWords words;
  if (!cable || !name || !param || assembly_words(cable->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cable_param()", "VynCblCableParameterGet()",
                          vyncbl_get_cable_param(words.first, words.seventeenth, word(cable->id),
                                                 word(name), word(param))),
                   Kind::query);
}

VynError VynCblCableParameterDelete(const VynCblCable* cable, const VynWchar* name) {
  AssemblyWords words;
  if (!cable || !name || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_delete_cable_param()", "VynCblCableParameterDelete()",
                          vyncbl_delete_cable_param(words.first, words.seventeenth, word(cable->id),
                                                    word(name))),
                   Kind::query);
}

VynError VynCblCableParametersGet(const VynCblCable* cable, VynArray* params) {
  AssemblyWords words;
  if (!cable || !params || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cable_params()", "VynCblCableParametersGet()",
                          vyncbl_get_cable_params(words.first, words.seventeenth, word(cable->id),
                                                  word(params))),
                   Kind::query);
}

VynError VynCblCableParametersSet(const VynCblCable* cable, VynArray params) {
  AssemblyWords words;
  int n = 0;
  if (!cable || !params || assembly_words(cable->owner, &words) != 0 ||
      VynArraySizeGet(params, &n) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_set_cable_params()", "VynCblCableParametersSet()",
                          vyncbl_set_cable_params(words.first, words.seventeenth, word(cable->id),
                                                  word(params), word(n))),
                   Kind::plain);
}

VynError VynCblCableLogicalEndsGet(const VynCblCable* cable, VynCblLogicalEnd* ends) {
  AssemblyWords words;
  if (!cable || !ends || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cable_logical_ends()", "VynCblCableLogicalEndsGet()",
                          vyncbl_get_cable_logical_ends(words.first, words.seventeenth,
                                                        word(cable->id), word(ends))),
                   Kind::query);
}

VynError VynCblCablesFromLogicalCreate(VynMdl assembly, int count, const VynName* names) {
  AssemblyWords words;
  if (!names || count < 0 || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_create_cables_from_logical()", "VynCblCablesFromLogicalCreate()",
                          vyncbl_create_cables_from_logical(words.first, words.seventeenth,
                                                            word(count), word(names))),
                   Kind::create);
}

VynError VynCblCablesFromLogicalGet(VynMdl assembly, VynArray* names) {
  AssemblyWords words;
  if (!names || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cables_from_logical()", "VynCblCablesFromLogicalGet()",
                          vyncbl_get_cables_from_logical(words.first, word(names))),
                   Kind::plain);
}

VynError VynCblCableLocationsGet(const VynCblCable* cable, VynArray* ids, int* count) {
  AssemblyWords words;
  if (!cable || !ids || !count || assembly_words(cable->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cable_locations()", "VynCblCableLocationsGet()",
                          vyncbl_get_cable_locations(words.first, words.seventeenth,
                                                     word(cable->id), word(ids), word(count))),
                   Kind::plain);
}

VynError VynCblLocationCablesGet(VynMdl assembly, int location, VynArray* cables, int* count) {
  AssemblyWords words;
  if (!cables || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  const VynName* names = nullptr;
  VynError n = report(
      "vyncbl_get_location_cables()", "VynCblLocationCablesGet()",
      vyncbl_get_location_cables(words.first, words.seventeenth, word(location), word(&names)));
  if (n < 0) return translate(n, Kind::plain);
  return cables_from_names(assembly, words, names, names ? n : 0, "VynCblLocationCablesGet()",
                           cables, count);
}

VynError VynCblCableGeomGet(const VynCblCable* cable, VynArray* geometry) {
  AssemblyWords words;
  if (!cable || !geometry || assembly_words(cable->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_cable_geom()", "VynCblCableGeomGet()",
                          vyncbl_get_cable_geom(words.first, word(cable->id), word(geometry))),
                   Kind::plain);
}

VynError VynCblCableClearance(const VynCblCable* cable, VynSelection item, double* distance) {
  AssemblyWords words;
  if (!cable || !item || !distance || assembly_words(cable->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_cable_clearance()", "VynCblCableClearance()",
             vyncbl_cable_clearance(words.first, word(cable->id), word(item), word(distance))),
      Kind::plain);
}

// ---- Connectors -----------------------------------------------------------------------

VynError VynCblConnectorInit(const VynAsmcomppath* path, VynCblConnector* connector) {
  AssemblyWords words;
  if (!path || !connector || path->table_num < 0 || path->table_num > VYN_ASMCOMPPATH_MAX ||
      assembly_words(path->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  *connector = *path;
  int** tables = nullptr;
  VynError n = connector_tables(words, "VynCblConnectorInit()", &tables);
  if (n < 0) return translate(n, Kind::plain);
  bool found = false;
  for (int i = 0; i < n && tables && !found; ++i) found = tables[i] && same_table(tables[i], *path);
  if (tables)
    report("vyn_release_memb_id_tab()", "VynCblConnectorInit()",
           vyn_release_memb_id_tab(word(tables)));
  return found ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

VynError VynCblConnectorParameterGet(const VynCblConnector* connector, const VynWchar* name,
                                     void* param) {
  AssemblyWords words;
  if (!connector || !name || !param || assembly_words(connector->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_get_connector_param()", "VynCblConnectorParameterGet()",
             vyncbl_get_connector_param(words.first, words.seventeenth,
                                        word(connector->comp_id_table), word(name), word(param))),
      Kind::query);
}

VynError VynCblConnectorParameterDelete(const VynCblConnector* connector, const VynWchar* name) {
  AssemblyWords words;
  if (!connector || !name || assembly_words(connector->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_delete_connector_param()", "VynCblConnectorParameterDelete()",
             vyncbl_delete_connector_param(words.first, words.seventeenth,
                                           word(connector->comp_id_table), word(name))),
      Kind::query);
}

VynError VynCblConnectorParametersGet(const VynCblConnector* connector, VynArray* params) {
  AssemblyWords words;
  if (!connector || !params || assembly_words(connector->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_get_connector_params()", "VynCblConnectorParametersGet()",
             vyncbl_get_connector_params(words.first, words.seventeenth,
                                         word(connector->comp_id_table), word(params))),
      Kind::query);
}

VynError VynCblConnectorParametersSet(const VynCblConnector* connector, VynArray params) {
  AssemblyWords words;
  int n = 0;
  if (!connector || !params || assembly_words(connector->owner, &words) != 0 ||
      VynArraySizeGet(params, &n) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_set_connector_params()", "VynCblConnectorParametersSet()",
             vyncbl_set_connector_params(words.first, words.seventeenth,
                                         word(connector->comp_id_table), word(params), word(n))),
      Kind::plain);
}

VynError VynCblConnectorFromLogical(VynMdl assembly, VynArray* names) {
  AssemblyWords words;
  if (!names || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_connectors_from_logical()", "VynCblConnectorFromLogical()",
                          vyncbl_get_connectors_from_logical(words.first, word(names))),
                   Kind::plain);
}

VynError VynCblAssemblyConnectorsGet(VynMdl assembly, VynArray* connectors, int* count) {
  AssemblyWords words;
  if (!connectors || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  int** tables = nullptr;
  VynError n = connector_tables(words, "VynCblAssemblyConnectorsGet()", &tables);
  if (n < 0) return translate(n, Kind::plain);
  VynError status = array_new(static_cast<int>(sizeof(VynCblConnector)), connectors);
  for (int i = 0; i < n && tables && status == VYN_TK_NO_ERROR; ++i) {
    VynCblConnector connector;
    std::memset(&connector, 0, sizeof connector);
    connector.owner = assembly;
    int length = 0;
    // A table longer than a path holds is cut to the path's 25 entries.
    while (tables[i] && length < VYN_ASMCOMPPATH_MAX && tables[i][length] != -1) {
      connector.comp_id_table[length] = tables[i][length];
      ++length;
    }
    if (length < VYN_ASMCOMPPATH_MAX) connector.comp_id_table[length] = -1;
    connector.table_num = length;
    status = VynArrayObjectAdd(connectors, -1, 1, &connector);
  }
  if (tables)
    report("vyn_release_memb_id_tab()", "VynCblAssemblyConnectorsGet()",
           vyn_release_memb_id_tab(word(tables)));
  if (status != VYN_TK_NO_ERROR) {
    array_drop(connectors);
    return status;
  }
  if (count) *count = n;
  return VYN_TK_NO_ERROR;
}

VynError VynCblConnectorDesignate(const VynCblConnector* connector) {
  AssemblyWords words;
  if (!connector || assembly_words(connector->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_designate_connector()", "VynCblConnectorDesignate()",
                          vyncbl_designate_connector(words.first, words.seventeenth,
                                                     word(connector->comp_id_table),
                                                     word(connector->table_num))),
                   Kind::plain);
}

VynError VynCblConnectorUndesignate(const VynCblConnector* connector) {
  AssemblyWords words;
  if (!connector || assembly_words(connector->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_undesignate_connector()", "VynCblConnectorUndesignate()",
                          vyncbl_undesignate_connector(words.first, words.seventeenth,
                                                       word(connector->comp_id_table))),
                   Kind::plain);
}

VynError VynCblConnectorEntryPortsGet(const VynCblConnector* connector, VynArray* ports) {
  AssemblyWords words;
  if (!connector || !ports || assembly_words(connector->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_connector_entry_ports()", "VynCblConnectorEntryPortsGet()",
                          vyncbl_get_connector_entry_ports(
                              words.first, words.seventeenth, word(connector->comp_id_table),
                              word(connector->table_num), word(ports))),
                   Kind::plain);
}

// ---- Harnesses ------------------------------------------------------------------------

VynError VynCblAssemblyHarnessesGet(VynMdl assembly, VynArray* harnesses, int* count) {
  AssemblyWords words;
  if (!harnesses || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynMdl* models = nullptr;
  VynError n = report("vyncbl_get_assy_harnesses()", "VynCblAssemblyHarnessesGet()",
                      vyncbl_get_assy_harnesses(words.first, words.seventeenth, word(&models)));
  if (n < 0) return translate(n, Kind::plain);
  return harnesses_from_models(assembly, models, n, harnesses, count);
}

VynError VynCblHarnessInit(VynWord handle, const VynWchar* name, VynWord owner,
                           VynCblHarness* harness) {
  if (!name || !harness) return VYN_TK_BAD_INPUTS;
  harness->handle = handle;
  name_set(harness->name, name);
  harness->owner = owner;
  return VYN_TK_NO_ERROR;
}

VynError VynCblHarnessCreate(VynMdl assembly, const VynWchar* name, VynCblHarness* harness) {
  AssemblyWords words;
  if (!name || !harness || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynWord handle = 0;
  VynError result = report("vyncbl_create_harness()", "VynCblHarnessCreate()",
                           vyncbl_create_harness(words.first, word(name), word(&handle)));
  if (result < 0) return translate(result, Kind::create);
  return VynCblHarnessInit(handle, name, word(assembly), harness);
}

VynError VynCblHarnessNameGet(const VynCblHarness* harness, VynWchar* name) {
  if (!harness || !name) return VYN_TK_BAD_INPUTS;
  name_copy(name, harness->name);
  return VYN_TK_NO_ERROR;
}

VynError VynCblHarnessCablesGet(const VynCblHarness* harness, VynArray* cables, int* count) {
  AssemblyWords words;
  VynMdl assembly = harness ? reinterpret_cast<VynMdl>(harness->owner) : nullptr;
  if (!harness || !cables || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  const VynName* names = nullptr;
  VynError n = report("vyncbl_get_harness_cables()", "VynCblHarnessCablesGet()",
                      vyncbl_get_harness_cables(harness->handle, word(&names), 0));
  if (n < 0) return translate(n, Kind::plain);
  return cables_from_names(assembly, words, names, names ? n : 0, "VynCblHarnessCablesGet()",
                           cables, count);
}

VynError VynCblHarnessLocationsGet(const VynCblHarness* harness, VynArray* ids, int* count) {
  if (!harness || !ids || !count) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_harness_locations()", "VynCblHarnessLocationsGet()",
                          vyncbl_get_harness_locations(harness->handle, word(ids), word(count), 0)),
                   Kind::plain);
}

VynError VynCblHarnessLocationTypeGet(const VynCblHarness* harness, int location, int* type) {
  if (!harness || !type) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_location_type()", "VynCblHarnessLocationTypeGet()",
                          vyncbl_get_location_type(harness->handle, word(location), word(type))),
                   Kind::plain);
}

VynError VynCblHarnessLocationPntGet(const VynCblHarness* harness, int location, double* point) {
  if (!harness || !point) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_location_pnt()", "VynCblHarnessLocationPntGet()",
                          vyncbl_get_location_pnt(harness->handle, word(location), word(point))),
                   Kind::plain);
}

// ---- Spools ---------------------------------------------------------------------------

VynError VynCblAssemblySpoolsGet(VynMdl assembly, VynArray* spools, int* count) {
  AssemblyWords words;
  if (!spools || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  const VynName* names = nullptr;
  VynError n = report("vyncbl_get_assy_spools()", "VynCblAssemblySpoolsGet()",
                      vyncbl_get_assy_spools(words.first, word(&names)));
  if (n < 0) return translate(n, Kind::plain);
  VynError status = array_new(static_cast<int>(sizeof(VynCblSpool)), spools);
  for (int i = 0; i < n && names && status == VYN_TK_NO_ERROR; ++i) {
    VynCblSpool spool;
    VynCblSpoolInit(assembly, names[i], &spool);
    status = VynArrayObjectAdd(spools, -1, 1, &spool);
  }
  if (status != VYN_TK_NO_ERROR) {
    array_drop(spools);
    return status;
  }
  if (count) *count = names ? n : 0;
  return VYN_TK_NO_ERROR;
}

VynError VynCblSpoolInit(VynMdl assembly, const VynWchar* name, VynCblSpool* spool) {
  if (!assembly || !spool) return VYN_TK_BAD_INPUTS;
  name_set(spool->name, name);
  spool->owner = assembly;
  return VYN_TK_NO_ERROR;
}

VynError VynCblSpoolNameGet(const VynCblSpool* spool, VynWchar* name) {
  if (!spool || !name) return VYN_TK_BAD_INPUTS;
  name_copy(name, spool->name);
  return VYN_TK_NO_ERROR;
}

VynError VynCblSpoolCreate(VynMdl assembly, const VynWchar* name, int type, VynCblSpool* spool) {
  AssemblyWords words;
  if (!name || !spool || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynError result =
      report("vyncbl_create_spool()", "VynCblSpoolCreate()",
             vyncbl_create_spool(words.first, words.seventeenth, word(name), word(type)));
  if (result < 0) return translate(result, Kind::create);
  return VynCblSpoolInit(assembly, name, spool);
}

VynError VynCblSpoolParametersGet(const VynCblSpool* spool, VynArray* params) {
  AssemblyWords words;
  if (!spool || !params || assembly_words(spool->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_spool_params()", "VynCblSpoolParametersGet()",
                          vyncbl_get_spool_params(words.first, word(spool->name), word(params))),
                   Kind::query);
}

VynError VynCblSpoolParameterGet(const VynCblSpool* spool, const VynWchar* name, void* param) {
  AssemblyWords words;
  if (!spool || !name || !param || assembly_words(spool->owner, &words) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_get_spool_param()", "VynCblSpoolParameterGet()",
             vyncbl_get_spool_param(words.first, word(spool->name), word(name), word(param))),
      Kind::query);
}

VynError VynCblSpoolParametersSet(const VynCblSpool* spool, VynArray params) {
  AssemblyWords words;
  int n = 0;
  if (!spool || !params || assembly_words(spool->owner, &words) != 0 ||
      VynArraySizeGet(params, &n) != 0)
    return VYN_TK_BAD_INPUTS;
  return translate(
      report("vyncbl_set_spool_params()", "VynCblSpoolParametersSet()",
             vyncbl_set_spool_params(words.first, word(spool->name), word(params), word(n))),
      Kind::plain);
}

VynError VynCblSpoolParameterDelete(const VynCblSpool* spool, const VynWchar* name) {
  AssemblyWords words;
  if (!spool || !name || assembly_words(spool->owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_delete_spool_param()", "VynCblSpoolParameterDelete()",
                          vyncbl_delete_spool_param(words.first, word(spool->name), word(name))),
                   Kind::query);
}

VynError VynCblSpoolFromLogicalGet(VynMdl assembly, VynArray* names) {
  AssemblyWords words;
  if (!names || assembly_words(assembly, &words) != 0) return VYN_TK_BAD_INPUTS;
  return translate(report("vyncbl_get_spools_from_logical()", "VynCblSpoolFromLogicalGet()",
                          vyncbl_get_spools_from_logical(words.first, word(names))),
                   Kind::plain);
}

VynError VynCblSpoolFromLogicalCreate(VynMdl assembly, VynArray names, VynArray* spools) {
  AssemblyWords words;
  int n = 0;
  if (!names || !spools || assembly_words(assembly, &words) != 0 || VynArraySizeGet(names, &n) != 0)
    return VYN_TK_BAD_INPUTS;
  VynError result =
      report("vyncbl_create_spools_from_logical()", "VynCblSpoolFromLogicalCreate()",
             vyncbl_create_spools_from_logical(words.first, words.seventeenth, word(names)));
  if (result < 0) return translate(result, Kind::create);
  VynError status = array_new(static_cast<int>(sizeof(VynCblSpool)), spools);
  const VynName* entries = static_cast<const VynName*>(names);
  for (int i = 0; i < n && status == VYN_TK_NO_ERROR; ++i) {
    VynCblSpool spool;
    VynCblSpoolInit(assembly, entries[i], &spool);
    status = VynArrayObjectAdd(spools, -1, 1, &spool);
  }
  if (status != VYN_TK_NO_ERROR) array_drop(spools);
  return status;
}

// ---- Routing --------------------------------------------------------------------------

VynError VynCblRoutingStart(VynArray cables, VynWord* routing) {
  int n = 0;
  if (!cables || !routing || VynArraySizeGet(cables, &n) != 0 || n < 1) return VYN_TK_BAD_INPUTS;
  const VynCblCable* list = static_cast<const VynCblCable*>(cables);
  AssemblyWords words;
  if (assembly_words(list[0].owner, &words) != 0) return VYN_TK_BAD_INPUTS;
  VynArray names = nullptr;
  VynError status = names_of(list, n, &names);
  if (status != VYN_TK_NO_ERROR) return status;
  VynError result = report(
      "vyncbl_routing_start()", "VynCblRoutingStart()",
      vyncbl_routing_start(words.first, words.seventeenth, word(names), word(n), word(routing)));
  array_drop(&names);
  return translate(result, Kind::plain);
}

VynError VynCblRouteThruLocation(VynWord routing, int location, VynWord word1, VynWord word2) {
  return translate(report("vyncbl_route_thru_location()", "VynCblRouteThruLocation()",
                          vyncbl_route_thru_location(routing, word(location), word1, word2)),
                   Kind::plain);
}

VynError VynCblRoutingEnd(VynWord routing) {
  VynError result =
      report("vyncbl_routing_end()", "VynCblRoutingEnd()", vyncbl_routing_end(routing));
  return result != 0 ? VYN_TK_GENERAL_ERROR : VYN_TK_NO_ERROR;
}
