// Product identity, platform, build date code, versions, display address and the
// application-information registry.
#include "runtime/system/appinfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/registry.h"
#include "platform/w32/registry_testing.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/xar.h"
#include "runtime/system/appinfo_testing.h"
#include "runtime/system/ntsys.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"

namespace {

class Appinfo : public yrltest::RuntimeTest {};

TEST_F(Appinfo, ProductIdentityStartsEmptyAndKeepsWhatIsSet) {
  EXPECT_EQ(vek::product_id(), 0);
  EXPECT_EQ(vek::product_stamp_id(), 0);
  EXPECT_STREQ(vek::product_title(), "");
  EXPECT_STREQ(vek::product_window_title(), "");

  static const char title[] = "Drawing to part";
  static const char window[] = "Window";
  EXPECT_EQ(vek::set_appl_info(42, 7, title), 42);
  EXPECT_EQ(vek::set_appl_window_title(window), window);
  EXPECT_EQ(vek::product_id(), 42);
  EXPECT_EQ(vek::product_stamp_id(), 7);
  EXPECT_EQ(vek::product_title(), title);
  EXPECT_EQ(vek::product_window_title(), window);

  vek::appinfo_testing_reset();
  EXPECT_EQ(vek::product_id(), 0);
  EXPECT_STREQ(vek::product_title(), "");
}

TEST_F(Appinfo, PlatformNames) {
  EXPECT_EQ(vek::get_platform(), 29);
  struct Case {
    int id;
    const char* name;
  };
  const Case cases[] = {
      {29, "i486_nt"}, {1, "vax"},        {21, "nec_risc"},   {35, "ia64_nt"},
      {34, "i486_linux"}, {24, "alpha_unix"}, {2, ""},     {15, ""},
      {6, ""},         {0, ""},           {-1, ""},           {36, ""},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(vek::platform_name_by_id(c.id), c.name) << "id " << c.id;
  }
}

TEST_F(Appinfo, BuildDateCodeIsNormalisedInPlace) {
  EXPECT_STREQ(vek::vyn_get_datecode(), "2003100");
  EXPECT_STREQ(vek::vyn_ver_datecode(), "2402003100");

  struct Case {
    const char* stored;
    const char* expected;  // "INVALID": the stored code stays as it was
  };
  const Case cases[] = {
      {"2003100", "2003100"},
      {"0310", "2003100"},   // two-digit year, no sub-build
      {"03105", "2003105"},  // two-digit year with a sub-build
      {"200310", "2003100"}, // four-digit year, no sub-build
      {"9952", "1999520"},
      {"8500", "1985000"},   // 85 is the first two-digit year of the 1900s
      {"8453", "2084530"},   // 84 the last of the 2000s
      {"85001", "1985001"},
      {"0053", "2000530"},
      {"198500", "1985000"},
      {"208453", "2084530"},
      {"2003539", "2003539"},
      {"200354", "INVALID"}, // week 54
      {"0054", "INVALID"},
      {"2003549", "INVALID"},
      {"198452", "INVALID"}, // years before 1985
      {"208500", "INVALID"}, // and after 2084
      {"123", "INVALID"},    // too short
      {"", "INVALID"},
      {"-0310", "INVALID"},  // negative
      {"-123", "INVALID"},
      // Anything but digits, though strtol would read these as 2000310, 2000310 and
      // 2000120.
      {"+0310", "INVALID"},
      {" 0310", "INVALID"},
      {"12ab", "INVALID"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    ASSERT_EQ(vek::appinfo_testing_set_datecode(c.stored), 1);
    EXPECT_STREQ(vek::vyn_get_datecode(), c.expected);
    std::string expected_store = std::string(c.expected) == "INVALID" ? c.stored : c.expected;
    EXPECT_EQ(std::string(vek::appinfo_testing_stored_datecode()), expected_store);
    // Normalising twice changes nothing.
    EXPECT_STREQ(vek::vyn_get_datecode(), c.expected);
  }

  ASSERT_EQ(vek::appinfo_testing_set_datecode("9952"), 1);
  EXPECT_STREQ(vek::vyn_ver_datecode(), "2401999520");
  ASSERT_EQ(vek::appinfo_testing_set_datecode("200354"), 1);
  EXPECT_STREQ(vek::vyn_ver_datecode(), "240INVALID");

  // The store holds 7 characters; the hook refuses a longer code.
  EXPECT_EQ(vek::appinfo_testing_set_datecode("20031000"), 0);
  EXPECT_STREQ(vek::appinfo_testing_stored_datecode(), "200354");
  vek::appinfo_testing_reset();
  EXPECT_STREQ(vek::vyn_get_datecode(), "2003100");
}

TEST_F(Appinfo, CheckWeek) {
  struct Case {
    int week;
    int expected;
  };
  const Case cases[] = {
      {-1, 0}, {0, 1},  {1, 1},       {52, 1},
      {53, 1}, {54, 0}, {INT_MIN, 0}, {INT_MAX, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(vek::check_week(c.week), c.expected) << c.week;
}

TEST_F(Appinfo, VersionStrings) {
  EXPECT_STREQ(vek::get_version_only_(), "J-03-42");
  EXPECT_STREQ(vek::get_version_namenum_(), "Version J-03-42");
  const char* internal = vek::get_internal_version();
  EXPECT_STREQ(internal, "J-03-42");
  EXPECT_NE(internal, vek::get_version_only_());  // a copy of its own
  EXPECT_EQ(vek::get_internal_version(), internal);
}

TEST_F(Appinfo, VersionNumberStrings) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"0", 0},      {"-0", 1},     {"1", 1},       {"7", 1},
      {"32767", 1},  {"32768", 0},  {"-32768", 1},  {"-32769", 0},
      {"", 0},       {"1a", 0},     {"-", 0},       {"01", 0},
      {"a1", 0},     {"+1", 0},     {"1 ", 0},      {" 1", 0},
      {"--1", 0},    {"-1", 1},     {"99999999999999999999999", 0},
      {"-99999999999999999999999", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vek::is_vers_string(c.text), c.expected) << '"' << c.text << '"';
  }
  EXPECT_EQ(vek::is_vers_string(nullptr), 0);
}

TEST_F(Appinfo, DisplayAddressIsTheHostOfDisplayOrTheComputerName) {
  char computer[256];
  ASSERT_NE(vek::NT_gethostname(computer, sizeof computer), 0);
  const std::string long_display = std::string(300, 'h') + ":0";
  struct Case {
    const char* display;  // null: unset
    std::string expected;
  };
  const Case cases[] = {
      {"workstation:0.0", "workstation"},
      {"plainhost", "plainhost"},
      {"a:b:c", "a"},
      {long_display.c_str(), std::string(255, 'h')},
      {":0", computer},
      {"unix:0", computer},
      {"", computer},
      {nullptr, computer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display ? c.display : "<unset>");
    yrltest::ScopedEnv env("DISPLAY", c.display);
    EXPECT_EQ(std::string(vek::vyn_get_display_address()), c.expected);
  }

  int keyboard = 5;
  int screen = 6;
  vek::get_display_kbd_screen(&keyboard, &screen);
  EXPECT_EQ(keyboard, 0);
  EXPECT_EQ(screen, 0);
  vek::get_display_kbd_screen(nullptr, nullptr);
  EXPECT_STREQ(vek::get_raw_display(), "");
}

// What the type functions were called with, in order.
std::vector<std::string> calls;
void* last_argument;

void free_a(VynWord value) { calls.push_back("free a " + std::to_string(value)); }
void free_b(VynWord value) { calls.push_back("free b " + std::to_string(value)); }
void copy_a(VynWord value, VynWord* slot) {
  calls.push_back("copy a " + std::to_string(value) + " into " + std::to_string(*slot));
  *slot = value + 100;
}
void copy_c(VynWord value, VynWord* slot) {
  calls.push_back("copy c " + std::to_string(value));
  *slot = value + 300;
}
void post_a(VynWord value, VynWord* slot, void* argument) {
  calls.push_back("post a " + std::to_string(value) + " on " + std::to_string(*slot));
  last_argument = argument;
  *slot += 1;
}
void post_b(VynWord value, VynWord* slot, void* argument) {
  calls.push_back("post b " + std::to_string(value) + " on " + std::to_string(*slot));
  last_argument = argument;
  *slot = value + 200;
}

class AppinfoRegistry : public Appinfo {
 protected:
  void SetUp() override {
    Appinfo::SetUp();
    calls.clear();
    last_argument = nullptr;
  }
};

// The (type, value) entries of an info array.
std::vector<std::pair<int, VynWord>> entries(const vek::AppinfoEntry* info) {
  std::vector<std::pair<int, VynWord>> out;
  for (int i = 0; i < vek::xar_count(&info); ++i) out.emplace_back(info[i].type, info[i].value);
  return out;
}

TEST_F(AppinfoRegistry, RegisterFindAndFree) {
  EXPECT_EQ(vek::appinfo_register_type(free_a, nullptr, nullptr), 0);
  EXPECT_EQ(vek::appinfo_register_type(free_b, nullptr, nullptr), 1);
  EXPECT_EQ(vek::appinfo_register_type(nullptr, nullptr, nullptr), 2);
  EXPECT_EQ(vek::appinfo_testing_type_count(), 3);

  int baseline = yrltest::live_blocks();
  vek::AppinfoEntry* info = nullptr;
  EXPECT_EQ(vek::appinfo_find_info(&info, 1, 0), nullptr);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(vek::appinfo_find_info_low(info, 1), -1);

  VynWord* b = vek::appinfo_find_info(&info, 1, 1);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(*b, 0);
  *b = 11;
  *vek::appinfo_find_info(&info, 0, 1) = 10;
  *vek::appinfo_find_info(&info, 2, 1) = 12;
  EXPECT_EQ(*vek::appinfo_find_info(&info, 1, 1), 11);  // found, not added again
  EXPECT_EQ(*vek::appinfo_find_info(&info, 1, 0), 11);
  EXPECT_EQ(entries(info), (std::vector<std::pair<int, VynWord>>{{1, 11}, {0, 10}, {2, 12}}));
  EXPECT_EQ(vek::appinfo_find_info_low(info, 0), 1);
  EXPECT_EQ(vek::appinfo_find_info_low(info, 2), 2);

  // Entries are pointer-sized: a pointer stored as a value comes back whole.
  int size = 0;
  vek::xar_params(&info, &size, nullptr, nullptr, nullptr);
  EXPECT_EQ(size, static_cast<int>(sizeof(vek::AppinfoEntry)));
  static int target;
  *vek::appinfo_find_info(&info, 2, 0) = reinterpret_cast<VynWord>(&target);
  EXPECT_EQ(reinterpret_cast<int*>(*vek::appinfo_find_info(&info, 2, 0)), &target);

  // A type that was never registered gets no entry.
  EXPECT_EQ(vek::appinfo_find_info(&info, 3, 1), nullptr);
  EXPECT_EQ(vek::appinfo_find_info(&info, -1, 1), nullptr);
  EXPECT_EQ(entries(info).size(), 3u);

  EXPECT_EQ(vek::appinfo_free_one_info(&info, 1), 1);
  EXPECT_EQ(calls, std::vector<std::string>{"free b 11"});
  EXPECT_EQ(vek::appinfo_free_one_info(&info, 1), 0);  // gone
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(vek::appinfo_free_one_info(&info, 2), 1);  // no free function: removed only
  EXPECT_EQ(entries(info), (std::vector<std::pair<int, VynWord>>{{0, 10}}));
  EXPECT_EQ(vek::appinfo_free_one_info(&info, 0), 1);
  EXPECT_EQ(info, nullptr);  // an emptied array is released
  EXPECT_EQ(calls, (std::vector<std::string>{"free b 11", "free a 10"}));
  EXPECT_EQ(yrltest::live_blocks(), baseline);

  EXPECT_EQ(vek::appinfo_free_one_info(nullptr, 0), 0);
  EXPECT_EQ(vek::appinfo_find_info(nullptr, 0, 1), nullptr);
}

TEST_F(AppinfoRegistry, FreeAllCallsEachFreeFunctionInOrder) {
  vek::appinfo_register_type(free_a, nullptr, nullptr);
  vek::appinfo_register_type(free_b, nullptr, nullptr);
  vek::appinfo_register_type(nullptr, nullptr, nullptr);
  int baseline = yrltest::live_blocks();
  void* info = nullptr;  // records hold their list in an untyped handle
  *vek::appinfo_find_info(&info, 1, 1) = 21;
  *vek::appinfo_find_info(&info, 2, 1) = 22;
  *vek::appinfo_find_info(&info, 0, 1) = 20;
  vek::appinfo_free_all_info(&info);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"free b 21", "free a 20"}));
  EXPECT_EQ(yrltest::live_blocks(), baseline);

  vek::appinfo_free_all_info(&info);  // an empty list
  vek::appinfo_free_all_info(nullptr);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(AppinfoRegistry, CopyRunsCopiesThenPostCopiesInEntryOrder) {
  const int a = vek::appinfo_register_type(free_a, copy_a, post_a);
  const int b = vek::appinfo_register_type(free_b, nullptr, post_b);
  const int c = vek::appinfo_register_type(nullptr, copy_c, nullptr);
  const int d = vek::appinfo_register_type(nullptr, nullptr, nullptr);
  vek::AppinfoEntry* source = nullptr;
  *vek::appinfo_find_info(&source, c, 1) = 3;
  *vek::appinfo_find_info(&source, b, 1) = 2;
  *vek::appinfo_find_info(&source, d, 1) = 4;
  *vek::appinfo_find_info(&source, a, 1) = 1;

  vek::AppinfoEntry* target = nullptr;
  int argument = 0;
  EXPECT_EQ(vek::appinfo_copy_array(&source, &target, &argument), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"copy c 3", "copy a 1 into 0", "post b 2 on 0",
                                             "post a 1 on 101"}));
  EXPECT_EQ(last_argument, &argument);
  // Slots appear in the order they were first asked for; a type without copy
  // functions is not carried over.
  EXPECT_EQ(entries(target),
            (std::vector<std::pair<int, VynWord>>{{c, 303}, {a, 102}, {b, 202}}));
  EXPECT_EQ(entries(source).size(), 4u);

  // Without post-copy functions only the copies run.
  calls.clear();
  vek::AppinfoEntry* only_c = nullptr;
  *vek::appinfo_find_info(&only_c, c, 1) = 5;
  vek::AppinfoEntry* copy_of_c = nullptr;
  EXPECT_EQ(vek::appinfo_copy_array(&only_c, &copy_of_c, nullptr), 1);
  EXPECT_EQ(calls, std::vector<std::string>{"copy c 5"});
  EXPECT_EQ(entries(copy_of_c), (std::vector<std::pair<int, VynWord>>{{c, 305}}));

  // An empty source leaves the target null.
  vek::AppinfoEntry* empty = nullptr;
  vek::AppinfoEntry* from_empty = nullptr;
  EXPECT_EQ(vek::appinfo_copy_array(&empty, &from_empty, nullptr), 1);
  EXPECT_EQ(from_empty, nullptr);

  EXPECT_EQ(vek::appinfo_copy_array(nullptr, &from_empty, nullptr), 0);
  EXPECT_EQ(vek::appinfo_copy_array(&source, nullptr, nullptr), 0);
  // Copying a list onto itself would drop it: refused, the list kept.
  EXPECT_EQ(vek::appinfo_copy_array(&source, &source, nullptr), 0);
  EXPECT_EQ(entries(source).size(), 4u);

  for (auto* list : {&source, &target, &only_c, &copy_of_c}) vek::appinfo_free_all_info(list);
}

class MimeRegistration : public Appinfo {
 protected:
  void TearDown() override {
    EXPECT_EQ(w32::registry_testing_open_handles(), 0);
    Appinfo::TearDown();
  }
};

// A string value under HKEY_CLASSES_ROOT as stored (terminator included); nullopt when
// the key or value is missing or is no REG_SZ.
std::optional<std::string> class_value(const char* key, const char* name) {
  w32::HKEY opened = nullptr;
  if (w32::RegOpenKeyExA(w32::HKEY_CLASSES_ROOT, key, 0, w32::KEY_READ, &opened) !=
      w32::ERROR_SUCCESS) {
    return std::nullopt;
  }
  char data[1024];
  w32::DWORD size = sizeof data;
  w32::DWORD type = 0;
  w32::LONG result = w32::RegQueryValueExA(opened, name, nullptr, &type,
                                           reinterpret_cast<w32::BYTE*>(data), &size);
  w32::RegCloseKey(opened);
  if (result != w32::ERROR_SUCCESS || type != w32::REG_SZ) return std::nullopt;
  return std::string(data, size);
}

bool class_key_exists(const char* key) {
  w32::HKEY opened = nullptr;
  if (w32::RegOpenKeyExA(w32::HKEY_CLASSES_ROOT, key, 0, w32::KEY_READ, &opened) !=
      w32::ERROR_SUCCESS) {
    return false;
  }
  w32::RegCloseKey(opened);
  return true;
}

void make_class_value(const char* key, const char* name, const char* text) {
  w32::HKEY opened = nullptr;
  ASSERT_EQ(w32::RegCreateKeyExA(w32::HKEY_CLASSES_ROOT, key, 0, nullptr, 0,
                                 w32::KEY_ALL_ACCESS, nullptr, &opened, nullptr),
            w32::ERROR_SUCCESS);
  if (text) {
    ASSERT_EQ(w32::RegSetValueExA(opened, name, 0, w32::REG_SZ,
                                  reinterpret_cast<const w32::BYTE*>(text),
                                  static_cast<w32::DWORD>(std::strlen(text) + 1)),
              w32::ERROR_SUCCESS);
  }
  w32::RegCloseKey(opened);
}

// A stored string with its terminator.
std::optional<std::string> sz(const char* text) { return std::string(text, std::strlen(text) + 1); }

constexpr char kType[] = "application/x-yrl";
constexpr char kProgram[] = "C:\\Program Files\\Yrl\\yrlview.exe";
constexpr char kDescription[] = "Yrl drawing";
constexpr char kClass[] = "Yrl.Drawing";
constexpr char kIcon[] = "C:\\Program Files\\Yrl\\yrlview.exe,1";
const char* const kExtensions[] = {"yrl", "yrd"};

TEST_F(MimeRegistration, WritesEveryMissingKey) {
  EXPECT_EQ(vek::nt_insure_mime_type_registered(kType, kProgram, kDescription, kClass, kIcon,
                                                kExtensions, 2),
            0);
  for (const char* key : {".yrl", ".yrd"}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(class_value(key, ""), sz(kClass));
    EXPECT_EQ(class_value(key, "Content Type"), sz(kType));
  }
  EXPECT_EQ(class_value("MIME\\Database\\Content Type\\application/x-yrl", "Extension"),
            sz(".yrl"));
  EXPECT_EQ(class_value(kClass, ""), sz(kDescription));
  EXPECT_EQ(class_value("Yrl.Drawing\\shell\\open\\command", nullptr),
            sz("\"C:\\Program Files\\Yrl\\yrlview.exe\" %1"));
  EXPECT_EQ(class_value("Yrl.Drawing\\DefaultIcon", ""), sz(kIcon));

  // Everything there: a second call writes nothing and still succeeds.
  make_class_value(".yrl", "", "Changed.Class");
  EXPECT_EQ(vek::nt_insure_mime_type_registered(kType, kProgram, "Other", kClass, "other.ico",
                                                kExtensions, 2),
            0);
  EXPECT_EQ(class_value(".yrl", ""), sz("Changed.Class"));
  EXPECT_EQ(class_value(kClass, ""), sz(kDescription));
  EXPECT_EQ(class_value("Yrl.Drawing\\DefaultIcon", ""), sz(kIcon));
}

TEST_F(MimeRegistration, LeavesExistingKeysAlone) {
  // Keys count as present when they can be opened, whatever values they hold.
  make_class_value(".yrl", "", "Other.Class");
  make_class_value("MIME\\Database\\Content Type\\application/x-yrl", "", nullptr);
  make_class_value("Yrl.Drawing\\shell\\open\\command", "", "old command");
  EXPECT_EQ(vek::nt_insure_mime_type_registered(kType, kProgram, kDescription, kClass, nullptr,
                                                kExtensions, 2),
            0);
  EXPECT_EQ(class_value(".yrl", ""), sz("Other.Class"));
  EXPECT_EQ(class_value(".yrl", "Content Type"), std::nullopt);
  EXPECT_EQ(class_value(".yrd", ""), sz(kClass));
  EXPECT_EQ(class_value(".yrd", "Content Type"), sz(kType));
  EXPECT_EQ(class_value("MIME\\Database\\Content Type\\application/x-yrl", "Extension"),
            std::nullopt);
  EXPECT_EQ(class_value("Yrl.Drawing\\shell\\open\\command", ""), sz("old command"));
  EXPECT_EQ(class_value(kClass, ""), std::nullopt);  // described together with the command
  EXPECT_FALSE(class_key_exists("Yrl.Drawing\\DefaultIcon"));  // no icon given
}

TEST_F(MimeRegistration, WithoutExtensionsNoContentTypeKeyIsMade) {
  EXPECT_EQ(vek::nt_insure_mime_type_registered(kType, kProgram, kDescription, kClass, nullptr,
                                                nullptr, 0),
            0);
  EXPECT_FALSE(class_key_exists("MIME\\Database\\Content Type\\application/x-yrl"));
  EXPECT_EQ(class_value(kClass, ""), sz(kDescription));
}

TEST_F(MimeRegistration, BadInputAndFailedWritesGive355) {
  const char* const with_null[] = {"yrl", nullptr};
  const std::string long_name(600, 'n');
  struct Case {
    const char* what;
    const char* content_type;
    const char* program;
    const char* class_name;
    const char* const* extensions;
    int count;
  };
  const Case cases[] = {
      {"no content type", nullptr, kProgram, kClass, kExtensions, 2},
      {"no program", kType, nullptr, kClass, kExtensions, 2},
      {"no class", kType, kProgram, nullptr, kExtensions, 2},
      {"no extension list", kType, kProgram, kClass, nullptr, 2},
      {"null extension", kType, kProgram, kClass, with_null, 2},
      {"key too long", kType, kProgram, long_name.c_str(), kExtensions, 0},
      {"key the registry refuses", kType, kProgram, "Yrl\\\\Drawing", kExtensions, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    w32::registry_testing_reset();
    EXPECT_EQ(vek::nt_insure_mime_type_registered(c.content_type, c.program, kDescription,
                                                  c.class_name, nullptr, c.extensions,
                                                  c.count),
              355);
  }
}

}  // namespace
