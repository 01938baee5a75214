// The solid of a part as the host reads it from an OCCT .brep file: the input is the
// file. A file that reads must give a solid whose faces and edges all answer the queries
// (every edge between faces of the solid) and that writes and reads back the same; any
// other file must be refused with a status.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/geometry/geometry.h"

namespace {

namespace geom = yrlhost::geom;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// A file of this process in the test's scratch folder.
std::string scratch(const char* name) {
  const char* dir = std::getenv("YRL_TEST_TMP");
  std::filesystem::path base = dir ? dir : "/tmp";
  std::error_code ignored;
  std::filesystem::create_directories(base, ignored);
  return (base / ("brep_fuzz_" + std::to_string(::getpid()) + "_" + name)).string();
}

// The scratch files of this process, removed when it ends.
struct Scratch {
  std::string input = scratch("input.brep");
  std::string again = scratch("again.brep");
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove(input, ignored);
    std::filesystem::remove(again, ignored);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch files;
  const std::string& input = files.input;
  const std::string& again = files.again;
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                               static_cast<std::streamsize>(size));
  geom::Shape shape;
  geom::Status status = geom::brep_read(input, shape);
  if (status != geom::Status::ok) {
    if (status != geom::Status::bad_file || !shape.empty()) fail("refused badly");
    return 0;
  }
  geom::SolidSummary summary = geom::solid_summary(shape);
  for (int face = 1; face <= summary.faces; ++face) {
    geom::FaceInfo info;
    if (geom::face_info(shape, face, info) != geom::Status::ok) continue;
    geom::SurfacePoint point;
    geom::Vec2 middle{(info.uv_min[0] + info.uv_max[0]) / 2, (info.uv_min[1] + info.uv_max[1]) / 2};
    if (std::isfinite(middle[0]) && std::isfinite(middle[1]))
      (void)geom::face_eval(shape, face, middle, point);
  }
  for (int edge = 1; edge <= summary.edges; ++edge) {
    geom::EdgeInfo info;
    if (geom::edge_info(shape, edge, info) != geom::Status::ok) continue;
    for (int face : info.faces)
      if (face < 0 || face > summary.faces) fail("edge between unknown faces");
  }
  geom::Vec3 centre{(summary.box.min[0] + summary.box.max[0]) / 2,
                    (summary.box.min[1] + summary.box.max[1]) / 2,
                    (summary.box.min[2] + summary.box.max[2]) / 2};
  (void)geom::geometry_at_point(shape, centre, 1e-6);
  geom::Shape back;
  if (geom::brep_write(shape, again) != geom::Status::ok ||
      geom::brep_read(again, back) != geom::Status::ok)
    fail("a solid read does not write and read back");
  geom::SolidSummary back_summary = geom::solid_summary(back);
  if (back_summary.faces != summary.faces || back_summary.edges != summary.edges)
    fail("a solid reads back different");
  return 0;
}
