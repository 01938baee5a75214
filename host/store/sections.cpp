// The store of sections and section error lists, and the section functions of the host.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/store/model_store.h"
#include "host/store/sections.h"
#include "host/display/selection.h"

struct VynSectionRecord {};
struct VynSecerrorRecord {};

namespace yrlhost {
namespace {

// Handles are numbers in ranges of their own, far from any address the process uses.
constexpr std::uintptr_t section_handle_base = 0x5e000000;
constexpr std::uintptr_t secerror_handle_base = 0x5f000000;

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

SectionData* find_section(VynSection section) {
  auto found = store().sections.find(reinterpret_cast<std::uintptr_t>(section));
  return found == store().sections.end() ? nullptr : &found->second;
}

std::vector<SectionError>* find_errors(VynSecerror errors) {
  auto found = store().error_lists.find(reinterpret_cast<std::uintptr_t>(errors));
  return found == store().error_lists.end() ? nullptr : &found->second;
}

bool finite_all(std::initializer_list<double> numbers) {
  return std::all_of(numbers.begin(), numbers.end(), [](double x) { return std::isfinite(x); });
}

Vyn2dEntity record_from_line(int type, const geom::Vec2& start, const geom::Vec2& end) {
  Vyn2dEntity record{};
  record.type = type;
  record.start[0] = start[0];
  record.start[1] = start[1];
  record.end[0] = end[0];
  record.end[1] = end[1];
  return record;
}

int entity_add(SectionData& data, const Vyn2dEntity& record) {
  int id = data.next_id++;
  data.entities.emplace(id, std::make_unique<Vyn2dEntity>(record));
  return id;
}

}  // namespace

VynSection section_new(const geom::Frame& frame, bool open) {
  if (!geom::frame_valid(frame)) return nullptr;
  std::uintptr_t key = section_handle_base + 16 * store().next_section_serial++;
  SectionData& data = store().sections[key];
  data.frame = frame;
  data.open = open;
  return reinterpret_cast<VynSection>(key);
}

VynSection section_copy(VynSection section) {
  const SectionData* from = find_section(section);
  if (!from) return nullptr;
  VynSection made = section_new(from->frame, from->open);
  SectionData& to = *find_section(made);
  to.epsilon = from->epsilon;
  to.next_id = from->next_id;
  for (const auto& [id, record] : from->entities) to.entities[id] = std::make_unique<Vyn2dEntity>(*record);
  return made;
}

bool section_live(VynSection section) { return find_section(section) != nullptr; }

bool section_open(VynSection section) {
  const SectionData* data = find_section(section);
  return data && data->open;
}

void section_open_set(VynSection section, bool open) {
  if (SectionData* data = find_section(section)) data->open = open;
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
  SectionData* data = find_section(section);
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
  SectionData* data = find_section(section);
  if (!data || !geom::frame_valid(frame)) return false;
  data->frame = frame;
  return true;
}

Vyn2dEntity section_record(const geom::SectionEntity& entity) {
  Vyn2dEntity record{};
  switch (entity.kind) {
    case geom::EntityKind::point: return record_from_line(VYN_2D_POINT, entity.start, {0, 0});
    case geom::EntityKind::line: return record_from_line(VYN_2D_LINE, entity.start, entity.end);
    case geom::EntityKind::centerline: return record_from_line(VYN_2D_CENTERLINE, entity.start, entity.end);
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
  SectionData* data = find_section(section);
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

// ---- Host functions ------------------------------------------------------------------

VynError Behaviour<HostApi::VynSectionEntityAdd>::run(int, VynSection section,
                                                      const Vyn2dEntity* entity, int* id) {
  SectionData* data = find_section(section);
  geom::SectionEntity checked;
  if (!data || !entity || !id || !section_entity_from_record(*entity, checked))
    return VYN_TK_BAD_INPUTS;
  *id = entity_add(*data, *entity);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEntityDelete>::run(int, VynSection section, int id) {
  SectionData* data = find_section(section);
  if (!data) return VYN_TK_BAD_INPUTS;
  return data->entities.erase(id) == 1 ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

VynError Behaviour<HostApi::VynSectionEntityGet>::run(int, VynSection section, int id,
                                                      Vyn2dEntity** entity) {
  SectionData* data = find_section(section);
  if (!data || !entity) return VYN_TK_BAD_INPUTS;
  auto found = data->entities.find(id);
  if (found == data->entities.end()) return VYN_TK_E_NOT_FOUND;
  *entity = found->second.get();
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEntityIdsGet>::run(int, VynSection section, VynArray* ids,
                                                         int* count) {
  SectionData* data = find_section(section);
  if (!data || !ids) return VYN_TK_BAD_INPUTS;
  std::vector<int> list;
  for (const auto& entry : data->entities) list.push_back(entry.first);
  VynError status = host_array_hand_out(list, ids);
  if (status == VYN_TK_NO_ERROR && count) *count = static_cast<int>(list.size());
  return status;
}

VynError Behaviour<HostApi::VynSectionEntityFromProjection>::run(int, VynSection section,
                                                                 VynSelection selection,
                                                                 int* id) {
  SectionData* data = find_section(section);
  if (!data || !id || !selection_is(selection)) return VYN_TK_BAD_INPUTS;
  const VynModelitem& item = selection->item;
  std::optional<HostPlane> plane;
  if (item.type == item_type_surface) {
    plane = host_surface_plane(item);
  } else if (StoredModel* model = stored_model(item.owner);
             model && item.type == item_type_feature) {
    StoredFeature* feature = stored_feature(*model, item.id);
    if (feature && feature->surfaces.size() == 1) plane = feature->surfaces.front().plane;
  }
  if (!plane) return VYN_TK_BAD_INPUTS;
  geom::Plane trace_plane{{plane->origin[0], plane->origin[1], plane->origin[2]},
                          {plane->e3[0], plane->e3[1], plane->e3[2]}};
  geom::Vec2 point{};
  geom::Vec2 direction{};
  if (!geom::plane_trace(data->frame, trace_plane, point, direction)) return VYN_TK_GENERAL_ERROR;
  // The trace's point nearest the sketch origin, and 500 either way from it.
  double along = -(point[0] * direction[0] + point[1] * direction[1]);
  geom::Vec2 middle{point[0] + along * direction[0], point[1] + along * direction[1]};
  constexpr double half_length = 500.0;
  *id = entity_add(*data, record_from_line(VYN_2D_CENTERLINE,
                                           {middle[0] - half_length * direction[0],
                                            middle[1] - half_length * direction[1]},
                                           {middle[0] + half_length * direction[0],
                                            middle[1] + half_length * direction[1]}));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEpsilonGet>::run(int, VynSection section,
                                                       double* epsilon) {
  SectionData* data = find_section(section);
  if (!data || !epsilon) return VYN_TK_BAD_INPUTS;
  *epsilon = data->epsilon;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEpsilonSet>::run(int, VynSection section, double epsilon) {
  SectionData* data = find_section(section);
  if (!data || !std::isfinite(epsilon) || epsilon <= 0) return VYN_TK_BAD_INPUTS;
  data->epsilon = epsilon;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionConstraintsIdsGet>::run(int, VynSection section,
                                                              VynArray* ids, int* count) {
  if (!find_section(section) || !ids) return VYN_TK_BAD_INPUTS;
  VynError status = host_array_hand_out(std::vector<int>{}, ids);
  if (status == VYN_TK_NO_ERROR && count) *count = 0;
  return status;
}

VynError Behaviour<HostApi::VynSectionConstraintDeny>::run(int, VynSection section, int) {
  return find_section(section) ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynSectionAutodim>::run(int, VynSection section,
                                                    VynSecerror* errors) {
  geom::Frame frame{};
  std::vector<geom::SectionEntity> entities;
  double epsilon = 0;
  std::vector<SectionError>* list = errors ? find_errors(*errors) : nullptr;
  if (!list || !section_read(section, frame, entities, epsilon)) return VYN_TK_BAD_INPUTS;
  list->clear();
  const bool open = section_open(section);
  for (const geom::SectionProblem& problem : geom::section_check(entities, epsilon))
    if (!open || problem.fault != geom::SectionFault::open_end)
      list->push_back({problem.entity, geom::section_fault_text(problem.fault)});
  return list->empty() ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

VynError Behaviour<HostApi::VynSectionLocationGet>::run(int, VynSection section,
                                                        double location[4][4]) {
  SectionData* data = find_section(section);
  if (!data || !location) return VYN_TK_BAD_INPUTS;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) location[row][column] = data->frame.m[row][column];
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionFree>::run(int, VynSection* section) {
  if (!section || !section_release(*section)) return VYN_TK_BAD_INPUTS;
  *section = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSecerrorAlloc>::run(int, VynSecerror* errors) {
  if (!errors) return VYN_TK_BAD_INPUTS;
  std::uintptr_t key = secerror_handle_base + 16 * store().next_secerror_serial++;
  store().error_lists[key];
  *errors = reinterpret_cast<VynSecerror>(key);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSecerrorCount>::run(int, VynSecerror* errors, int* count) {
  std::vector<SectionError>* list = errors ? find_errors(*errors) : nullptr;
  if (!list || !count) return VYN_TK_BAD_INPUTS;
  *count = static_cast<int>(list->size());
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSecerrorFree>::run(int, VynSecerror* errors) {
  if (!errors || store().error_lists.erase(reinterpret_cast<std::uintptr_t>(*errors)) != 1)
    return VYN_TK_BAD_INPUTS;
  *errors = nullptr;
  return VYN_TK_NO_ERROR;
}

namespace {

// The error at index of a live list; -2 for a bad list or output, -4 past the end.
VynError error_at(VynSecerror errors, int index, const void* out, const SectionError*& error) {
  std::vector<SectionError>* list = find_errors(errors);
  if (!list || !out) return VYN_TK_BAD_INPUTS;
  if (index < 0 || static_cast<std::size_t>(index) >= list->size()) return VYN_TK_E_NOT_FOUND;
  error = &(*list)[static_cast<std::size_t>(index)];
  return VYN_TK_NO_ERROR;
}

}  // namespace

VynError Behaviour<HostApi::VynSecerrorItemGet>::run(int, VynSecerror errors, int index,
                                                     int* id) {
  const SectionError* error = nullptr;
  VynError status = error_at(errors, index, id, error);
  if (status == VYN_TK_NO_ERROR) *id = error->entity;
  return status;
}

VynError Behaviour<HostApi::VynSecerrorMsgGet>::run(int, VynSecerror errors, int index,
                                                    VynWchar* message) {
  const SectionError* error = nullptr;
  VynError status = error_at(errors, index, message, error);
  if (status != VYN_TK_NO_ERROR) return status;
  constexpr std::size_t buffer_units = 260;
  std::u16string text = utf16_from_text(error->message);
  text.resize(std::min(text.size(), buffer_units - 1));
  std::copy(text.begin(), text.end(), message);
  message[text.size()] = 0;
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
