// Parsing names into handles and reading them back: the edge cases of the grammar, the
// location types, substitution, joining, the masked names and the derived handles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/codepage.h"
#include "platform/w32/path_testing.h"
#include "runtime/text/lang.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using vek::VynFile;

class PfaParse : public yrltest::HandleTest {
 protected:
  std::string full(const VynFile* file) const {
    char buffer[vek::PFA_NAME_SIZE];
    int answer = vek::pfa_get_full_name(file, buffer);
    return answer == 0 ? std::string(buffer) : "error " + std::to_string(answer);
  }
  std::string neutral(const VynFile* file) const {
    char buffer[vek::PFA_NAME_SIZE];
    int answer = vek::pfa_get_neutral_name(file, buffer);
    return answer == 0 ? std::string(buffer) : "error " + std::to_string(answer);
  }
  // The components 0 to 4, the version, the type and the location type.
  std::string parts() const {
    return slot(0) + "|" + slot(1) + "|" + slot(2) + "|" + slot(3) + "|" + slot(4) + "|" +
           std::to_string(file_->version) + "|" + std::to_string(file_->object_type) + "|" +
           std::to_string(file_->location_type);
  }
};

TEST_F(PfaParse, NamesSplitByTheGrammarAndTheLocationTypes) {
  struct Case {
    const char* name;
    const char* parts;  // components 0-4|version|type|location type
    const char* full;
  };
  const Case cases[] = {
      {"a.prt.3", "|||a|prt|3|2|1", "a.prt.3"},
      {"A.PRT", "|||A|PRT|0|2|1", "a.prt"},  // a part's name reads lower-cased
      {"a.prt.40000", "|||a.prt|40000|0|-6|1", "a.prt.40000"},
      {"a.prt.03", "|||a.prt|03|0|-6|1", "a.prt.03"},
      {"a.prt.0", "|||a.prt|0|0|-6|1", "a.prt.0"},
      {"a.prt.-3", "|||a|prt|-3|2|1", "a.prt.-3"},
      {"a.prt.-03", "|||a.prt|-03|0|-6|1", "a.prt.-03"},
      {"a.prt.-32768", "|||a|prt|-32768|2|1", "a.prt.-32768"},
      // A version must fit 16 bits: one past either end is no version, never a wrapped one.
      {"a.prt.32767", "|||a|prt|32767|2|1", "a.prt.32767"},
      {"a.prt.32768", "|||a.prt|32768|0|-6|1", "a.prt.32768"},
      {"a.prt.-32769", "|||a.prt|-32769|0|-6|1", "a.prt.-32769"},
      {"a.prt.65539", "|||a.prt|65539|0|-6|1", "a.prt.65539"},
      {"a3", "|||a3||0|-6|1", "a3"},
      {"Mixed.txt", "|||Mixed|txt|0|146|1", "Mixed.txt"},
      {"a.zzz", "|||a|zzz|0|-6|1", "a.zzz"},
      {".profile", "|||.profile||0|-6|1", ".profile"},
      {".profile.2", "|||.profile.2||0|-6|1", ".profile.2"},
      {"C:\\dir\\sub\\", "|C|/dir/sub/||DIR|0|-5|1", "C:\\dir\\sub\\"},
      {"C:/dir/a.prt", "|C|/dir/|a|prt|0|2|1", "C:\\dir\\a.prt"},
      {"D:x.txt", "|D||x|txt|0|146|1", "D:x.txt"},
      {"\\\\srv\\data\\a\\b.txt", "//srv|/data|/a/|b|txt|0|146|4", "\\\\srv\\data\\a\\b.txt"},
      {"//srv/data", "//srv|/data|/||DIR|0|-5|4", "\\\\srv\\data\\"},
      {"\\\\srv", "//srv||||DIR|0|-5|4", "\\\\srv"},
      {"stdio://in", "|stdio://||in||0|-6|8", "stdio://in"},
      {"stdio://nope", "stdio||/|nope||0|-6|1", "stdio:/nope"},  // a host
      // A run of delimiters is one: in front, two would make a network name.
      {"C:\\a\\\\b//x.txt", "|C|/a/b/|x|txt|0|146|1", "C:\\a\\b\\x.txt"},
      {"://///x", "||/|x||0|-6|1", "\\x"},
      {"pfafs:drives", "|/|||DIR|0|-5|1", "pfafs:drives"},
      {"///C/dir/a.txt", "|C|/dir/|a|txt|0|146|1", "C:\\dir\\a.txt"},
      {"/////host///C/a.txt", "host|C|/|a|txt|0|146|1", "\\\\host\\C$\\a.txt"},
      {"host::C:\\a.txt", "host|C|/|a|txt|0|146|1", "\\\\host\\C$\\a.txt"},
      {"host:/dir/a.txt", "host||/dir/|a|txt|0|146|1", "host:/dir\\a.txt"},
      {"h::/dir/a.txt", "h||/dir/|a|txt|0|146|1", "h::/dir\\a.txt"},  // not drive h
      {"dir/../a.txt", "||dir/../|a|txt|0|146|1", "a.txt"},
      {"dir/..", "||dir/../||DIR|0|-5|1", ".\\"},
      {"x/./", "||x/||DIR|0|-5|1", "x\\"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, c.name), 0) << c.name;
    EXPECT_EQ(parts(), c.parts) << c.name;
    EXPECT_EQ(full(file_), c.full) << c.name;
  }
}

TEST_F(PfaParse, ADoubleByteCharacterEndingInABackslashStaysInThePath) {
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_GENERIC_MULTIBYTE);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\\x95\x5C\\x.txt"), 0);
  EXPECT_EQ(parts(), "|C|/\x95\x5C/|x|txt|0|146|1");
  EXPECT_EQ(full(file_), "C:\\\x95\x5C\\x.txt");
  vek::set_language(vek::LANG_ENGLISH);
}

TEST_F(PfaParse, RefusedNamesLeaveAResetHandle) {
  struct Case {
    const char* name;
    int code;
  };
  const std::string long_name(260, 'n');
  const std::string device_too_long = std::string(40, 'd') + ":x";
  const Case cases[] = {
      {long_name.c_str(), 9},
      {"~someone/x.txt", 9},
      {"\\\\\\x", 9},  // three backslashes: no host, and no administrative share
      {device_too_long.c_str(), 9},
      // A device or host with a delimiter or ':' would be read back as another location.
      {"$a\\b/x.txt", 9},
      {"///a:b/x.txt", 9},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\keep\\me.txt"), 0);
    EXPECT_EQ(vek::pfa_parse_to_vyn_file(file_, c.name), c.code) << c.name;
    EXPECT_EQ(parts(), "|||||0|-4|1") << c.name;
  }
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file_, nullptr), 9);
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(nullptr, "a"), 11);
}

TEST_F(PfaParse, ParsingIntoAnOpenHandleIsRefusedAndChangesNothing) {
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\keep\\me.txt"), 0);
  std::string before = parts();
  file_->flags |= vek::PFA_FLAG_OPEN;
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file_, "other.txt"), vek::PFA_E_NOT_ALLOWED);
  EXPECT_EQ(vek::parse_to_pfa(file_, -1, "other.txt"), vek::PFA_E_NOT_ALLOWED);
  EXPECT_EQ(parts(), before);
  file_->flags &= ~vek::PFA_FLAG_OPEN;
}

TEST_F(PfaParse, VariablesAndTheHomeDirectoryAreSubstituted) {
  yrltest::ScopedEnv env("YRL_T_DIR", "C:\\vars");
  env.set("YRL_T_UNSET", nullptr);
  env.set("YRL_T_EXT", "base");
  env.set("HOME", "C:\\home\\me");
  struct Case {
    const char* name;
    const char* full;
  };
  const Case cases[] = {
      {"$YRL_T_DIR\\x.txt", "C:\\vars\\x.txt"},
      {"$YRL_T_UNSET\\x.txt", "$YRL_T_UNSET\\x.txt"},
      {"$YRL_T_EXT.txt", "base.txt"},  // the dot ends the variable's name
      {"~", "C:\\home\\me\\"},
      {"~/a.txt", "C:\\home\\me\\a.txt"},
      {"~\\sub\\", "C:\\home\\me\\sub\\"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, c.name), 0) << c.name;
    EXPECT_EQ(full(file_), c.full) << c.name;
  }
}

TEST_F(PfaParse, ANameThatSubstitutionTakesPastTheLimitIsRefused) {
  // Cut at its '$', the name would be another file's.
  std::string value(250, 'v');
  yrltest::ScopedEnv env("YRL_T_LONG", value.c_str());
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\keep\\me.txt"), 0);
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\dir\\$YRL_T_LONG.txt"), 9);
  EXPECT_EQ(parts(), "|||||0|-4|1");
  yrltest::ScopedEnv home("HOME", ("C:\\" + std::string(255, 'h')).c_str());
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file_, "~/abc.txt"), 9);
}

TEST_F(PfaParse, HomeFromHomeDriveAndHomePathJoinedWithoutSeparator) {
  yrltest::ScopedEnv env("HOME", nullptr);
  env.set("HOMESHARE", nullptr);
  env.set("HOMEDRIVE", "C:");
  env.set("HOMEPATH", "\\Users\\me");
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "~"), 0);
  EXPECT_EQ(full(file_), "C:\\Users\\me\\");
}

TEST_F(PfaParse, NeutralNamesParseBackToTheSameFullName) {
  for (const char* name : {"C:\\dir\\a.prt.3", "\\\\srv\\data\\a\\b.txt", "D:x.txt", "a.txt",
                           "C:\\dir\\sub\\", "pfafs:drives", "host::C:\\a.txt",
                           "stdio://err", "C:dir\\a.prt", "C:dir\\sub\\", "host:dir\\a.txt"}) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, name), 0) << name;
    std::string first = full(file_);
    std::string text = neutral(file_);
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, text.c_str()), 0) << text;
    EXPECT_EQ(full(file_), first) << name << " via " << text;
  }
}

// A drive-relative name keeps its drive apart from its path, in every form.
TEST_F(PfaParse, ADriveRelativeNameKeepsItsDevice) {
  struct Case {
    const char* name;
    const char* parts;
    const char* full;
    const char* neutral;
  };
  const Case cases[] = {
      {"C:dir\\sub\\", "|C|dir/sub/||DIR|0|-5|1", "C:dir\\sub\\", "///C|dir/sub/"},
      {"C:dir\\a.prt", "|C|dir/|a|prt|0|2|1", "C:dir\\a.prt", "///C|dir/a.prt"},
      {"C:a.prt", "|C||a|prt|0|2|1", "C:a.prt", "///C|a.prt"},
      {"C:\\dir\\a.prt", "|C|/dir/|a|prt|0|2|1", "C:\\dir\\a.prt", "///C/dir/a.prt"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, c.name), 0) << c.name;
    EXPECT_EQ(parts(), c.parts) << c.name;
    EXPECT_EQ(full(file_), c.full) << c.name;
    EXPECT_EQ(neutral(file_), c.neutral) << c.name;
    char device[32];
    ASSERT_EQ(vek::pfa_get_device(file_, device), 0);
    EXPECT_STREQ(device, "C") << c.name;
    // The neutral name reads back as the same name.
    std::string text = neutral(file_);
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, text.c_str()), 0) << text;
    EXPECT_EQ(full(file_), c.full) << text;
  }
  VynFile* dir = vek::pfa_alloc_dir("C:dir\\sub");
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(full(dir), "C:dir\\sub\\");
  vek::pfa_free_vyn_file(&dir);
}

// A host keeps its drive and a relative path behind it apart in the full name too: that
// name parses back to the same host, drive and path (never a share named after the drive
// and the path, never a drive named after the host).
TEST_F(PfaParse, AHostQualifiedNameKeepsItsPartsInItsFullName) {
  struct Case {
    const char* name;
    const char* parts;
    const char* full;
  };
  const Case cases[] = {
      {"host::C:dir\\a.prt", "host|C|dir/|a|prt|0|2|1", "host::C:dir\\a.prt"},
      {"/////host///C|a.prt", "host|C||a|prt|0|2|1", "host::C:a.prt"},
      {"host::C:", "host|C|||DIR|0|-5|1", "host::C:"},
      {"host::dir\\a.prt", "host||dir/|a|prt|0|2|1", "host::dir\\a.prt"},
      {"/////host|a.prt", "host|||a|prt|0|2|1", "host::a.prt"},
      {"/////host|", "host||||DIR|0|-5|1", "host::"},
      // A rooted path keeps its form.
      {"host:/dir/a.prt", "host||/dir/|a|prt|0|2|1", "host:/dir\\a.prt"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, c.name), 0) << c.name;
    EXPECT_EQ(parts(), c.parts) << c.name;
    const std::string first = full(file_);
    EXPECT_EQ(first, c.full) << c.name;
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, first.c_str()), 0) << first;
    EXPECT_EQ(parts(), c.parts) << first;
    EXPECT_EQ(full(file_), first) << first;
  }
}

TEST_F(PfaParse, FullNamesOfDirectoriesWithoutLocationAndOverlongNames) {
  ASSERT_EQ(vek::parse_to_pfa(file_, 0, ""), 0);
  EXPECT_EQ(full(file_), ".\\");
  EXPECT_EQ(neutral(file_), "./");
  // A name that fits only without its version: 1 and an empty buffer.
  std::string base(250, 'b');
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, ("C:\\dir\\" + base).c_str()), 0);
  EXPECT_EQ(vek::pfa_put_version(file_, 32000), 0);
  char buffer[vek::PFA_NAME_SIZE];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(vek::pfa_get_full_name(file_, buffer), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(vek::pfa_get_full_name(file_, nullptr), 11);
  EXPECT_EQ(vek::pfa_get_neutral_name(nullptr, buffer), 11);
}

// Every mask on one handle of each location type.
TEST_F(PfaParse, MaskedNamesForEveryMaskAndLocationType) {
  struct Kind {
    const char* name;
    const char* host;
    const char* device;
    const char* path;
    bool local;  // location parts masked one by one
  };
  const Kind kinds[] = {
      {"C:\\dir\\a.prt.3", "", "C:", "\\dir\\", true},
      {"\\\\srv\\data\\a\\b.txt.2", "", "", "\\\\srv\\data\\a\\", false},
      {"stdio://out", "", "", "stdio://", false},
  };
  for (const Kind& k : kinds) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, k.name), 0) << k.name;
    char base[64], extension[64];
    vek::pfa_get_component(file_, 3, base, 64);
    vek::pfa_get_component(file_, 4, extension, 64);
    for (int mask = 0; mask < 64; ++mask) {
      char buffer[vek::PFA_NAME_SIZE];
      int answer = vek::pfa_get_file_name(file_, mask, buffer);
      int location_bits = mask & 7;
      if (!k.local && location_bits != 0 && location_bits != 7) {
        EXPECT_EQ(answer, 9) << k.name << " mask " << mask;
        continue;
      }
      std::string location;
      if (k.local) {
        if (mask & 2) location += k.device;
        if (mask & 4) location += k.path;
      } else if (location_bits == 7) {
        location = k.path;
      }
      bool directory = !(mask & 8);
      std::string expected = location;
      if (directory && location.empty()) expected = ".\\";
      if (!directory) expected += base;
      if (!directory && (mask & 16) && extension[0]) expected += std::string(".") + extension;
      if ((mask & 32) && file_->version) expected += "." + std::to_string(file_->version);
      EXPECT_EQ(answer, 0) << k.name << " mask " << mask;
      EXPECT_EQ(std::string(buffer), expected) << k.name << " mask " << mask;
    }
  }
}

TEST_F(PfaParse, JoiningRelativeNamesToDirectories) {
  VynFile* dir = vek::pfa_alloc_file("C:\\top\\dir\\");
  ASSERT_NE(dir, nullptr);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file_in_dir(file_, dir, "sub\\a.txt"), 0);
  EXPECT_EQ(full(file_), "C:\\top\\dir\\sub\\a.txt");
  ASSERT_EQ(vek::pfa_parse_to_vyn_file_in_dir(file_, dir, "../b.txt"), 0);
  EXPECT_EQ(full(file_), "C:\\top\\b.txt");
  // Absolute and drive-relative names are not joined.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file_in_dir(file_, dir, "D:\\x.txt"), 0);
  EXPECT_EQ(full(file_), "D:\\x.txt");
  ASSERT_EQ(vek::pfa_parse_to_vyn_file_in_dir(file_, dir, "D:x.txt"), 0);
  EXPECT_EQ(full(file_), "D:x.txt");
  // A ".." never climbs past the root into the drive, host or share: refused.
  struct Join {
    const char* dir;
    const char* name;
    int result;
    const char* full;
  };
  const Join joins[] = {
      {"C:\\dir\\", "../x.prt", 0, "C:\\x.prt"},
      {"C:\\dir\\", "../../x.prt", vek::PFA_E_ROOT_DIR, ""},
      {"C:\\dir\\", "../../../../x.prt", vek::PFA_E_ROOT_DIR, ""},
      {"C:\\", "../x.prt", vek::PFA_E_ROOT_DIR, ""},
      {"\\\\srv\\share\\a\\", "../x.prt", 0, "\\\\srv\\share\\x.prt"},
      {"\\\\srv\\share\\a\\", "../../x.prt", vek::PFA_E_ROOT_DIR, ""},
      {"\\\\srv\\share\\a\\", "../../../x.prt", vek::PFA_E_ROOT_DIR, ""},
      {"\\\\srv\\share\\", "../x.prt", vek::PFA_E_ROOT_DIR, ""},
      {"C:dir\\sub\\", "../x.prt", 0, "C:dir\\x.prt"},
      {"C:dir\\sub\\", "../../x.prt", 0, "C:x.prt"},
      {"C:dir\\sub\\", "../../../x.prt", vek::PFA_E_ROOT_DIR, ""},
  };
  for (const Join& j : joins) {
    VynFile* base = vek::pfa_alloc_file(j.dir);
    ASSERT_NE(base, nullptr) << j.dir;
    EXPECT_EQ(vek::pfa_parse_to_vyn_file_in_dir(file_, base, j.name), j.result)
        << j.dir << " + " << j.name;
    if (j.result == 0) {
      EXPECT_EQ(full(file_), j.full) << j.dir << " + " << j.name;
    }
    vek::pfa_free_vyn_file(&base);
  }
  // A relative location keeps the ".." it cannot resolve.
  VynFile* relative = vek::pfa_alloc_file("a\\");
  ASSERT_NE(relative, nullptr);
  VynFile* joined = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&joined), 0);
  EXPECT_EQ(vek::pfa_location_append(relative, joined, "../../x/"), 0);
  char path[vek::PFA_NAME_SIZE];
  ASSERT_EQ(vek::pfa_get_component(joined, 2, path, vek::PFA_NAME_SIZE), 0);
  EXPECT_STREQ(path, "../x/");
  vek::pfa_free_vyn_file(&joined);
  vek::pfa_free_vyn_file(&relative);
  // One level below the root, a "../" has nowhere to go.
  VynFile* shallow = vek::pfa_alloc_file("/top/");
  ASSERT_NE(shallow, nullptr);
  EXPECT_EQ(vek::pfa_location_append(shallow, file_, "../x/"), vek::PFA_E_ROOT_DIR);
  // A join that reaches 260 characters.
  EXPECT_EQ(vek::pfa_location_append(dir, file_, std::string(250, 'p').c_str()),
            vek::PFA_E_INVALID_NAME);
  vek::pfa_free_vyn_file(&shallow);
  vek::pfa_free_vyn_file(&dir);
}

TEST_F(PfaParse, ParentsSubdirectoriesAndRelativePaths) {
  VynFile* out = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&out), 0);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\a\\b\\c.txt.4"), 0);
  ASSERT_EQ(vek::pfa_make_parent(file_, out), 0);
  EXPECT_EQ(full(out), "C:\\a\\b\\");
  EXPECT_EQ(out->version, 0);
  ASSERT_EQ(vek::pfa_make_parent(out, out), 0);
  EXPECT_EQ(full(out), "C:\\a\\");
  // The parent of a drive root is the drive list; the drive list has none.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\"), 0);
  ASSERT_EQ(vek::pfa_make_parent(file_, out), 0);
  EXPECT_EQ(full(out), "pfafs:drives");
  EXPECT_EQ(vek::pfa_make_parent(out, file_), vek::PFA_E_ROOT_DIR);
  // A host's parent is the network root, which has none.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "\\\\srv"), 0);
  ASSERT_EQ(vek::pfa_make_parent(file_, out), 0);
  EXPECT_EQ(full(out), "\\\\");
  EXPECT_EQ(vek::pfa_make_parent(out, file_), vek::PFA_E_ROOT_DIR);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "\\\\srv\\share\\"), 0);
  ASSERT_EQ(vek::pfa_make_parent(file_, out), 0);
  EXPECT_EQ(full(out), "\\\\srv");

  VynFile* base = vek::pfa_alloc_file("C:\\a\\");
  VynFile* target = vek::pfa_alloc_file("C:\\a\\b\\c\\");
  ASSERT_NE(base, nullptr);
  ASSERT_NE(target, nullptr);
  ASSERT_EQ(vek::pfa_get_relative_path(base, target, out), 0);
  EXPECT_EQ(full(out), "b\\c\\");
  EXPECT_EQ(vek::pfa_get_relative_path(target, base, out), 1);
  ASSERT_EQ(vek::pfa_make_subdir(base, "new", out), 0);
  EXPECT_EQ(full(out), "C:\\a\\new\\");
  EXPECT_EQ(vek::pfa_make_subdir(file_ == nullptr ? base : out, nullptr, out), 9);
  for (VynFile** f : {&base, &target, &out}) vek::pfa_free_vyn_file(f);
}

// ".." is the parent, never the directory itself; "\\\\srv\\" is a host, not a share named "/";
// the parent of "C:" is the parent of drive C's current directory; the parent of a name
// that holds ".." is the parent of the directory it names.
TEST_F(PfaParse, BareUpDirsHostsWithADelimiterAndTheParentOfADrive) {
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, ".."), 0);
  EXPECT_EQ(file_->object_type, vek::PFA_TYPE_DIRECTORY);
  EXPECT_EQ(slot(2), "../");
  EXPECT_EQ(full(file_), "..\\");
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "."), 0);
  EXPECT_EQ(full(file_), ".\\");
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "\\\\srv\\"), 0);
  EXPECT_EQ(file_->location_type, vek::PFA_LOC_UNC);
  EXPECT_EQ(slot(0), "//srv");
  EXPECT_EQ(slot(1), "");
  EXPECT_EQ(full(file_), "\\\\srv");

  ASSERT_TRUE(w32::path_testing_set_directory('C', "\\work\\here"));
  VynFile* out = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&out), 0);
  const struct {
    const char* name;
    const char* parent;
  } parents[] = {
      {"C:", "C:\\work\\"},
      {"C:sub\\", "C:\\work\\here\\"},
      {"C:a.txt", "C:\\work\\here\\"},
      {"..", "C:\\"},
      // A ".." is never the element cut off: the parent of "X\.." is above X, and a ".."
      // above the root stays at the root.
      {"C:..", "C:\\"},
      {"C:\\work\\here\\sub\\..\\", "C:\\work\\"},
      {"C:\\dir\\..\\", "pfafs:drives"},
      {"C:\\..\\", "pfafs:drives"},
      {"C:\\dir\\..\\..\\", "pfafs:drives"},
      {"..\\..\\", "pfafs:drives"},
      {"\\\\srv\\share\\a\\..\\", "\\\\srv"},
      {"\\\\srv\\share\\..\\", "\\\\srv"},
  };
  for (const auto& p : parents) {
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, p.name), 0) << p.name;
    ASSERT_EQ(vek::pfa_make_parent(file_, out), 0) << p.name;
    EXPECT_EQ(full(out), p.parent) << p.name;
  }
  vek::pfa_free_vyn_file(&out);
}

TEST_F(PfaParse, CurrentDirectoryRecordIsLoadedAndProtected) {
  ASSERT_TRUE(w32::path_testing_set_directory('C', "\\work\\here"));
  VynFile* cur = vek::pfa_get_cur_dir();
  ASSERT_NE(cur, nullptr);
  EXPECT_EQ(vek::get_Cur_Dir(), cur);
  EXPECT_EQ(full(cur), "C:\\work\\here\\");
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(cur, "x"), 9);
  yrltest::FileaccessTest::show_serious_reports();
  VynFile* alias = cur;
  EXPECT_EQ(vek::pfa_free_vyn_file(&alias), 9);
  EXPECT_EQ(alias, cur);
  // A relative name is made absolute against it.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "sub\\a.txt"), 0);
  ASSERT_EQ(vek::pfa_make_absolute_path(file_), 0);
  EXPECT_EQ(full(file_), "C:\\work\\here\\sub\\a.txt");
  char16_t wide[vek::PFA_NAME_SIZE];
  EXPECT_EQ(vek::pfa_filename_to_absolute(u"x.txt", wide), 0);
  EXPECT_EQ(std::u16string(wide), u"C:\\work\\here\\x.txt");
  EXPECT_EQ(vek::pfa_filename_to_absolute(u"", wide), 0);
  EXPECT_EQ(std::u16string(wide), u"C:\\work\\here\\");
}

int supply_dir(VynWord data, VynFile*, VynFile** out) {
  *out = reinterpret_cast<VynFile*>(data);
  return 1;
}

TEST_F(PfaParse, AHookOfKindOneSuppliesTheCurrentDirectory) {
  int id = vek::PfaNotificationAdd(vek::PFA_NOTIFY_CUR_DIR, supply_dir,
                                   reinterpret_cast<VynWord>(file_), nullptr);
  EXPECT_EQ(vek::pfa_get_cur_dir(), file_);
  vek::PfaNotificationIdRemove(vek::PFA_NOTIFY_CUR_DIR, id);
  EXPECT_NE(vek::pfa_get_cur_dir(), file_);
}

TEST_F(PfaParse, RuleZeroGivesTheHandlesVersion) {
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "a.prt.7"), 0);
  int version = -1;
  EXPECT_EQ(vek::pfa_get_file_vers(file_, 0, &version), 0);
  EXPECT_EQ(version, 7);
  EXPECT_EQ(vek::pfa_get_file_vers(file_, 3, &version), 9);
  EXPECT_EQ(vek::pfa_get_file_vers(file_, 0, nullptr), 9);
  EXPECT_EQ(vek::pfa_get_file_vers(nullptr, 0, &version), 11);
}

TEST_F(PfaParse, DriveHelpers) {
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('A'), 1);
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('z'), 26);
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('1'), -1);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "D:x"), 0);
  EXPECT_EQ(vek::pfafs_loc_is_NT_drive_relative(file_), 1);
  EXPECT_EQ(vek::pfa_path_is_absolute(file_), 0);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "D:\\x"), 0);
  EXPECT_EQ(vek::pfafs_loc_is_NT_drive_relative(file_), 0);
  EXPECT_EQ(vek::pfa_path_is_absolute(file_), 1);
}

}  // namespace

namespace {

TEST_F(PfaParse, SettersDeriveTheType) {
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\dir\\a.txt"), 0);
  EXPECT_EQ(vek::pfa_put_extension(file_, "PRT"), 0);
  EXPECT_EQ(file_->object_type, 2);
  EXPECT_EQ(vek::pfa_put_extension(file_, "dir"), 0);  // the directory type's extension
  EXPECT_EQ(file_->object_type, -6);
  EXPECT_EQ(vek::pfa_put_extension(file_, nullptr), 0);
  EXPECT_EQ(file_->object_type, -6);
  // A table type sets the table's extension, lower-cased unless asked otherwise.
  EXPECT_EQ(vek::pfa_put_obj_type(file_, 4), 0);
  EXPECT_EQ(slot(4), "drw");
  EXPECT_EQ(vek::pfa_put_obj_type_lower(file_, 1, 0), 0);
  EXPECT_EQ(slot(4), "ASM");
  EXPECT_EQ(vek::pfa_put_obj_type_pdm(file_, -1), 0);
  EXPECT_EQ(file_->object_type, -6);
  EXPECT_EQ(vek::pfa_put_obj_type(file_, 813), 9);  // a type without an extension
  // A part's base name of 32 characters or more no longer suits it.
  EXPECT_EQ(vek::pfa_put_obj_type(file_, 2), 0);
  EXPECT_EQ(vek::pfa_put_name(file_, std::string(32, 'n').c_str()), 0);
  EXPECT_EQ(file_->object_type, -6);
  EXPECT_EQ(vek::pfa_put_obj_type(file_, 2), 0);
  EXPECT_EQ(vek::pfa_put_name(file_, "bad name"), 0);
  EXPECT_EQ(file_->object_type, -6);
  // Making a file handle a directory makes its name a subdirectory of the location.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\dir\\sub.d"), 0);
  EXPECT_EQ(vek::pfa_put_obj_type(file_, -5), 0);
  EXPECT_EQ(full(file_), "C:\\dir\\sub.d\\");
  EXPECT_STREQ(vek::pfa_extract_path_tail(file_), "sub.d");
  // And back: the last element of its path becomes the base name.
  EXPECT_EQ(vek::pfa_put_obj_type(file_, 146), 0);
  EXPECT_EQ(full(file_), "C:\\dir\\sub.d.txt");
  EXPECT_EQ(vek::pfa_extract_path_tail(file_), nullptr);
}

TEST_F(PfaParse, ComponentsObjectInfoAndCopies) {
  char16_t location[260], base[260], extension[32];
  int type = 0, version = 0;
  EXPECT_EQ(vek::pfa_parse_to_components(u"\\\\srv\\data\\a\\b.txt.5", location, &type, base,
                                         extension, &version),
            0);
  EXPECT_EQ(std::u16string(location), u"\\\\srv\\data\\a\\");
  EXPECT_EQ(type, 4);
  EXPECT_EQ(std::u16string(base), u"b");
  EXPECT_EQ(std::u16string(extension), u"txt");
  EXPECT_EQ(version, 5);
  EXPECT_EQ(vek::pfa_parse_to_components(u"~nobody", nullptr, nullptr, nullptr, nullptr, nullptr),
            9);

  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\dir\\a.prt.3"), 0);
  vek::VynObjInfo info;
  ASSERT_EQ(vek::pfa_to_vyn_obj_info(file_, &info), 0);
  EXPECT_EQ(std::u16string(info.device), u"C");
  EXPECT_EQ(std::u16string(info.path), u"\\dir\\");
  EXPECT_EQ(std::u16string(info.name), u"a");
  EXPECT_EQ(std::u16string(info.extension), u"prt");
  EXPECT_EQ(info.version, 3);
  VynFile* back = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&back), 0);
  ASSERT_EQ(vek::vyn_obj_info_to_pfa(&info, back), 0);
  EXPECT_EQ(full(back), "C:\\dir\\a.prt.3");
  // A network name goes whole into the path field.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "\\\\srv\\data\\b.txt"), 0);
  ASSERT_EQ(vek::pfa_to_vyn_obj_info(file_, &info), 0);
  EXPECT_EQ(std::u16string(info.path), u"\\\\srv\\data\\");
  ASSERT_EQ(vek::vyn_obj_info_to_pfa(&info, back), 0);
  EXPECT_EQ(full(back), "\\\\srv\\data\\b.txt");

  ASSERT_EQ(vek::pfa_parse_to_vyn_file(back, "D:\\other\\z.asm"), 0);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\dir\\a.prt.3"), 0);
  EXPECT_EQ(vek::pfa_copy_name_ext_vers(file_, back, 0), 0);
  EXPECT_EQ(full(back), "D:\\other\\a.prt.3");
  EXPECT_EQ(vek::pfa_copy_name_ext_vers(file_, back, 7), 9);
  char16_t wide[260];
  EXPECT_EQ(vek::pfa_get_full_wname(back, wide), 0);
  EXPECT_EQ(std::u16string(wide), u"D:\\other\\a.prt.3");
  EXPECT_EQ(vek::pfa_get_full_wname(nullptr, wide), 11);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(vek::pfa_get_full_wname(back, nullptr), 9);
  vek::pfa_free_vyn_file(&back);
}

TEST_F(PfaParse, WideSubstitutionAndAllocationInADirectory) {
  yrltest::ScopedEnv env("YRL_T_DIR", "C:\\vars");
  env.set("HOME", "C:\\home");
  char16_t out[64];
  EXPECT_EQ(vek::w_substitute_vars(u"$YRL_T_DIR\\x", out, 64), 1);
  EXPECT_EQ(std::u16string(out), u"C:\\vars\\x");
  EXPECT_EQ(vek::w_substitute_vars(u"~/y", out, 64), 1);
  EXPECT_EQ(std::u16string(out), u"C:\\home\\y");
  // Beyond the limit: a plain copy and 0.
  EXPECT_EQ(vek::w_substitute_vars(u"$YRL_T_DIR\\x", out, 8), 0);
  EXPECT_EQ(std::u16string(out), u"$YRL_T_");
  EXPECT_EQ(vek::w_substitute_vars(u"~user", out, 64), 0);
  EXPECT_EQ(std::u16string(out), u"~user");

  VynFile* dir = vek::pfa_alloc_dir("C:\\top");
  ASSERT_NE(dir, nullptr);
  VynFile* in = vek::pfa_alloc_wfile_in_dir(dir, u"a.txt");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(full(in), "C:\\top\\a.txt");
  EXPECT_EQ(vek::pfa_alloc_file_in_dir(dir, "~nobody"), nullptr);
  for (VynFile** f : {&in, &dir}) vek::pfa_free_vyn_file(f);
}

int hook_answer = 2;
int hook_parent(VynFile*, VynFile*) { return hook_answer; }
int hook_hints = 0;
int count_hints(VynFile*, int count, void*) {
  hook_hints = count;
  return 5;
}

TEST_F(PfaParse, UserManagedParentsAndTagHints) {
  VynFile* out = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&out), 0);
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "C:\\a\\b\\"), 0);
  EXPECT_EQ(vek::pfaum_make_parent(file_, out), 2);
  EXPECT_EQ(vek::pfa_register_ui_mgr(nullptr, nullptr, nullptr, hook_parent), 1);
  show_serious_reports();
  EXPECT_EQ(vek::pfa_register_ui_mgr(nullptr, nullptr, nullptr, hook_parent), 0);
  hook_answer = vek::PFA_E_ROOT_DIR;  // final for a directory
  EXPECT_EQ(vek::pfa_make_parent(file_, out), vek::PFA_E_ROOT_DIR);
  hook_answer = 2;  // not the hook's: the generic rule
  EXPECT_EQ(vek::pfa_make_parent(file_, out), 0);
  EXPECT_EQ(full(out), "C:\\a\\");
  EXPECT_EQ(vek::pfa_register_ui_mgr(nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(vek::pfaum_top_level_folders(nullptr, nullptr), 0);
  vek::pfa_free_vyn_file(&out);

  const char16_t* tags[] = {u"one", u"two"};
  EXPECT_EQ(vek::pfaloc_supports_ugc_tag_hints(file_), 0);
  EXPECT_EQ(vek::pfaloc_put_ugc_tag_hints(file_, 2, tags), 0);
  EXPECT_EQ(vek::pfaloc_put_ugc_tag_hints(file_, -1, tags), 9);
  EXPECT_EQ(vek::pfaloc_put_ugc_tag_hints(nullptr, 2, tags), 11);
  ASSERT_TRUE(vek::pfa_loc_register_setup(vek::PFA_LOC_LIST));
  vek::pfa_loc_method_register(vek::PFA_LOC_LIST, vek::PfaLocUgcTagHint, vek::PLM_CALL_FIP,
                               vek::as_method(&count_hints));
  vek::pfa_loc_register_setup(vek::PFA_LOC_NONE);
  file_->location_type = vek::PFA_LOC_LIST;
  EXPECT_NE(vek::pfaloc_supports_ugc_tag_hints(file_), 0);
  EXPECT_EQ(vek::pfaloc_put_ugc_tag_hints(file_, 2, tags), 0);  // whatever the method answers
  EXPECT_EQ(hook_hints, 2);
}

TEST_F(PfaParse, TheCommandProcessorsUncCheckAndDirGet) {
  EXPECT_EQ(vek::nt_can_have_unc_cwd(), 0);
  ASSERT_EQ(vek::nt_set_registry_value(w32::HKEY_CURRENT_USER,
                                       "Software\\Microsoft\\Command Processor",
                                       "DisableUNCCheck", 1),
            1);
  EXPECT_EQ(vek::nt_can_have_unc_cwd(), 1);
  ASSERT_TRUE(w32::path_testing_set_directory('C', "\\"));
  char16_t out[64];
  EXPECT_EQ(vek::dir_get(out, 64), 1);
  EXPECT_EQ(std::u16string(out), u"C:\\");
  // The size bounds it: a cut directory would name another.
  EXPECT_EQ(vek::dir_get(out, 3), 0);
  EXPECT_EQ(out[0], 0);
  // An absolute handle loads the record as a copy.
  VynFile* dir = vek::pfa_alloc_dir("D:\\elsewhere");
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(vek::load_pfa_cur_dir(dir), 0);
  EXPECT_EQ(full(vek::get_Cur_Dir()), "D:\\elsewhere\\");
  vek::pfa_free_vyn_file(&dir);
}

}  // namespace
