// The records the application keeps in a drawing, as it meets them in a drawing that
// another session (or another tool) saved: the input draws the drawing's classes and
// slots (names the application uses and others, any slot type, view records with fields
// drawn whole or raw bytes), the drawing is saved and opened again as the host opens a
// file, and the application's readers run over it: the retrieval of the active part, the named views
// and their members, group ids, reference points, string arrays and the drawing
// information. Names handed back must be terminated within their buffers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/menus/app_testing.h"
#include "app/parts/partinfo.h"
#include "app/parts/autoview.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "fuzz/fuzz_app.h"
#include "fuzz/fuzz_input.h"
#include "host/api/host_behaviours.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/util/utf16.h"

namespace {

const char* const kViewNames[] = {"TOP", "FRONT", "RIGHT", "BOTTOM", "REAR", "LEFT", "A_A", "DET1",
                                  "V23456789012345678901234567890X"};
constexpr int kViewNameCount = sizeof kViewNames / sizeof kViewNames[0];
const char* const kPartNames[] = {"PRT0001", "PRT0002"};

void require(bool condition) {
  if (!condition) std::abort();
}

void require_name(const char* name, std::size_t size = YRL_VIEW_NAME_SIZE) {
  require(strnlen(name, size) < size);
}

std::string slot_name(FuzzInput& in) {
  const char* view = kViewNames[in.below(kViewNameCount)];
  switch (in.below(9)) {
    case 0:
    case 1: return view;
    case 2:
    case 3: {
      // The long view's members cannot exist: their names would be too long.
      std::string member = std::string(view) + "_" + std::to_string(in.below(8));
      return member.size() <= YRL_SLOT_NAME_MAX ? member : view;
    }
    case 4: return in.below(2) ? "YRL_V_GROUPID" : "YRL_DWGSCALE";
    case 5: return "V_K_CNT";
    case 6: return "V_K_" + std::to_string(in.below(6));
    case 7: return "ACTIVE_PART";
    default: {
      // Any ASCII, and now and then a character of two or three bytes in UTF-8.
      std::string name;
      for (int n = 1 + in.below(31); n > 0; --n) {
        int c = in.byte();
        name += c < 0x80 ? std::string(1, static_cast<char>(c ? c : 1)) : c & 1 ? "\xc3\xa9" : "\xe6\x97\xa5";
      }
      return name;
    }
  }
}

std::vector<unsigned char> bytes_drawn(FuzzInput& in, int count) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(count));
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(in.byte());
  return bytes;
}

double number_drawn(FuzzInput& in) {
  if (in.below(4) == 0) {
    long bits = in.word();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  return (in.below16(4001) - 2000) / 8.0;
}

// A view record: mostly fields of sensible kinds, sometimes any bytes of any length.
std::vector<unsigned char> view_record(FuzzInput& in, const std::string& name) {
  if (in.below(8) == 0) return bytes_drawn(in, in.below16(300));
  YrlViewData record{};
  record.view_type = in.below(6);
  record.group_id = in.below(4) ? in.below(16) : static_cast<int>(in.word());
  std::memcpy(record.view_name, name.c_str(), std::min(name.size(), sizeof record.view_name - 1));
  std::strcpy(record.dwg_view_name, in.below(2) ? kViewNames[in.below(kViewNameCount)] : "");
  for (double& v : record.bounds) v = number_drawn(in);
  record.scale = number_drawn(in);
  record.member_count = in.below(4) ? in.below(8) : static_cast<int>(in.word());
  for (double& v : record.ref_point) v = number_drawn(in);
  record.cut_plane_id = in.below(8);
  record.vpr_id = in.below(8);
  for (double& v : record.vpr_point) v = number_drawn(in);
  record.position_id = in.below(4) ? in.below(8) : static_cast<int>(in.word());
  for (double& v : record.position_point) v = number_drawn(in);
  record.position1_id = in.below(8);
  for (double& v : record.position1_point) v = number_drawn(in);
  std::vector<unsigned char> bytes(YRL_VIEW_DATA_SIZE);
  YrlViewDataToBytes(record, bytes.data());
  return bytes;
}

using yrlhost::Behaviour;
using yrlhost::HostApi;

// A class or slot name as the host takes it.
void wide_name(const std::string& name, VynName out) {
  std::memset(out, 0, sizeof(VynName));
  yrlhost::wide_name_write(yrlhost::utf16_from_text(name), out);
}

// One slot of any type; a slot of type 0 is made and never written.
void slot_write(FuzzInput& in, VynExtdataClass* owner, const std::string& name) {
  VynName wide;
  wide_name(name, wide);
  VynExtdataSlot slot{};
  require(Behaviour<HostApi::VynExtdataSlotCreate>::run(0, owner, wide, &slot) == 0);
  int type = in.below(5);
  std::vector<unsigned char> bytes;
  switch (type) {
    case YRL_SLOT_INTEGER: {
      int value = in.below(3) ? in.below(12) - 2 : static_cast<int>(in.word());
      bytes.resize(sizeof value);
      std::memcpy(bytes.data(), &value, sizeof value);
      break;
    }
    case YRL_SLOT_DOUBLE: {
      double value = number_drawn(in);
      bytes.resize(sizeof value);
      std::memcpy(bytes.data(), &value, sizeof value);
      break;
    }
    case YRL_SLOT_WSTRING: {
      std::u16string text;
      if (in.below(2)) {
        for (const char* c = kPartNames[in.below(2)]; *c; ++c) text += static_cast<char16_t>(*c);
      } else {
        for (int n = in.below(100); n > 0; --n)
          text += in.below(2) ? static_cast<char16_t>(1 + in.below16(0xFFFF))
                              : static_cast<char16_t>('A' + in.below(26));
      }
      text += u'\0';
      bytes.resize(text.size() * sizeof(char16_t));
      std::memcpy(bytes.data(), text.data(), bytes.size());
      break;
    }
    case YRL_SLOT_STREAM:
      bytes = view_record(in, name);
      break;
    default:
      return;
  }
  require(Behaviour<HostApi::VynExtdataSlotWrite>::run(0, &slot, YRL_SLOT_KEY_BY_NAME, type,
                                                      static_cast<int>(bytes.size()),
                                                      bytes.empty() ? nullptr : bytes.data()) == 0);
}

// A drawing with some of the application's classes and one of no one's, saved as a file
// and opened again as the host opens a file.
VynMdl drawing_made(FuzzInput& in) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "DRW0001", error);
  require(drawing && Behaviour<HostApi::VynExtdataInit>::run(0, drawing) == 0);
  for (const char* class_name : {"Y_V", "Y_P", "Y_A", "Z_Q"}) {
    if (in.below(4) == 0) continue;
    VynName wide;
    wide_name(class_name, wide);
    VynExtdataClass owner{};
    require(Behaviour<HostApi::VynExtdataClassRegister>::run(0, drawing, wide, &owner) == 0);
    std::set<std::string> names;
    for (int n = in.below(12); n > 0; --n) {
      std::string name = slot_name(in);
      if (names.insert(name).second) slot_write(in, &owner, name);
    }
  }
  std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
  require(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_read(lines, "fuzz.drw", error);
  if (!drawing) {
    std::fprintf(stderr, "the drawing does not read back: %s\n", error.c_str());
    std::abort();
  }
  return drawing;
}

// The readers asked about a few group ids, view names and member entities the input
// picks (all of them would make each input slow).
void read_views(FuzzInput& in) {
  int views = 0, orthographic = 0, section = 0;
  YrlViewSetupFindNoOfViews(&views, &orthographic, &section);
  for (int n = 0; n < 3; ++n) {
    int group_id = in.below(17) - 1;
    char name[YRL_VIEW_NAME_SIZE] = "";
    int type = 0;
    YrlViewSetupViewnameGetFromGroupId(group_id, name, &type);
    require_name(name);
    YrlViewData record{};
    YrlGroupDataGet(group_id, &record);
    require_name(record.view_name);
    require_name(record.dwg_view_name);
    IsYrlViewGroupTopBot(group_id);
    IsYrlViewGroupFrontRear(group_id);
    IsYrlViewGroupRightLeft(group_id);
    IsYrlViewTypeNonOrtho(group_id);
    IsYrlViewTypeDetail(group_id);
    double point[3];
    YrlViewIdRefPointGet(group_id, point);
    double scale = 0;
    YrlViewIdScaleGet(group_id, &scale);
  }
  for (int n = 0; n < 3; ++n) {
    const char* view = kViewNames[in.below(kViewNameCount)];
    double scale = 0, point[3], bounds[6], other[3], third[3];
    YrlViewDataGet(view, &scale, point, bounds, 1);
    YrlSectionViewDataGet(view, point, other, third);
    YrlViewNameCentrePointGet(view, &scale, point);
    int id = 0, type = 0, group_id = 0;
    YrlViewPositionIdGet(view, &id);
    YrlViewNameTypeGet(view, &type);
    YrlViewSetupGroupIdFromNameGet(view, &group_id, &type);
    char parent[YRL_VIEW_NAME_SIZE] = "";
    YrlViewParentViewNameGet(view, parent);
    require_name(parent);
  }
  YrlClearCurSel();
  for (int n = 0; n < 2; ++n) {
    int entity = in.below(8);
    char name[YRL_VIEW_NAME_SIZE] = "";
    int group_id = 0, type = 0;
    YrlViewSetupViewnameGet(entity, name, &group_id, &type);
    require_name(name);
  }
  int next = 0;
  YRLGetNewViewGroupID(&next);
}

void read_storage() {
  VynArray strings = nullptr;
  if (YrlPartStringArrayRetrieve("K", &strings) == 0 && strings) {
    int count = 0;
    VynArraySizeGet(strings, &count);
    auto* entries = static_cast<char**>(strings);
    for (int i = 0; i < count; ++i) {
      require_name(entries[i], YRL_STORE_STRING_SIZE);
      std::free(entries[i]);
    }
    VynArrayFree(&strings);
  }
  // The same entries read as the view-to-datum pairs of a part: fields cut or refused,
  // never written past their size.
  VynArray views = nullptr, sides = nullptr, ids = nullptr;
  int pairs = -1;
  if (YrlMappedViewsGet("K", &views, &sides, &ids, &pairs) == 0) {
    int listed = 0;
    if (views) VynArraySizeGet(views, &listed);
    require(pairs >= 0 && listed == pairs);
    for (int i = 0; i < pairs; ++i) {
      require_name(static_cast<char(*)[YRL_MAP_FIELD_SIZE]>(views)[i], YRL_MAP_FIELD_SIZE);
      require_name(static_cast<char(*)[YRL_MAP_FIELD_SIZE]>(sides)[i], YRL_MAP_FIELD_SIZE);
    }
  }
  for (VynArray* array : {&views, &sides, &ids})
    if (*array) VynArrayFree(array);
  for (int i = 0; i < kViewNameCount; ++i) {
    char text[YRL_STORE_STRING_SIZE];
    if (YrlViewStringRetrieve(kViewNames[i], text) == 0) require_name(text, sizeof text);
    VynWchar wide[8];
    YrlViewWstringRetrieve(kViewNames[i], wide, 8);
  }
  YrlDrawInfo draw{};
  YrlDrawInfoFill(&draw);
  YrlPartInfo part{};
  YrlPartInfoFill(&part);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlfuzz::app_next_input();
  storage_testing_reset();
  views_testing_reset();
  apputil_testing_reset();
  partinfo_testing_reset();

  FuzzInput in{data, size};
  std::string error;
  for (const char* name : kPartNames)
    if (in.below(2)) yrlhost::host_model_create(yrlhost::model_type_part, name, error);
  VynMdl drawing = drawing_made(in);

  // What the application does when the host tells it a model was retrieved.
  YrlModelRetrievePostActions(drawing);
  read_views(in);
  read_storage();
  return 0;
}
