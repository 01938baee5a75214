// The store of sections and section error lists (the section functions of the host are
// host/api/section_api.cpp).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "host/util/host_testing.h"
#include "host/store/section_store.h"

namespace yrlhost {
namespace {

// Handles are numbers in ranges of their own, far from any address the process uses.
constexpr std::uintptr_t section_handle_base = 0x5e000000;
constexpr std::uintptr_t secerror_handle_base = 0x5f000000;

struct SectionStore {
  std::unordered_map<std::uintptr_t, SectionData> sections;
  std::unordered_map<std::uintptr_t, std::vector<SectionError>> error_lists;
  std::uintptr_t next_section_serial = 1;
  std::uintptr_t next_secerror_serial = 1;
};

SectionStore& store() {
  static SectionStore sections;
  return sections;
}

bool finite_all(std::initializer_list<double> numbers) {
  return std::all_of(numbers.begin(), numbers.end(), [](double x) { return std::isfinite(x); });
}

}  // namespace

SectionData* section_data(VynSection section) {
  auto found = store().sections.find(reinterpret_cast<std::uintptr_t>(section));
  return found == store().sections.end() ? nullptr : &found->second;
}

std::vector<SectionError>* section_error_list(VynSecerror errors) {
  auto found = store().error_lists.find(reinterpret_cast<std::uintptr_t>(errors));
  return found == store().error_lists.end() ? nullptr : &found->second;
}

VynSecerror section_error_list_new() {
  std::uintptr_t key = secerror_handle_base + 16 * store().next_secerror_serial++;
  store().error_lists[key];
  return reinterpret_cast<VynSecerror>(key);
}

bool section_error_list_release(VynSecerror errors) {
  return store().error_lists.erase(reinterpret_cast<std::uintptr_t>(errors)) == 1;
}

Vyn2dEntity section_line_record(int type, const geom::Vec2& start, const geom::Vec2& end) {
  Vyn2dEntity record{};
  record.type = type;
  record.start[0] = start[0];
  record.start[1] = start[1];
  record.end[0] = end[0];
  record.end[1] = end[1];
  return record;
}

int section_entity_add(SectionData& data, const Vyn2dEntity& record) {
  int id = data.next_id++;
  data.entities.emplace(id, std::make_unique<Vyn2dEntity>(record));
  return id;
}

VynSection section_new(const geom::Frame& frame, bool open) {
  if (!geom::frame_valid(frame)) return nullptr;
  std::uintptr_t key = section_handle_base + 16 * store().next_section_serial++;
  SectionData& data = store().sections[key];
  data.frame = frame;
  data.open = open;
  return reinterpret_cast<VynSection>(key);
}

VynSection section_copy(VynSection section) {
  const SectionData* from = section_data(section);
  if (!from) return nullptr;
  VynSection made = section_new(from->frame, from->open);
  SectionData& to = *section_data(made);
  to.epsilon = from->epsilon;
  to.next_id = from->next_id;
  for (const auto& [id, record] : from->entities) to.entities[id] = std::make_unique<Vyn2dEntity>(*record);
  return made;
}

bool section_live(VynSection section) { return section_data(section) != nullptr; }

bool section_open(VynSection section) {
  const SectionData* data = section_data(section);
  return data && data->open;
}

void section_open_set(VynSection section, bool open) {
  if (SectionData* data = section_data(section)) data->open = open;
}

bool section_entity_from_record(const Vyn2dEntity& record, geom::SectionEntity& entity) {
  entity = geom::SectionEntity{};
  switch (record.type) {
    case VYN_2D_POINT:
      entity.kind = geom::EntityKind::point;
      entity.start = {record.start[0], record.start[1]};
      return finite_all({record.start[0], record.start[1]});
    case VYN_2D_LINE:
    case VYN_2D_CENTERLINE:
      entity.kind = record.type == VYN_2D_LINE ? geom::EntityKind::line : geom::EntityKind::centerline;
      entity.start = {record.start[0], record.start[1]};
      entity.end = {record.end[0], record.end[1]};
      return finite_all({record.start[0], record.start[1], record.end[0], record.end[1]});
    case VYN_2D_ARC:
      entity.kind = geom::EntityKind::arc;
      entity.start_angle = record.start_angle;
      entity.end_angle = record.end_angle;
      [[fallthrough]];
    case VYN_2D_CIRCLE:
      if (record.type == VYN_2D_CIRCLE) entity.kind = geom::EntityKind::circle;
      entity.center = {record.center[0], record.center[1]};
      entity.radius = record.radius;
      return finite_all({record.center[0], record.center[1], record.radius, record.start_angle,
                         record.end_angle}) &&
             record.radius > 0;
    default:
      return false;
  }
}

bool section_read(VynSection section, geom::Frame& frame,
                  std::vector<geom::SectionEntity>& entities, double& epsilon) {
  SectionData* data = section_data(section);
  if (!data) return false;
  frame = data->frame;
  epsilon = data->epsilon;
  entities.clear();
  for (const auto& [id, record] : data->entities) {
    geom::SectionEntity entity;
    section_entity_from_record(*record, entity);  // checked when added
    entity.id = id;
    entities.push_back(entity);
  }
  return true;
}

bool section_frame_set(VynSection section, const geom::Frame& frame) {
  SectionData* data = section_data(section);
  if (!data || !geom::frame_valid(frame)) return false;
  data->frame = frame;
  return true;
}

Vyn2dEntity section_record(const geom::SectionEntity& entity) {
  Vyn2dEntity record{};
  switch (entity.kind) {
    case geom::EntityKind::point: return section_line_record(VYN_2D_POINT, entity.start, {0, 0});
    case geom::EntityKind::line: return section_line_record(VYN_2D_LINE, entity.start, entity.end);
    case geom::EntityKind::centerline: return section_line_record(VYN_2D_CENTERLINE, entity.start, entity.end);
    case geom::EntityKind::arc:
    case geom::EntityKind::circle:
      record.type = entity.kind == geom::EntityKind::arc ? VYN_2D_ARC : VYN_2D_CIRCLE;
      record.center[0] = entity.center[0];
      record.center[1] = entity.center[1];
      record.radius = entity.radius;
      if (entity.kind == geom::EntityKind::arc) {
        record.start_angle = entity.start_angle;
        record.end_angle = entity.end_angle;
      }
      break;
  }
  return record;
}

bool section_entities_set(VynSection section, const std::vector<geom::SectionEntity>& entities) {
  SectionData* data = section_data(section);
  if (!data) return false;
  std::map<int, std::unique_ptr<Vyn2dEntity>> records;
  for (const geom::SectionEntity& entity : entities) {
    Vyn2dEntity record = section_record(entity);
    geom::SectionEntity checked;
    if (entity.id < 1 || records.count(entity.id) || !section_entity_from_record(record, checked))
      return false;
    records.emplace(entity.id, std::make_unique<Vyn2dEntity>(record));
  }
  data->next_id = std::max(data->next_id, records.empty() ? 1 : records.rbegin()->first + 1);
  data->entities = std::move(records);
  return true;
}

bool section_release(VynSection section) {
  return store().sections.erase(reinterpret_cast<std::uintptr_t>(section)) == 1;
}

SectionCounts section_counts() { return {store().sections.size(), store().error_lists.size()}; }

// Frees every section and error list and starts the handle numbers again.
void sections_testing_reset() { store() = SectionStore{}; }

}  // namespace yrlhost
