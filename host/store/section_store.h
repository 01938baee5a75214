// The records behind section and section error list handles, shared by the store
// (sections.cpp) and the host functions on them (host/api/section_api.cpp) only; every
// other module goes through host/store/sections.h.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/store/sections.h"

namespace yrlhost {

struct SectionData {
  geom::Frame frame{};
  double epsilon = section_epsilon_default;
  bool open = false;  // a datum curve's: may end anywhere
  int next_id = 1;
  // By id; each record stays at its address while the entity lives.
  std::map<int, std::unique_ptr<Vyn2dEntity>> entities;
};

struct SectionError {
  int entity = 0;
  std::string message;
};

// The live record a handle names; null for anything else (the handle is never read).
SectionData* section_data(VynSection section);
std::vector<SectionError>* section_error_list(VynSecerror errors);
// A new empty error list, with a handle never given out before.
VynSecerror section_error_list_new();
// Frees a live error list; false for anything else.
bool section_error_list_release(VynSecerror errors);

// The record of a point (at start), line or centerline of that type.
Vyn2dEntity section_line_record(int type, const geom::Vec2& start, const geom::Vec2& end);
// Adds a checked record as the section's entity of the next id; the id.
int section_entity_add(SectionData& data, const Vyn2dEntity& record);

}  // namespace yrlhost
