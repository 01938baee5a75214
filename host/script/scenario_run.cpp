// The scenario runner of yrlhost.
#include "host/script/scenario_run.h"

#include <string>

#include "host/plugin/call_log.h"
#include "host/dxf/dxf.h"
#include "host/util/events.h"
#include "host/store/feature_build.h"
#include "host/ui/menus.h"
#include "host/store/model_report.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/script/script.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

// Opens one model step's drawing; false with the reason in error.
bool open_model(const ScenarioModelStep& step, std::string& error) {
  VynMdl model = nullptr;
  switch (step.kind) {
    case ScenarioModelStep::Kind::new_drawing:
      model = host_model_create(model_type_drawing, step.name_or_path, error);
      break;
    case ScenarioModelStep::Kind::open_file:
      if (dxf_path_is(step.name_or_path)) {
        DxfImport import;
        model = host_dxf_open(step.name_or_path, import, error);
        // What the drawing cannot hold is told, never dropped without a word.
        if (model && !import.skipped.empty())
          host_event(step.name_or_path + ": entities not imported: " + dxf_skipped_text(import));
      } else {
        model = host_model_open(step.name_or_path, error);
      }
      break;
    case ScenarioModelStep::Kind::open_lines:
      model = host_model_read(step.lines, "scenario line " + std::to_string(step.line_number),
                              error);
      break;
  }
  if (!model) return false;
  host_event(std::string(host_model_type(model) == model_type_part ? "part " : "drawing ") +
             host_model_name(model) + " is open");
  return true;
}

// What a model step that failed could not do, by its kind (the file of an open may hold
// a part as well as a drawing).
std::string step_failure(const ScenarioModelStep& step) {
  const std::string line = " of line " + std::to_string(step.line_number);
  switch (step.kind) {
    case ScenarioModelStep::Kind::new_drawing: return "cannot make the drawing" + line;
    case ScenarioModelStep::Kind::open_file: return "cannot open the file" + line;
    case ScenarioModelStep::Kind::open_lines: return "cannot read the drawing" + line;
  }
  return "cannot open the model" + line;
}

// A feature left incomplete in a part has no geometry: the plug-in told the user of a
// feature it did not build, and the run fails.
void incomplete_features_fail() {
  for (const StoredModel* model : stored_models())
    for (const StoredFeature& feature : model->features)
      if (feature.status == feature_status_incomplete)
        script_fail("part " + utf8_from_utf16(model->name) + " holds feature " + std::to_string(feature.id) +
                    " incomplete at the end of the run");
}

}  // namespace

int scenario_run(const Scenario& scenario, std::FILE* out) {
  bool failed = false;
  bool unreadable = false;  // a DXF file the scenario names cannot be read
  for (const ScenarioModelStep& step : scenario.models) {
    std::string error;
    if (!open_model(step, error)) {
      host_event(step_failure(step) + ": " + error);
      failed = true;
      unreadable = unreadable || (step.kind == ScenarioModelStep::Kind::open_file &&
                                  dxf_path_is(step.name_or_path));
    }
  }
  for (const ScriptAction& action : scenario.actions) script_push(action);
  script_run();
  incomplete_features_fail();
  for (const std::string& path : scenario.save_paths) {
    std::string error;
    VynMdl model = host_current_model();
    if (!model) {
      host_event("nothing to save to " + path + ": no current model");
      failed = true;
    } else if (!host_model_save(model, path, error)) {
      host_event("cannot save " + host_model_name(model) + ": " + error);
      failed = true;
    } else {
      host_event("saved " + host_model_name(model) + " to " + path);
    }
  }

  std::fprintf(out, "events:\n");
  for (const std::string& event : host_events()) std::fprintf(out, "  %s\n", event.c_str());
  std::fprintf(out, "menus:\n%s", menu_tree_text().c_str());
  std::fprintf(out, "models:\n");
  for (const std::string& line : host_models_report()) std::fprintf(out, "%s\n", line.c_str());
  // Calls of functions the host has no behaviour for: their "not available" status is
  // no success.
  std::vector<std::string> not_available = call_log_not_available();
  if (!not_available.empty()) {
    std::fprintf(out, "not available:\n");
    for (const std::string& key : not_available) std::fprintf(out, "  %s\n", key.c_str());
  }
  std::fprintf(out, "script failures: %zu\n", script_failures().size());
  if (unreadable) return 2;
  return failed || !script_failures().empty() ? 1 : 0;
}

}  // namespace yrlhost
