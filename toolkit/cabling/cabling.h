// The cabling functions: handle records, host arrays and statuses over the older-style
// cabling calls (vyncbl_), which take raw ids and names and answer counts or negative
// codes.
//
// The older calls name a cabling assembly by two words of the object behind its handle:
// word 0 and word 17. They are read only from a handle that the host answers as a live
// assembly (VynMdlTypeGet gives 1); any other handle gives -2 and is never read through.
//
// Each function checks its pointer arguments (-2), reports each older call with the error
// flag clear, and translates its result: a count, id or 0 is success (0); -2 from a
// create call is -5 (the object exists), from a parameter or logical-ends query -4; any
// other negative result is -1. Lists come back in host arrays that the caller frees.
//
// How the words of each older call are laid out is written beside each function.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// A cable or bundle: its id, its name and its cabling assembly.
struct VynCblCable {
  int id;
  VynName name;
  VynMdl owner;
};
// A harness: the host's handle, its name and the owning assembly (as a word).
struct VynCblHarness {
  VynWord handle;
  VynName name;
  VynWord owner;
};
// A spool: its name and its assembly.
struct VynCblSpool {
  VynName name;
  VynMdl owner;
};
// A connector: the component path of the connector's model.
typedef VynAsmcomppath VynCblConnector;
// One logical end of a cable: 58 words of the host's.
struct VynCblLogicalEnd {
  int words[58];
};
static_assert(sizeof(VynCblLogicalEnd) == 232);

// Cable and bundle names cross the older calls as entries of 32 wide characters.
constexpr int VYN_CBL_NAME_ENTRY = static_cast<int>(sizeof(VynName));

// ---- Cables and bundles ---------------------------------------------------------------

// vyncbl_get_wire_harnesses(word 0, cable id, &list): list, the host's, holds the count
// (the result) of harness model handles. harnesses gets a new array of VynCblHarness,
// each named by its model's name.
VynError VynCblCableHarnessesGet(const VynCblCable* cable, VynArray* harnesses, int* count);
// vyncbl_get_wire_length(word 0, cable id, &length): a zero result is a failure.
VynError VynCblCableLengthGet(const VynCblCable* cable, double* length);
// Fills cable: id -1 asks the id of name (vyncbl_get_cable_id, required then); a null
// name asks the name of the id (vyncbl_get_cable_name); -1 when the last call failed.
VynError VynCblCableInit(int id, const VynWchar* name, VynMdl assembly, VynCblCable* cable);
VynError VynCblCableNameGet(const VynCblCable* cable, VynWchar* name);
VynError VynCblCableIdGet(const VynCblCable* cable, int* id);
// vyncbl_get_cable_subtype(word 0, cable id, &type).
VynError VynCblCableTypeGet(const VynCblCable* cable, int* type);
// vyncbl_create_cable(word 0, word 17, spool name, name, &id), then VynCblCableInit; -5
// (cable untouched) when the cable exists.
VynError VynCblCableCreate(VynMdl assembly, const VynCblSpool* spool, const VynWchar* name,
                           VynCblCable* cable);
// vyncbl_create_bundle(word 0, word 17, spool name, name, count, names, flag, &id): names
// a host array of the cables' names; then VynCblCableInit by id.
VynError VynCblBundleCreate(VynMdl assembly, const VynCblSpool* spool, const VynWchar* name,
                            int cable_count, const VynCblCable* cables, int flag,
                            VynCblCable* bundle);
// vyncbl_get_bundle_cables(word 0, word 17, bundle id, level, &names): names, the host's,
// holds the count (the result) of name entries; each becomes a cable record by its id.
VynError VynCblBundleCablesGet(const VynCblCable* bundle, int level, VynArray* cables, int* count);
// Parameters (records of the host's): (word 0, word 17, cable id, ...).
VynError VynCblCableParameterGet(const VynCblCable* cable, const VynWchar* name, void* param);
VynError VynCblCableParameterDelete(const VynCblCable* cable, const VynWchar* name);
VynError VynCblCableParametersGet(const VynCblCable* cable, VynArray* params);
VynError VynCblCableParametersSet(const VynCblCable* cable, VynArray params);
// vyncbl_get_cable_logical_ends(word 0, word 17, cable id, ends): two records.
VynError VynCblCableLogicalEndsGet(const VynCblCable* cable, VynCblLogicalEnd* ends);
// vyncbl_create_cables_from_logical(word 0, word 17, count, names).
VynError VynCblCablesFromLogicalCreate(VynMdl assembly, int count, const VynName* names);
// vyncbl_get_cables_from_logical(word 0, &names): names a new host array of name entries.
VynError VynCblCablesFromLogicalGet(VynMdl assembly, VynArray* names);
// vyncbl_get_cable_locations(word 0, word 17, cable id, &ids, &count).
VynError VynCblCableLocationsGet(const VynCblCable* cable, VynArray* ids, int* count);
// vyncbl_get_location_cables(word 0, word 17, location, &names): as the bundle's cables.
VynError VynCblLocationCablesGet(VynMdl assembly, int location, VynArray* cables, int* count);
// vyncbl_get_cable_geom(word 0, cable id, &geometry).
VynError VynCblCableGeomGet(const VynCblCable* cable, VynArray* geometry);
// vyncbl_cable_clearance(word 0, cable id, item, &distance).
VynError VynCblCableClearance(const VynCblCable* cable, VynSelection item, double* distance);

// ---- Connectors -----------------------------------------------------------------------

// vyncbl_get_assy_connectors(word 0, word 17, &tables, 0) answers the count of the host's
// id tables (each ended by -1), released with vyn_release_memb_id_tab(tables).
// Copies path into connector, then -4 when no connector's table equals the path's.
VynError VynCblConnectorInit(const VynAsmcomppath* path, VynCblConnector* connector);
VynError VynCblConnectorParameterGet(const VynCblConnector* connector, const VynWchar* name,
                                     void* param);
VynError VynCblConnectorParameterDelete(const VynCblConnector* connector, const VynWchar* name);
VynError VynCblConnectorParametersGet(const VynCblConnector* connector, VynArray* params);
VynError VynCblConnectorParametersSet(const VynCblConnector* connector, VynArray params);
// vyncbl_get_connectors_from_logical(word 0, &names).
VynError VynCblConnectorFromLogical(VynMdl assembly, VynArray* names);
// Every connector of the assembly as a connector record, in a new host array.
VynError VynCblAssemblyConnectorsGet(VynMdl assembly, VynArray* connectors, int* count);
// vyncbl_designate_connector(word 0, word 17, ids, id count);
// vyncbl_undesignate_connector(word 0, word 17, ids).
VynError VynCblConnectorDesignate(const VynCblConnector* connector);
VynError VynCblConnectorUndesignate(const VynCblConnector* connector);
// vyncbl_get_connector_entry_ports(word 0, word 17, ids, id count, &ports).
VynError VynCblConnectorEntryPortsGet(const VynCblConnector* connector, VynArray* ports);

// ---- Harnesses ------------------------------------------------------------------------

// vyncbl_get_assy_harnesses(word 0, word 17, &list): as the cable's harnesses.
VynError VynCblAssemblyHarnessesGet(VynMdl assembly, VynArray* harnesses, int* count);
VynError VynCblHarnessInit(VynWord handle, const VynWchar* name, VynWord owner,
                           VynCblHarness* harness);
// vyncbl_create_harness(word 0, name, &handle); -5 when it exists.
VynError VynCblHarnessCreate(VynMdl assembly, const VynWchar* name, VynCblHarness* harness);
VynError VynCblHarnessNameGet(const VynCblHarness* harness, VynWchar* name);
// vyncbl_get_harness_cables(harness, &names, 0): as the bundle's cables, owned by the
// harness's assembly.
VynError VynCblHarnessCablesGet(const VynCblHarness* harness, VynArray* cables, int* count);
// vyncbl_get_harness_locations(harness, &ids, &count, 0).
VynError VynCblHarnessLocationsGet(const VynCblHarness* harness, VynArray* ids, int* count);
// vyncbl_get_location_type(harness, location, &type); vyncbl_get_location_pnt(harness,
// location, point).
VynError VynCblHarnessLocationTypeGet(const VynCblHarness* harness, int location, int* type);
VynError VynCblHarnessLocationPntGet(const VynCblHarness* harness, int location, double* point);

// ---- Spools ---------------------------------------------------------------------------

// vyncbl_get_assy_spools(word 0, &names): each name a spool record.
VynError VynCblAssemblySpoolsGet(VynMdl assembly, VynArray* spools, int* count);
VynError VynCblSpoolInit(VynMdl assembly, const VynWchar* name, VynCblSpool* spool);
VynError VynCblSpoolNameGet(const VynCblSpool* spool, VynWchar* name);
// vyncbl_create_spool(word 0, word 17, name, type); -5 when it exists.
VynError VynCblSpoolCreate(VynMdl assembly, const VynWchar* name, int type, VynCblSpool* spool);
// Parameters: (word 0, spool name, ...).
VynError VynCblSpoolParametersGet(const VynCblSpool* spool, VynArray* params);
VynError VynCblSpoolParameterGet(const VynCblSpool* spool, const VynWchar* name, void* param);
VynError VynCblSpoolParametersSet(const VynCblSpool* spool, VynArray params);
VynError VynCblSpoolParameterDelete(const VynCblSpool* spool, const VynWchar* name);
// vyncbl_get_spools_from_logical(word 0, &names).
VynError VynCblSpoolFromLogicalGet(VynMdl assembly, VynArray* names);
// vyncbl_create_spools_from_logical(word 0, word 17, names): then a spool record per name.
VynError VynCblSpoolFromLogicalCreate(VynMdl assembly, VynArray names, VynArray* spools);

// ---- Routing --------------------------------------------------------------------------

// vyncbl_routing_start(word 0, word 17, names, count, &routing): the cables (a host
// array of VynCblCable of one assembly) by name; the name array is freed after the call.
VynError VynCblRoutingStart(VynArray cables, VynWord* routing);
// vyncbl_route_thru_location(routing, location, word1, word2).
VynError VynCblRouteThruLocation(VynWord routing, int location, VynWord word1, VynWord word2);
// vyncbl_routing_end(routing): a nonzero result gives -1.
VynError VynCblRoutingEnd(VynWord routing);
