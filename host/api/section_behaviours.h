// Sections and section error lists: the host functions with behaviour (see
// host/api/host_behaviours.h; the store is in host/store/sections.h).
//
// A stale, foreign or null section or error list, or a null output, answers -2
// (VYN_TK_BAD_INPUTS) and nothing changes. An entity id the section does not hold answers
// -4 (VYN_TK_E_NOT_FOUND).
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// One specialisation per key; run has the row's signature (context id first).
#define YRL_SECTION_BEHAVIOUR(name, ...)   \
  template <>                              \
  struct Behaviour<HostApi::name> {        \
    static VynError run(int, __VA_ARGS__); \
  };

// ---- Entities ------------------------------------------------------------------------
// Adds a copy of the entity (Vyn2dEntity, toolkit/api/host_base_types.h) and gives its
// new id; -2 for an unknown type, a non-finite number or a radius not above 0 (a line of
// no length is kept: the solve names it).
YRL_SECTION_BEHAVIOUR(VynSectionEntityAdd, VynSection section, const Vyn2dEntity* entity,
                      int* id)
YRL_SECTION_BEHAVIOUR(VynSectionEntityDelete, VynSection section, int id)
// The entity as a record the section keeps: valid until the entity is deleted or the
// section freed; the plug-in does not free it.
YRL_SECTION_BEHAVIOUR(VynSectionEntityGet, VynSection section, int id, Vyn2dEntity** entity)
// A new VynArray of the entity ids (int) in id order; count may be null.
YRL_SECTION_BEHAVIOUR(VynSectionEntityIdsGet, VynSection section, VynArray* ids, int* count)
// Adds the line where a datum plane or a planar surface (a selection of the surface or of
// a datum plane feature) meets the sketch plane, as a centerline of length 1000 centred
// on the point of the trace nearest the sketch origin. -2 for a selection of anything
// else, -1 for a plane parallel to the sketch.
YRL_SECTION_BEHAVIOUR(VynSectionEntityFromProjection, VynSection section,
                      VynSelection selection, int* id)

// ---- Solving -------------------------------------------------------------------------
// The tolerance within which entity ends meet; set takes a finite number above 0.
YRL_SECTION_BEHAVIOUR(VynSectionEpsilonGet, VynSection section, double* epsilon)
YRL_SECTION_BEHAVIOUR(VynSectionEpsilonSet, VynSection section, double epsilon)
// The host keeps no dimensions or constraints of a section: the list of constraint ids
// is empty and every id answers -4 to deny.
YRL_SECTION_BEHAVIOUR(VynSectionConstraintsIdsGet, VynSection section, VynArray* ids,
                      int* count)
YRL_SECTION_BEHAVIOUR(VynSectionConstraintDeny, VynSection section, int constraint_id)
// Checks the profile entities (lines, arcs, circles) for closed loops and puts one error
// into the list (a live one, emptied first) for each fault: an entity of no length or
// radius, two entities that cross or touch away from a shared end (one error each), an
// end that meets no other or more than one. 0 with no errors (a section of only points
// and centerlines included), -1 with errors.
YRL_SECTION_BEHAVIOUR(VynSectionAutodim, VynSection section, VynSecerror* errors)
// The location of the sketch plane: rows 0, 1 and 2 are the sketch's u, v and normal
// directions in the model, row 3 its origin (the host's row-vector convention).
YRL_SECTION_BEHAVIOUR(VynSectionLocationGet, VynSection section, double location[4][4])
// Frees a section and nulls the variable.
YRL_SECTION_BEHAVIOUR(VynSectionFree, VynSection* section)

// ---- Error lists ---------------------------------------------------------------------
YRL_SECTION_BEHAVIOUR(VynSecerrorAlloc, VynSecerror* errors)
YRL_SECTION_BEHAVIOUR(VynSecerrorCount, VynSecerror* errors, int* count)
// Frees a list and nulls the variable.
YRL_SECTION_BEHAVIOUR(VynSecerrorFree, VynSecerror* errors)
// The entity id of error index (from 0); -4 past the end.
YRL_SECTION_BEHAVIOUR(VynSecerrorItemGet, VynSecerror errors, int index, int* id)
// The message of error index into a buffer of 260 wide characters, cut to fit.
YRL_SECTION_BEHAVIOUR(VynSecerrorMsgGet, VynSecerror errors, int index, VynWchar* message)

#undef YRL_SECTION_BEHAVIOUR

}  // namespace yrlhost
