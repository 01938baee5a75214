// The sections (2-D sketches) of sketched features and the error lists of their solves:
// the store behind VynSection and VynSecerror, and how the host's own modules make and
// read sections (the feature builder makes a feature's section and reads its entities).
//
// Handles are numbers in ranges of their own, never addresses: a handle names its section
// or error list until it is freed and never names another one after, so a stale, foreign
// or twice-freed handle is told apart (and answers -2 at the API).
//
// A section lies on a sketch frame (host/geometry/geometry.h); its entities get ids 1, 2, ... in
// the order they are added, and a deleted entity's id is never given again.
#pragma once

#include <vector>

#include "host/geometry/geometry.h"
#include "toolkit/api/host_types.h"

namespace yrlhost {

// The tolerance a new section has: ends closer than it meet.
inline constexpr double section_epsilon_default = 1e-6;

// A new empty section on a sketch frame; null for a frame that is not valid. An open
// section (a datum curve's) may end anywhere: its autodimensioning does not count ends
// that meet nothing as faults.
VynSection section_new(const geom::Frame& frame, bool open = false);
// A new section with everything of a live one (frame, tolerance, openness, entities and
// their ids, the next id); null for what is no live section.
VynSection section_copy(VynSection section);
bool section_live(VynSection section);
bool section_open(VynSection section);
void section_open_set(VynSection section, bool open);
// The section's frame and its entities in id order; false for what is no live section.
bool section_read(VynSection section, geom::Frame& frame,
                  std::vector<geom::SectionEntity>& entities, double& epsilon);
// The plug-in's record of an entity (the fields of its kind only).
Vyn2dEntity section_record(const geom::SectionEntity& entity);
// Moves a live section onto another frame (its entities keep their sketch coordinates);
// false for what is no live section or a frame that is not valid.
bool section_frame_set(VynSection section, const geom::Frame& frame);
// Makes the entities (with their ids, each 1 or more and unique) a live section's only
// ones; later entities get ids above them. False, and nothing changes, for what is no live
// section or entities that break those rules.
bool section_entities_set(VynSection section, const std::vector<geom::SectionEntity>& entities);
// Frees a live section; false for anything else.
bool section_release(VynSection section);

// The entity of a plug-in record, after its checks (known type, finite numbers, a
// positive radius for arcs and circles); false for anything else.
bool section_entity_from_record(const Vyn2dEntity& record, geom::SectionEntity& entity);

// How many sections and error lists are live (for tests: what the plug-in leaves).
struct SectionCounts {
  std::size_t sections = 0;
  std::size_t error_lists = 0;
};
SectionCounts section_counts();

}  // namespace yrlhost
