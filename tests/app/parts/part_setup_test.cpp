// Part Setup through the scripted user: the drawing's parts and the active one, Cancel
// and OK, New Part from the dialog and straight from the command, and more parts than
// the table used to hold.
#include "app/parts/part_setup.h"

#include <gtest/gtest.h>

#include <string>

#include "app/parts/autoview.h"
#include "app/prefs/prefs.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "app/util/apputil.h"
#include "host/store/drawings.h"
#include "host/store/models.h"
#include "host/ui/ui.h"
#include "host/plugin/call_log.h"
#include "host/ui/messages.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class PartSetup : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    ASSERT_EQ(YrlAllClassRegister(), 0);
    ASSERT_EQ(YrlActiveClassRegister(), 0);
  }

  VynMdl drawing_part(const std::string& name) {
    VynMdl part = template_part(name);
    std::string error;
    std::u16string wide(name.begin(), name.end());
    EXPECT_TRUE(yrlhost::host_drawing_model_add(drawing, wide, error)) << error;
    return part;
  }

  static bool checked(const std::string& button) {
    auto c = yrlhost::ui_component_snapshot("yrlpartsetup", button);
    EXPECT_TRUE(c) << button;
    return c && c->checked;
  }

  static std::string cell(const std::string& row, const std::string& column) {
    auto table = yrlhost::ui_component_snapshot("yrlpartsetup", "PSTable");
    if (!table) return "?";
    auto found = table->cells.find({row, column});
    return found == table->cells.end() ? "none" : found->second.label;
  }

  static std::string active() {
    char name[YRL_MODEL_NAME_SIZE] = "";
    YrlActiveModelNameGet(name);
    return name;
  }
};

TEST_F(PartSetup, ShowsTheStoredActivePartAndCancelKeepsIt) {
  drawing_part("FIRST");
  VynMdl second = drawing_part("SECOND");
  ASSERT_EQ(YrlActiveModelSet(second), 0);
  user("toggle yrlpartsetup ActiveRow0");
  user("press yrlpartsetup Cancel");
  ASSERT_EQ(YrlPartSetupMain(), 0);
  EXPECT_EQ(cell("Row0", "PartName"), "FIRST");
  EXPECT_EQ(cell("Row1", "PartName"), "SECOND");
  EXPECT_TRUE(checked("ActiveRow0"));  // FIRST, as the user left it
  EXPECT_FALSE(checked("ActiveRow1"));
  EXPECT_EQ(active(), "SECOND");

  user("press yrlpartsetup Cancel");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_FALSE(checked("ActiveRow0"));
  EXPECT_TRUE(checked("ActiveRow1"));

  user("toggle yrlpartsetup ActiveRow0");
  user("press yrlpartsetup OK");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(active(), "FIRST");
  EXPECT_FALSE(checked("ActiveRow1"));
}

TEST_F(PartSetup, PartsNamedLikeTheDialogsComponentsGetTheirRows) {
  drawing_part("OK");
  drawing_part("Cancel");
  drawing_part("PSTable");
  drawing_part("ActiveBtn");
  user("toggle yrlpartsetup ActiveRow1");
  user("press yrlpartsetup OK");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(cell("Row0", "PartName"), "OK");
  EXPECT_EQ(cell("Row2", "PartName"), "PSTable");
  EXPECT_EQ(cell("Row3", "PartName"), "ActiveBtn");
  EXPECT_EQ(active(), "Cancel");
  EXPECT_FALSE(checked("ActiveRow0"));
  EXPECT_TRUE(checked("ActiveRow1"));
}

TEST_F(PartSetup, ATableThatCannotBeFilledIsReportedAndNotShown) {
  drawing_part("FIRST");
  yrlhost::call_log_fail_on_call("VynUITableCellComponentCopy_v", 1, -1);
  EXPECT_EQ(YrlPartSetup(), -1);
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlpartsetup"));
  ASSERT_FALSE(yrlhost::messages_displayed().empty());
  EXPECT_EQ(yrlhost::messages_displayed().back(), "Could not set up the dialog: Table.");
}

TEST_F(PartSetup, WithoutPartsTheCommandGoesStraightToNewPart) {
  user("type yrlnewpart PartNameInput NEWONE none");
  user("press yrlnewpart OK");
  EXPECT_EQ(YrlPartSetupMain(), 0);
  ASSERT_EQ(yrlhost::host_drawing(drawing)->models.size(), 1u);
  EXPECT_EQ(yrlhost::host_drawing(drawing)->models[0], u"NEWONE");
  EXPECT_FALSE(yrlhost::ui_dialog_snapshot("yrlpartsetup"));
}

TEST_F(PartSetup, APartMadeActiveInNewPartShowsChecked) {
  VynMdl first = drawing_part("FIRST");
  ASSERT_EQ(YrlActiveModelSet(first), 0);
  user("press yrlpartsetup PBNewPart");
  user("type yrlnewpart PartNameInput THIRD none");
  user("press yrlnewpart OK");
  user("press yrlpartsetup Cancel");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(cell("Row1", "PartName"), "THIRD");
  EXPECT_TRUE(checked("ActiveRow1"));  // THIRD
  EXPECT_FALSE(checked("ActiveRow0"));
  EXPECT_EQ(active(), "THIRD");  // New Part stored it at once
}

TEST_F(PartSetup, MorePartsThanTwentyFiveGetTheirRows) {
  for (int i = 0; i < 30; ++i) drawing_part("P" + std::to_string(i));
  user("toggle yrlpartsetup ActiveRow29");
  user("press yrlpartsetup OK");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(cell("Row29", "PartName"), "P29");
  EXPECT_EQ(active(), "P29");
}

TEST_F(PartSetup, TheMappedCountOfEachPart) {
  drawing_part("FIRST");
  VynArray list = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 2, &list), 0);
  const char* entries[] = {"FRONT,FRONT(Side1),5", "TOP,TOP(Side1),3"};
  for (const char* e : entries) VynArrayObjectAdd(&list, -1, 1, &e);
  ASSERT_EQ(YrlPartStringArraySave("FIRST", list), 0);
  VynArrayFree(&list);
  user("press yrlpartsetup Cancel");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(cell("Row0", "ViewsMapped"), "   2");
}

TEST_F(PartSetup, AViewMapRunFromTheDialogUpdatesItsRowsCount) {
  YrlViewData front{};
  front.view_type = 1;
  front.group_id = 2;
  std::snprintf(front.view_name, sizeof front.view_name, "FRONT");
  ASSERT_EQ(YrlViewDataWrite("FRONT", front), 0);
  drawing_part("FIRST");
  preferences.auto_drawing_view_create = 0;
  user("table yrlpartsetup PSTable Row0");
  user("press yrlpartsetup PBVwMap");
  user("list yrlautoview List1 FRONT");
  user("list yrlautoview List2 FRONT(Side1)");
  user("press yrlautoview PBMap");
  user("press yrlautoview OK");
  user("press okcancel Cancel");  // automatic drawing views stay off
  user("press yrlpartsetup Cancel");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(cell("Row0", "ViewsMapped"), "   1");
  int sheet = 0;
  EXPECT_NE(YrlDrwPartSheetNumGet("FIRST", &sheet), 0);  // no sheet was made
}

TEST(MapEntries, SplitIsBoundedAndMalformedEntriesAreRefused) {
  char fields[3][YRL_MAP_FIELD_SIZE];
  struct Case {
    const char* text;
    int result;
  } cases[] = {{"FRONT,FRONT(Side1),5", 3},
               {"FRONT,FRONT(Side1),5,6,7,8", -1},
               {"A,,", 3},
               {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456,B,1", -1},
               {"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234,B,1", 3},
               {"", 1}};
  for (const Case& c : cases) EXPECT_EQ(YrlSplitAtSeperator(c.text, fields, 3), c.result) << c.text;
  EXPECT_EQ(YrlSplitAtSeperator("X,Y(Side2),12", fields, 3), 3);
  EXPECT_STREQ(fields[0], "X");
  EXPECT_STREQ(fields[1], "Y(Side2)");
  EXPECT_STREQ(fields[2], "12");
}

class MappedViews : public yrltest::UtilTest {};

TEST_F(MappedViews, StoredEntriesWithExtraCommasAreSkipped) {
  ASSERT_EQ(YrlAllClassRegister(), 0);
  VynArray list = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 8, &list), 0);
  const char* entries[] = {"FRONT,FRONT(Side1),5", "A,B,C,D,E,F,G,H,I,J,K,L", "TOP,TOP(Side1),3", "RIGHT,RIGHT(Side1),7",
                           "LEFT,RIGHT(Side2),7", "REAR,FRONT(Side2),5", "BOTTOM,TOP(Side2),3", "X,Y,1"};
  for (const char* e : entries) VynArrayObjectAdd(&list, -1, 1, &e);
  ASSERT_EQ(YrlPartStringArraySave("PRT", list), 0);
  VynArrayFree(&list);
  VynArray views = nullptr, sides = nullptr, ids = nullptr;
  int count = 0;
  ASSERT_EQ(YrlMappedViewsGet("PRT", &views, &sides, &ids, &count), 0);
  ASSERT_EQ(count, 7);  // more than six pairs, the malformed one left out
  EXPECT_STREQ(static_cast<char*>(views) + YRL_MAP_FIELD_SIZE * 1, "TOP");
  EXPECT_STREQ(static_cast<char*>(sides) + YRL_MAP_FIELD_SIZE * 6, "Y");
  EXPECT_EQ(static_cast<int*>(ids)[3], 7);
  VynArrayFree(&views);
  VynArrayFree(&sides);
  VynArrayFree(&ids);
}

}  // namespace
