// Fixture of the drawing tests: a current drawing and a part, and the host functions
// called through the host table as the plug-in calls them.
#pragma once

#include <string>
#include <vector>

#include "host/store/drawings.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/store/models.h"
#include "host_test.h"

namespace yrltest {

class DrawingTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    table_ = yrlhost::host_table_build();
    std::string error;
    part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
    drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "PLATE", error);
    ASSERT_NE(drawing, nullptr) << error;
  }

  const yrlhost::DrawingContent& content() const { return *yrlhost::host_drawing(drawing); }

  VynMdl drawing = nullptr;
  VynMdl part = nullptr;

 public:
  // Calls a host function through its stub in the table, with context id 1.
  template <yrlhost::HostApi id, typename... A>
  VynError call(A... args) {
    return yrlhost::host_function<id>(table_)(1, args...);
  }

  // An entity added on the host's side: a line from a to b on the current sheet.
  int line(const double a[3], const double b[3], int sheet = 1, int view = yrlhost::view_background) {
    yrlhost::DraftEntity entity;
    entity.sheet = sheet;
    entity.view = view;
    entity.curve = yrlhost::draft_line(a, b);
    std::string error;
    int id = yrlhost::host_entity_add(drawing, entity, error);
    EXPECT_GT(id, 0) << error;
    return id;
  }

 private:
  std::vector<win_export_entry> table_;
};

}  // namespace yrltest
