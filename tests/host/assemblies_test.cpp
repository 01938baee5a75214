// Assemblies: components, the models they place, component paths, and the record behind
// an assembly's handle.
#include "host/store/assemblies.h"

#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/store/models.h"
#include "host_test.h"
#include "toolkit/local/mdldata.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

class AssembliesTest : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    std::string error;
    top = yrlhost::host_assembly_create("TOP", error);
    sub = yrlhost::host_assembly_create("SUB", error);
    bolt = yrlhost::host_model_create(yrlhost::model_type_part, "BOLT", error);
    ASSERT_TRUE(top && sub && bolt) << error;
    sub_in_top = yrlhost::host_component_add(top, sub, "SUB-1");
    bolt_in_sub = yrlhost::host_component_add(sub, bolt, "BOLT-1");
    bolt_in_top = yrlhost::host_component_add(top, bolt, "");
    ASSERT_GT(sub_in_top, 0);
    ASSERT_GT(bolt_in_sub, 0);
    ASSERT_GT(bolt_in_top, 0);
  }
  VynMdl top = nullptr, sub = nullptr, bolt = nullptr;
  int sub_in_top = 0, bolt_in_sub = 0, bolt_in_top = 0;
};

TEST_F(AssembliesTest, ComponentsAreFeaturesOfTypeComponentThatPlaceModels) {
  int type = 0;
  EXPECT_EQ(Behaviour<HostApi::VynMdlTypeGet>::run(1, top, &type), 0);
  EXPECT_EQ(type, 1);
  VynFeature component{yrlhost::item_type_feature, sub_in_top, top};
  EXPECT_EQ(Behaviour<HostApi::VynFeatureTypeGet>::run(1, &component, &type), 0);
  EXPECT_EQ(type, 1000);
  VynMdl placed = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynAsmcompMdlGet>::run(1, &component, &placed), 0);
  EXPECT_EQ(placed, sub);
  VynMdldata data{};
  EXPECT_EQ(Behaviour<HostApi::VynMdlDataGet>::run(1, top, &data), 0);
  EXPECT_EQ(std::u16string(data.type), u"ASM");
}

TEST_F(AssembliesTest, BadComponentsAndCyclesAreRefused) {
  EXPECT_EQ(yrlhost::host_component_add(sub, top, "LOOP"), -1);  // top holds sub
  EXPECT_EQ(yrlhost::host_component_add(top, top, "SELF"), -1);
  EXPECT_EQ(yrlhost::host_component_add(bolt, sub, "IN-A-PART"), -1);
  VynMdl placed = nullptr;
  VynAsmcomp not_there{yrlhost::item_type_feature, 999, top};
  EXPECT_EQ(Behaviour<HostApi::VynAsmcompMdlGet>::run(1, &not_there, &placed), -2);
  VynAsmcomp in_part{yrlhost::item_type_feature, 1, bolt};
  EXPECT_EQ(Behaviour<HostApi::VynAsmcompMdlGet>::run(1, &in_part, &placed), -2);
  EXPECT_EQ(placed, nullptr);
}

TEST_F(AssembliesTest, PathsLeadDownTheComponents) {
  struct Case {
    std::vector<int> ids;
    VynError status;
    VynMdl model;
  };
  const Case cases[] = {
      {{}, 0, top},
      {{sub_in_top}, 0, sub},
      {{sub_in_top, bolt_in_sub}, 0, bolt},
      {{bolt_in_top}, 0, bolt},
      {{999}, -2, nullptr},
      {{bolt_in_top, 1}, -2, nullptr},  // a part holds no components
      {{sub_in_top, bolt_in_sub, 1}, -2, nullptr},
  };
  for (const Case& c : cases) {
    VynAsmcomppath path{};
    std::vector<int> ids = c.ids;
    EXPECT_EQ(Behaviour<HostApi::VynAsmcomppathInit>::run(1, top, ids.data(),
                                                          static_cast<int>(ids.size()), &path),
              c.status);
    if (c.status != 0) continue;
    EXPECT_EQ(path.owner, top);
    EXPECT_EQ(path.table_num, static_cast<int>(ids.size()));
    EXPECT_EQ(path.comp_id_table[ids.size()], -1);
    VynMdl model = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynAsmcomppathMdlGet>::run(1, &path, &model), 0);
    EXPECT_EQ(model, c.model);
  }
  VynAsmcomppath path{};
  EXPECT_EQ(Behaviour<HostApi::VynAsmcomppathInit>::run(1, bolt, nullptr, 0, &path), -2);
  path.owner = top;
  path.table_num = 26;
  VynMdl model = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynAsmcomppathMdlGet>::run(1, &path, &model), -2);
}

TEST_F(AssembliesTest, AnAssemblyHandleIsItsRecord) {
  const auto* record = reinterpret_cast<const yrlhost::AssemblyRecord*>(top);
  VynModelitem item{};
  ASSERT_EQ(Behaviour<HostApi::VynMdlToModelitem>::run(1, top, &item), 0);
  EXPECT_EQ(record->words[0], item.id);
  EXPECT_EQ(record->words[17], yrlhost::assembly_word17_tag + item.id);
  // An erased assembly's handle stays stale: no later model gets it.
  ASSERT_TRUE(yrlhost::host_model_erase(top));
  std::string error;
  VynMdl next = yrlhost::host_assembly_create("TOP", error);
  EXPECT_NE(next, top);
  EXPECT_FALSE(yrlhost::host_model_is(top));
}

}  // namespace
