// The models module's own store, shared by its source files: the session's models with
// their features, surfaces and parameters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/models.h"
#include "host/utf16.h"
#include "toolkit/local/paramdata.h"

namespace yrlhost {

struct StoredSurface {
  VynSurface handle = nullptr;
  int id = 0;
  HostPlane plane{};
  double uv_min[2] = {-250.0, -250.0};
  double uv_max[2] = {250.0, 250.0};
};

struct StoredFeature {
  int id = 0;
  int type = 0;
  int status = feature_status_active;
  bool visible = true;
  std::u16string name;  // empty: unnamed
  std::vector<StoredSurface> surfaces;
};

struct StoredParameter {
  int owner_type = 0;
  int owner_id = 0;
  std::u16string name;
  VynParamvalue value{};
};

struct StoredModel {
  VynMdl handle = nullptr;
  int id = 0;  // the model's item id (VynMdlToModelitem)
  int type = 0;
  std::u16string name;
  std::string units;
  std::u16string path;  // the file it came from or went to; empty for none
  std::vector<StoredFeature> features;
  std::vector<StoredParameter> parameters;
  int next_item_id = 1;  // feature and surface ids share one sequence per model
};

// The live model a handle names; null for a stale, foreign or null handle (never
// dereferenced).
StoredModel* stored_model(VynMdl model);
// A new model in session (not current); the caller has checked name and type.
StoredModel& stored_model_add(int type, std::u16string name, std::string units);
// Takes a model out of session and tells the modules that keep data per model.
void stored_model_erase(VynMdl model);
// The live models in session order.
std::vector<StoredModel*> stored_models();
// The model of that name and type; null when there is none.
StoredModel* stored_model_find(int type, const std::u16string& name);

// A new surface handle, never given out before.
VynSurface stored_surface_handle_new();
// The feature of a model by id; null when there is none.
StoredFeature* stored_feature(StoredModel& model, int feature_id);

// Frees the geometry data handed out (part of models_testing_reset).
void model_features_testing_reset();

// The model-retrieve notification for a model that came into session.
VynError notify_model_retrieved(VynMdl model);

}  // namespace yrlhost
