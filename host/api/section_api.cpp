// The section functions of the host: sections and section error lists (the store is
// host/store/sections.cpp).
#include <algorithm>
#include <cmath>
#include <string>

#include "host/api/host_behaviours.h"
#include "host/store/model_store.h"
#include "host/store/section_store.h"
#include "host/display/selection.h"
#include "host/util/host_arrays.h"

struct VynSectionRecord {};
struct VynSecerrorRecord {};

namespace yrlhost {

VynError Behaviour<HostApi::VynSectionEntityAdd>::run(int, VynSection section,
                                                      const Vyn2dEntity* entity, int* id) {
  SectionData* data = section_data(section);
  geom::SectionEntity checked;
  if (!data || !entity || !id || !section_entity_from_record(*entity, checked))
    return VYN_TK_BAD_INPUTS;
  *id = section_entity_add(*data, *entity);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEntityDelete>::run(int, VynSection section, int id) {
  SectionData* data = section_data(section);
  if (!data) return VYN_TK_BAD_INPUTS;
  return data->entities.erase(id) == 1 ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

VynError Behaviour<HostApi::VynSectionEntityGet>::run(int, VynSection section, int id,
                                                      Vyn2dEntity** entity) {
  SectionData* data = section_data(section);
  if (!data || !entity) return VYN_TK_BAD_INPUTS;
  auto found = data->entities.find(id);
  if (found == data->entities.end()) return VYN_TK_E_NOT_FOUND;
  *entity = found->second.get();
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEntityIdsGet>::run(int, VynSection section, VynArray* ids,
                                                         int* count) {
  SectionData* data = section_data(section);
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
  SectionData* data = section_data(section);
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
  *id = section_entity_add(*data, section_line_record(VYN_2D_CENTERLINE,
                                           {middle[0] - half_length * direction[0],
                                            middle[1] - half_length * direction[1]},
                                           {middle[0] + half_length * direction[0],
                                            middle[1] + half_length * direction[1]}));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEpsilonGet>::run(int, VynSection section,
                                                       double* epsilon) {
  SectionData* data = section_data(section);
  if (!data || !epsilon) return VYN_TK_BAD_INPUTS;
  *epsilon = data->epsilon;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionEpsilonSet>::run(int, VynSection section, double epsilon) {
  SectionData* data = section_data(section);
  if (!data || !std::isfinite(epsilon) || epsilon <= 0) return VYN_TK_BAD_INPUTS;
  data->epsilon = epsilon;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSectionConstraintsIdsGet>::run(int, VynSection section,
                                                              VynArray* ids, int* count) {
  if (!section_data(section) || !ids) return VYN_TK_BAD_INPUTS;
  VynError status = host_array_hand_out(std::vector<int>{}, ids);
  if (status == VYN_TK_NO_ERROR && count) *count = 0;
  return status;
}

VynError Behaviour<HostApi::VynSectionConstraintDeny>::run(int, VynSection section, int) {
  return section_data(section) ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynSectionAutodim>::run(int, VynSection section,
                                                    VynSecerror* errors) {
  geom::Frame frame{};
  std::vector<geom::SectionEntity> entities;
  double epsilon = 0;
  std::vector<SectionError>* list = errors ? section_error_list(*errors) : nullptr;
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
  SectionData* data = section_data(section);
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
  *errors = section_error_list_new();
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSecerrorCount>::run(int, VynSecerror* errors, int* count) {
  std::vector<SectionError>* list = errors ? section_error_list(*errors) : nullptr;
  if (!list || !count) return VYN_TK_BAD_INPUTS;
  *count = static_cast<int>(list->size());
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSecerrorFree>::run(int, VynSecerror* errors) {
  if (!errors || !section_error_list_release(*errors))
    return VYN_TK_BAD_INPUTS;
  *errors = nullptr;
  return VYN_TK_NO_ERROR;
}

namespace {

// The error at index of a live list; -2 for a bad list or output, -4 past the end.
VynError error_at(VynSecerror errors, int index, const void* out, const SectionError*& error) {
  std::vector<SectionError>* list = section_error_list(errors);
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
