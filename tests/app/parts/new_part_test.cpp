// New Part through the scripted user: the template by the drawing's units, the two
// parameters, the active part, refused names, and the part kept in the drawing across
// saving and reopening.
#include "app/parts/new_part.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/prefs/prefs.h"
#include "app/util/apputil.h"
#include "host/plugin/call_log.h"
#include "host/store/drawings.h"
#include "host/ui/messages.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/ui/ui.h"
#include "tests/app/app_test.h"

namespace {

class NewPart : public yrltest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(start_app(), 0);
  }

  void drawing_in(const std::string& units) {
    std::string error;
    drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "DRW0001", error, units);
    ASSERT_NE(drawing, nullptr) << error;
  }

  static std::string parameter(VynMdl part, const std::string& name) {
    VynModelitem item{};
    if (VynMdlToModelitem(part, &item) != 0) return "?";
    auto value = yrlhost::host_parameter_value(item, name);
    if (!value) return "none";
    std::string out;
    for (int i = 0; value->value.as_string[i]; ++i) out += static_cast<char>(value->value.as_string[i]);
    return out;
  }

  static bool shown(const std::string& text) {
    for (const std::string& m : yrlhost::messages_displayed())
      if (m.find(text) != std::string::npos) return true;
    return false;
  }

  VynMdl drawing = nullptr;
};

TEST_F(NewPart, CopiesTheTemplateOfTheUnitsSetsParametersAndKeepsThePartInTheDrawing) {
  drawing_in("MM");
  user("type yrlnewpart PartNameInput BLOCK none");
  user("type yrlnewpart DESCRIPTION \"A block\" none");
  user("type yrlnewpart MODELED_BY ME none");
  user("press yrlnewpart OK");
  VynMdl part = nullptr;
  int set_active = -1;
  ASSERT_EQ(YrlNewPartWithReturn(&part, &set_active), 0);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(set_active, 1);  // the preference's default
  EXPECT_EQ(yrlhost::host_model_units(part), "MM");
  EXPECT_EQ(parameter(part, "DESCRIPTION"), "A block");
  EXPECT_EQ(parameter(part, "MODELED_BY"), "ME");
  VynMdl active = nullptr;
  EXPECT_EQ(YrlActiveModelGet(&active), 0);
  EXPECT_EQ(active, part);
  // The template left the session again: only the new part is a part in session.
  EXPECT_EQ(yrlhost::host_models(yrlhost::model_type_part).size(), 1u);
  EXPECT_TRUE(shown("The part was created and is the active part."));

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(part, "block.prt", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "drw.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_open("drw.drw", error);
  ASSERT_NE(drawing, nullptr) << error;
  const auto& models = yrlhost::host_drawing(drawing)->models;
  ASSERT_EQ(models.size(), 1u);
  EXPECT_EQ(models[0], u"BLOCK");
}

TEST_F(NewPart, UnreadableUnitsGiveTheInchTemplateAndEmptyInputsNoParameters) {
  drawing_in("MM");
  yrlhost::call_log_set_result_word("vyndb_get_model_units_v", -1);
  preferences.set_new_part_active = 0;
  user("type yrlnewpart PartNameInput p1 none");
  user("press yrlnewpart OK");
  VynMdl part = nullptr;
  int set_active = -1;
  ASSERT_EQ(YrlNewPartWithReturn(&part, &set_active), 0);
  EXPECT_EQ(yrlhost::host_model_units(part), "INCH");  // the drawing is in MM
  EXPECT_EQ(set_active, 0);
  EXPECT_EQ(parameter(part, "DESCRIPTION"), "none");
  EXPECT_EQ(parameter(part, "MODELED_BY"), "none");
  EXPECT_NE(YrlActiveModelGet(nullptr), 0);
  EXPECT_TRUE(shown("The part was created."));
}

TEST_F(NewPart, RefusedNamesKeepTheDialogOpenAndCreateNothing) {
  drawing_in("INCH");
  std::string error;
  ASSERT_NE(yrlhost::host_model_create(yrlhost::model_type_part, "TAKEN", error), nullptr) << error;
  yrlhost::host_model_make_current(drawing);
  user("type yrlnewpart PartNameInput \"\" none");
  user("press yrlnewpart OK");  // no name
  user("type yrlnewpart PartNameInput taken none");
  user("press yrlnewpart OK");  // in session (compared without case): the field empties
  check([] {
    auto input = yrlhost::ui_component("yrlnewpart", "PartNameInput");
    ASSERT_TRUE(input);
    EXPECT_EQ(input->value, "");
  });
  user("type yrlnewpart PartNameInput \"   \" none");
  user("press yrlnewpart OK");  // blanks only: no name
  user("type yrlnewpart PartNameInput ABCDEFGHIJKLMNOPQRSTUVWXYZ none");
  user("press yrlnewpart OK");  // 26 characters: the view map could not store it
  user("press yrlnewpart Cancel");
  EXPECT_EQ(YrlNewPartWithReturn(nullptr, nullptr), -1);
  const std::vector<std::string> messages = yrlhost::messages_displayed();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "Type a valid part name."), 2);
  EXPECT_TRUE(shown("A model of that name is in session already."));
  EXPECT_TRUE(shown("The part name is too long"));
  EXPECT_EQ(yrlhost::host_models(yrlhost::model_type_part).size(), 1u);
  EXPECT_TRUE(yrlhost::host_drawing(drawing)->models.empty());
}

TEST_F(NewPart, BlanksAroundTheNameAreDropped) {
  drawing_in("INCH");
  user("type yrlnewpart PartNameInput \" \tBLOCK  \" none");
  user("press yrlnewpart OK");
  EXPECT_EQ(YrlNewPart(), 0);
  EXPECT_NE(yrlhost::host_model_find(yrlhost::model_type_part, "BLOCK"), nullptr);
  EXPECT_EQ(yrlhost::host_models(yrlhost::model_type_part).size(), 1u);
}

TEST_F(NewPart, ATooLongDescriptionIsRefusedAndTheDialogStaysUsable) {
  drawing_in("INCH");
  const std::string longest(79, 'D');
  user("type yrlnewpart PartNameInput P1 none");
  user("type yrlnewpart DESCRIPTION " + longest + "X none");
  user("press yrlnewpart OK");  // 80 characters: refused, nothing made
  check([] {
    EXPECT_TRUE(shown("The text of DESCRIPTION is too long: use at most 79 characters."));
    EXPECT_TRUE(yrlhost::host_models(yrlhost::model_type_part).empty());
  });
  user("type yrlnewpart MODELED_BY " + std::string(200, 'M') + " none");
  user("type yrlnewpart DESCRIPTION " + longest + " none");
  user("press yrlnewpart OK");  // MODELED_BY now: refused
  check([] { EXPECT_TRUE(shown("The text of MODELED_BY is too long")); });
  user("type yrlnewpart MODELED_BY ME none");
  user("press yrlnewpart OK");
  VynMdl part = nullptr;
  ASSERT_EQ(YrlNewPartWithReturn(&part, nullptr), 0);
  EXPECT_EQ(parameter(part, "DESCRIPTION"), longest);
  EXPECT_EQ(parameter(part, "MODELED_BY"), "ME");
}

TEST_F(NewPart, ANameOfTwentyFiveCharactersIsTaken) {
  drawing_in("INCH");
  user("type yrlnewpart PartNameInput ABCDEFGHIJKLMNOPQRSTUVWXY none");
  user("press yrlnewpart OK");
  EXPECT_EQ(YrlNewPart(), 0);
  EXPECT_NE(yrlhost::host_model_find(yrlhost::model_type_part, "ABCDEFGHIJKLMNOPQRSTUVWXY"), nullptr);
}

TEST_F(NewPart, UnitsWithoutATemplateLeaveTheDialogOpenAndNoModelBehind) {
  drawing_in("FOOT");
  user("type yrlnewpart PartNameInput P2 none");
  user("press yrlnewpart OK");
  user("close yrlnewpart");
  EXPECT_EQ(YrlNewPart(), -1);
  EXPECT_TRUE(yrlhost::host_models(yrlhost::model_type_part).empty());
}

TEST_F(NewPart, TheDrawingNameStartsTheNameWhenThePreferenceSaysSo) {
  drawing_in("INCH");
  preferences.use_drawing_name = 1;
  user("press yrlnewpart OK");
  EXPECT_EQ(YrlNewPart(), 0);
  EXPECT_NE(yrlhost::host_model_find(yrlhost::model_type_part, "DRW0001"), nullptr);
}

TEST_F(NewPart, FailuresAfterTheCopyLeaveNoPartInSession) {
  drawing_in("INCH");
  // The parameter cannot be made: the copy goes, the dialog stays open and says why.
  yrlhost::call_log_fail_on_call("VynParameterCreate_v", 1);
  user("type yrlnewpart PartNameInput P3 none");
  user("type yrlnewpart DESCRIPTION D none");
  user("press yrlnewpart OK");
  user("press yrlnewpart Cancel");
  EXPECT_EQ(YrlNewPart(), -1);
  EXPECT_TRUE(yrlhost::host_models(yrlhost::model_type_part).empty());
  EXPECT_TRUE(shown("Could not store DESCRIPTION on the part (status -1)"));
  // The drawing refuses the part: the part goes and is no longer active.
  yrlhost::call_log_fail_on_call("VynDrawingSolidAdd_v", 1);
  user("type yrlnewpart PartNameInput P3 none");
  user("press yrlnewpart OK");
  EXPECT_EQ(YrlNewPart(), -1);
  EXPECT_TRUE(yrlhost::host_models(yrlhost::model_type_part).empty());
  EXPECT_NE(YrlActiveModelGet(nullptr), 0);
}

TEST(RemoveExtraSpaces, TrimsBothEnds) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{" \tab c \n", "ab c"}, {"   ", ""}, {"", ""}, {"x", "x"}, {"\t\tx\r\n", "x"}};
  for (const Case& c : cases) {
    char text[32];
    std::snprintf(text, sizeof text, "%s", c.in);
    RemoveExtraSpaces(text);
    EXPECT_STREQ(text, c.out) << c.in;
  }
  RemoveExtraSpaces(nullptr);
}

}  // namespace
