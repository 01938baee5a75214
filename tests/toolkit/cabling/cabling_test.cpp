// The cabling functions over older cabling calls that the tests supply: result
// translation, the two words of the assembly object, and the lists they build.
#include "toolkit/cabling/cabling.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/store/assemblies.h"
#include "host/store/models.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"

namespace {

// A name entry as the older calls hand them out.
struct NameEntry {
  VynName name;
};
static_assert(sizeof(NameEntry) == sizeof(VynName));

// What the test's older cabling calls answer and what they saw.
struct Cabling {
  std::map<std::u16string, int> cables;  // name -> id
  std::vector<NameEntry> bundle_names;
  std::vector<std::vector<int>> connector_tables;  // without their -1 ends
  bool lead_minus_one = false;  // a -1 stands before each table, as a shorter one's end
  int released = 0;
  VynError param_result = 0;
  VynError length_result = 1;
  VynError end_result = 0;
  std::vector<VynWord> create_words;  // the first two words of the last create
};

Cabling& cabling() {
  static Cabling c;
  return c;
}

std::u16string text(const VynWchar* name) { return name ? std::u16string(name) : u"<null>"; }

VynError get_cable_id(int, VynWord, const VynWchar* name, int* id) {
  auto it = cabling().cables.find(text(name));
  if (it == cabling().cables.end()) return -1;
  *id = it->second;
  return 0;
}

VynError get_cable_name(int, VynWord, int id, VynWchar* name) {
  for (const auto& [cable, cable_id] : cabling().cables) {
    if (cable_id == id) {
      std::memcpy(name, cable.c_str(), (cable.size() + 1) * sizeof(VynWchar));
      return 0;
    }
  }
  return -1;
}

VynError create_cable(int, VynWord w0, VynWord w17, VynWord, VynWord name, VynWord id) {
  cabling().create_words = {w0, w17};
  std::u16string wanted = text(reinterpret_cast<const VynWchar*>(name));
  if (cabling().cables.count(wanted)) return -2;
  int next = static_cast<int>(cabling().cables.size()) + 1;
  cabling().cables[wanted] = next;
  *reinterpret_cast<int*>(id) = next;
  return 0;
}

VynError get_cable_param(int, VynWord, VynWord, VynWord, VynWord, VynWord) {
  return cabling().param_result;
}

VynError get_wire_length(int, VynWord, VynWord, VynWord length) {
  *reinterpret_cast<double*>(length) = 12.5;
  return cabling().length_result;
}

VynError get_bundle_cables(int, VynWord, VynWord, VynWord, VynWord, VynWord names) {
  *reinterpret_cast<const VynName**>(names) =
      reinterpret_cast<const VynName*>(cabling().bundle_names.data());
  return static_cast<VynError>(cabling().bundle_names.size());
}

// The host's connector tables, each ended by -1 (and led by one when asked), one after
// the other in one block, as a host may keep them; kept until released.
std::vector<int> table_storage;
std::vector<int*> table_pointers;

VynError get_assy_connectors(int, VynWord, VynWord, VynWord tables, VynWord) {
  table_storage.clear();
  table_pointers.clear();
  std::vector<std::size_t> starts;
  for (const std::vector<int>& table : cabling().connector_tables) {
    if (cabling().lead_minus_one) table_storage.push_back(-1);
    starts.push_back(table_storage.size());
    table_storage.insert(table_storage.end(), table.begin(), table.end());
    table_storage.push_back(-1);
  }
  for (std::size_t start : starts) table_pointers.push_back(table_storage.data() + start);
  *reinterpret_cast<int***>(tables) = table_pointers.data();
  return static_cast<VynError>(table_pointers.size());
}

VynError release_memb_id_tab(int, VynWord) {
  ++cabling().released;
  return 0;
}

VynError routing_end(int, VynWord) { return cabling().end_result; }

class CablingTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    cabling() = Cabling();
    table_options.extra = {
        yrltest::host_row(&get_cable_id, "vyncbl_get_cable_id_v"),
        yrltest::host_row(&get_cable_name, "vyncbl_get_cable_name_v"),
        yrltest::host_row(&create_cable, "vyncbl_create_cable_v"),
        yrltest::host_row(&get_cable_param, "vyncbl_get_cable_param_v"),
        yrltest::host_row(&get_wire_length, "vyncbl_get_wire_length_v"),
        yrltest::host_row(&get_bundle_cables, "vyncbl_get_bundle_cables_v"),
        yrltest::host_row(&get_assy_connectors, "vyncbl_get_assy_connectors_v"),
        yrltest::host_row(&release_memb_id_tab, "vyn_release_memb_id_tab_v"),
        yrltest::host_row(&routing_end, "vyncbl_routing_end_v"),
    };
    bind_table();
    std::string error;
    assembly = yrlhost::host_assembly_create("HARNESS_ASM", error);
    part = yrlhost::host_model_create(yrlhost::model_type_part, "PLUG", error);
    ASSERT_TRUE(assembly && part) << error;
    ASSERT_EQ(VynCblSpoolInit(assembly, u"SPOOL_A", &spool), 0);
  }
  VynMdl assembly = nullptr, part = nullptr;
  VynCblSpool spool{};
};

TEST_F(CablingTest, CreatePassesTheAssemblysWordsAndRefusesAnExistingName) {
  VynCblCable cable{};
  ASSERT_EQ(VynCblCableCreate(assembly, &spool, u"W1", &cable), 0);
  const auto* object = reinterpret_cast<const yrlhost::AssemblyRecord*>(assembly);
  EXPECT_EQ(cabling().create_words, (std::vector<VynWord>{object->words[0], object->words[17]}));
  EXPECT_EQ(cable.id, 1);
  EXPECT_EQ(text(cable.name), u"W1");
  EXPECT_EQ(cable.owner, assembly);

  VynCblCable untouched{};
  untouched.id = 77;
  EXPECT_EQ(VynCblCableCreate(assembly, &spool, u"W1", &untouched), -5);
  EXPECT_EQ(untouched.id, 77);
  EXPECT_EQ(untouched.owner, nullptr);
}

TEST_F(CablingTest, AModelThatIsNoAssemblyIsNeverReadThrough) {
  // A part's handle is a number, not an object: reading its words would crash.
  VynCblCable cable{};
  EXPECT_EQ(VynCblCableCreate(part, &spool, u"W1", &cable), -2);
  EXPECT_EQ(VynCblCableCreate(nullptr, &spool, u"W1", &cable), -2);
  cable.owner = part;
  int type = 0;
  EXPECT_EQ(VynCblCableTypeGet(&cable, &type), -2);
  EXPECT_TRUE(cabling().create_words.empty());
}

TEST_F(CablingTest, InitFindsWhatIsMissing) {
  cabling().cables = {{u"W7", 7}};
  VynCblCable cable{};
  EXPECT_EQ(VynCblCableInit(-1, nullptr, assembly, &cable), -2);
  EXPECT_EQ(VynCblCableInit(-1, u"W7", assembly, &cable), 0);
  EXPECT_EQ(cable.id, 7);
  VynCblCable named{};
  EXPECT_EQ(VynCblCableInit(7, nullptr, assembly, &named), 0);
  EXPECT_EQ(text(named.name), u"W7");
  EXPECT_EQ(VynCblCableInit(8, nullptr, assembly, &named), -1);  // no cable 8
  EXPECT_EQ(VynCblCableInit(9, u"GIVEN", nullptr, &named), 0);   // nothing to ask
  EXPECT_EQ(VynCblCableInit(9, u"GIVEN", assembly, nullptr), -2);
}

TEST_F(CablingTest, ResultsTranslate) {
  VynCblCable cable{};
  ASSERT_EQ(VynCblCableInit(3, u"W3", assembly, &cable), 0);
  char param[64];
  const std::pair<VynError, VynError> params[] = {{0, 0}, {5, 0}, {-2, -4}, {-1, -1}, {-9, -1}};
  for (const auto& [older, expected] : params) {
    cabling().param_result = older;
    EXPECT_EQ(VynCblCableParameterGet(&cable, u"LEN", param), expected) << older;
  }
  double length = 0;
  EXPECT_EQ(VynCblCableLengthGet(&cable, &length), 0);
  EXPECT_EQ(length, 12.5);
  cabling().length_result = 0;
  EXPECT_EQ(VynCblCableLengthGet(&cable, &length), -1);
  EXPECT_EQ(VynCblRoutingEnd(5), 0);
  cabling().end_result = 3;
  EXPECT_EQ(VynCblRoutingEnd(5), -1);
}

TEST_F(CablingTest, BundleCablesBecomeRecordsOrNothing) {
  cabling().cables = {{u"A", 1}, {u"B", 2}};
  cabling().bundle_names = {NameEntry{u"A"}, NameEntry{u"B"}};
  VynCblCable bundle{};
  ASSERT_EQ(VynCblCableInit(10, u"BUNDLE", assembly, &bundle), 0);
  VynArray cables = nullptr;
  int count = 0;
  ASSERT_EQ(VynCblBundleCablesGet(&bundle, 1, &cables, &count), 0);
  ASSERT_EQ(count, 2);
  const auto* records = static_cast<const VynCblCable*>(cables);
  EXPECT_EQ(records[1].id, 2);
  EXPECT_EQ(text(records[1].name), u"B");
  VynArrayFree(&cables);

  cabling().bundle_names.push_back(NameEntry{u"Z"});
  EXPECT_EQ(VynCblBundleCablesGet(&bundle, 1, &cables, &count), -1);
  EXPECT_EQ(cables, nullptr);
}

TEST_F(CablingTest, ConnectorsAreMatchedByTheirIdTables) {
  cabling().connector_tables = {{4}, {2, 5}};
  int ids[] = {2, 5};
  VynAsmcomppath path{};
  path.owner = assembly;
  std::memcpy(path.comp_id_table, ids, sizeof ids);
  path.comp_id_table[2] = -1;
  path.table_num = 2;
  VynCblConnector connector{};
  EXPECT_EQ(VynCblConnectorInit(&path, &connector), 0);
  EXPECT_EQ(cabling().released, 1);

  path.table_num = 1;  // {2}: a prefix of a connector is none
  std::memset(&connector, 0, sizeof connector);
  EXPECT_EQ(VynCblConnectorInit(&path, &connector), -4);
  EXPECT_EQ(connector.owner, assembly);  // filled all the same
  EXPECT_EQ(connector.table_num, 1);

  VynArray all = nullptr;
  int count = 0;
  ASSERT_EQ(VynCblAssemblyConnectorsGet(assembly, &all, &count), 0);
  ASSERT_EQ(count, 2);
  const auto* records = static_cast<const VynCblConnector*>(all);
  EXPECT_EQ(records[1].table_num, 2);
  EXPECT_EQ(records[1].comp_id_table[1], 5);
  EXPECT_EQ(records[1].comp_id_table[2], -1);
  EXPECT_EQ(records[0].owner, assembly);
  EXPECT_EQ(cabling().released, 3);
  VynArrayFree(&all);
}

// A path length outside 0 to 25 is refused before the host is asked: a negative one
// read before the host's table (the -1 there answered "exists"), a longer one past the
// path. A -1 inside the path does not lead past the end of a shorter host table.
TEST_F(CablingTest, ConnectorPathLengthsOutsideTheTableAreRefused) {
  cabling().connector_tables = {{7}, {}, std::vector<int>(25, 3)};
  cabling().lead_minus_one = true;
  VynAsmcomppath path{};
  path.owner = assembly;
  for (int& id : path.comp_id_table) id = 3;
  const struct {
    int length;
    VynError expected;
  } rows[] = {{-1, -2}, {-25, -2}, {INT_MIN, -2}, {26, -2}, {INT_MAX, -2},
              {0, 0},   {25, 0},   {24, -4}};
  for (const auto& row : rows) {
    path.table_num = row.length;
    VynCblConnector connector{};
    connector.table_num = 99;
    EXPECT_EQ(VynCblConnectorInit(&path, &connector), row.expected) << row.length;
    if (row.expected == -2) {
      EXPECT_EQ(connector.table_num, 99) << row.length;
    }
  }
  EXPECT_EQ(cabling().released, 3);  // only the lengths in range asked the host
  // {7, -1, 9} against the host's {7} followed by {9}: the first table ends at its -1.
  cabling().connector_tables = {{7}, {9}};
  cabling().lead_minus_one = false;
  int ids[] = {7, -1, 9};
  std::memcpy(path.comp_id_table, ids, sizeof ids);
  path.table_num = 3;
  VynCblConnector connector{};
  EXPECT_EQ(VynCblConnectorInit(&path, &connector), -4);
}

TEST_F(CablingTest, RecordsAndTheirNames) {
  VynCblHarness harness{};
  EXPECT_EQ(VynCblHarnessInit(5, u"A_VERY_LONG_HARNESS_NAME_OF_MORE_THAN_31", 9, &harness), 0);
  VynName name = {};
  EXPECT_EQ(VynCblHarnessNameGet(&harness, name), 0);
  EXPECT_EQ(text(name), u"A_VERY_LONG_HARNESS_NAME_OF_MOR");
  EXPECT_EQ(VynCblSpoolInit(nullptr, u"S", &spool), -2);
  EXPECT_EQ(VynCblSpoolInit(assembly, u"S", nullptr), -2);
  EXPECT_EQ(VynCblSpoolNameGet(&spool, name), 0);
  EXPECT_EQ(text(name), u"SPOOL_A");
}

}  // namespace
