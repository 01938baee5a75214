// Names: variable substitution, ".." removal in location paths, the field setters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaname.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/scoped_env.h"

namespace {

using vek::VynFile;

class PfaName : public yrltest::FileaccessTest {};

struct SubstCase {
  const char* in;
  int limit;
  int result;
  const char* out;
};

TEST_F(PfaName, SubstitutesVariablesUpToTheirSeparator) {
  yrltest::ScopedEnv dir("YRL_T_DIR", "/home/u");
  yrltest::ScopedEnv self("YRL_T_SELF", "$YRL_T_DIR");
  yrltest::ScopedEnv unset("YRL_T_UNSET", nullptr);
  yrltest::ScopedEnv long_value("YRL_T_LONG", "/home/user/long/dir");
  const SubstCase cases[] = {
      {"$YRL_T_DIR/a.prt", 260, 1, "/home/u/a.prt"},
      {"$YRL_T_DIR.prt", 260, 1, "/home/u.prt"},  // the dot ends the name
      {"$YRL_T_UNSET/a.prt", 260, 1, "$YRL_T_UNSET/a.prt"},
      {"$YRL_T_UNSET.prt$YRL_T_DIR", 260, 1, "$YRL_T_UNSET.prt/home/u"},
      {"a$/b", 260, 1, "a$/b"},
      {"${YRL_T_DIR}", 260, 1, "${YRL_T_DIR}"},  // braces are part of the name
      {"x]$YRL_T_DIR]y", 260, 1, "x]/home/u]y"},
      {"$YRL_T_SELF\\a", 260, 1, "$YRL_T_DIR\\a"},  // values are not scanned again
      {"$", 260, 1, "$"},
      {"", 260, 1, ""},
      // Reaching the limit cuts at the '$' that would overflow.
      {"ab/$YRL_T_LONG/c", 24, 0, "ab/"},
      {"ab/$YRL_T_LONG/c", 25, 1, "ab//home/user/long/dir/c"},
      {"$YRL_T_DIR/$YRL_T_LONG", 25, 0, "/home/u/"},
      {"abcdef", 6, 0, ""},
      {"abcde", 6, 1, "abcde"},
  };
  for (const SubstCase& c : cases) {
    char out[300];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(vek::substitute_env_vars(c.in, out, c.limit), c.result) << c.in;
    EXPECT_STREQ(out, c.out) << c.in;
    // Nothing past the limit was touched.
    EXPECT_EQ(out[c.limit], '#') << c.in;
  }
  char out[8] = "keep";
  EXPECT_EQ(vek::substitute_env_vars(nullptr, out, 8), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(vek::substitute_env_vars("a", nullptr, 8), 0);
}

TEST_F(PfaName, RemovesUpdirsWithTheElementBefore) {
  const struct {
    const char* in;
    int removed;
    const char* out;
  } cases[] = {
      {"/a/../b", 1, "/b"},
      {"/a/b/../../c/", 1, "/c/"},
      {"a/../b", 1, "b"},
      {"/a/..", 1, "/"},
      {"../../x", 0, "../../x"},
      {"/../x", 0, "/../x"},  // ".." at offset 1
      {"/a/..b/c", 0, "/a/..b/c"},
      {"/a/b../c", 0, "/a/b../c"},
      {"a//../b", 0, "a//../b"},
      {"x/../../y", 1, "../y"},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    char path[64];
    std::strcpy(path, c.in);
    EXPECT_EQ(vek::pfa_remove_redundant_updirs(path), c.removed) << c.in;
    EXPECT_STREQ(path, c.out) << c.in;
  }
  EXPECT_EQ(vek::pfa_remove_redundant_updirs(nullptr), 0);
}

TEST_F(PfaName, VersionsOutsideSixteenBitsAreRefusedNotWrapped) {
  VynFile* file = vek::pfa_alloc_file("a.prt");
  ASSERT_NE(file, nullptr);
  file->flags |= vek::PFA_FLAG_EXACT_CASE;
  EXPECT_EQ(vek::pfa_put_version(file, 32767), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file->version, 32767);
  EXPECT_EQ(file->flags & vek::PFA_FLAG_EXACT_CASE, 0u);
  EXPECT_EQ(vek::pfa_put_version(file, -32768), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_put_version(file, 32768), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_version(file, 65539), vek::PFA_E_INVALID_INPUT);  // would wrap to 3
  EXPECT_EQ(vek::pfa_put_version(file, -32769), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(file->version, -32768);
  EXPECT_EQ(vek::pfa_put_version(nullptr, 1), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), 0);
}

TEST_F(PfaName, EncodeLocationTypeAndLocationQuestion) {
  VynFile* file = vek::pfa_alloc_file("a.prt");
  VynFile* dir = vek::pfa_alloc_dir("C:\\d");
  ASSERT_NE(file, nullptr);
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(vek::pfa_put_encode(file, 3), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_get_encode(file), 3);
  EXPECT_EQ(vek::pfa_put_encode(dir, 3), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_is_location(file, 1), 1);
  EXPECT_EQ(vek::pfa_put_location_type(file, 8), vek::PFA_E_NO_ERROR);  // registered
  EXPECT_EQ(vek::pfa_is_location(file, 8), 1);
  EXPECT_EQ(vek::pfa_put_location_type(file, 2), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_location_type(file, 12), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_is_location(file, 8), 1);
  EXPECT_EQ(vek::pfa_is_location(nullptr, 1), 0);
  EXPECT_EQ(vek::pfa_put_encode(nullptr, 1), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_put_location_type(nullptr, 1), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), 0);
  EXPECT_EQ(vek::pfa_free_vyn_file(&dir), 0);
}

}  // namespace

namespace {

TEST_F(PfaName, HostDeviceAndNativePath) {
  VynFile* file = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), 0);
  const struct {
    const char* path;
    const char* native;
  } cases[] = {
      {"/a/b/", "\\a\\b\\"},
      {"/a/../b/", "\\b\\"},
      {"/a/b", "\\a\\"},  // cut after the last '/'
      {"abc", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vek::xdr_put_pfa_components(file, "srv", "C:", c.path, "n", "e"), 0);
    char buffer[260] = "#";
    EXPECT_EQ(vek::pfa_get_path(file, buffer), 0);
    EXPECT_STREQ(buffer, c.native) << c.path;
  }
  char host[32], device[32];
  EXPECT_EQ(vek::pfa_get_host(file, host), 0);
  EXPECT_STREQ(host, "srv");
  EXPECT_EQ(vek::pfa_get_device(file, device), 0);
  EXPECT_STREQ(device, "C:");
  ASSERT_EQ(vek::xdr_put_pfa_components(file, std::string(32, 'h').c_str(), "", "", "", ""), 0);
  EXPECT_EQ(vek::pfa_get_host(file, host), 1);  // 32 characters do not fit 32 bytes
  EXPECT_STREQ(host, "");
  // The standard streams have no host, device or path.
  file->location_type = 8;
  EXPECT_EQ(vek::pfa_get_host(file, host), vek::PFA_E_NOT_VALID);
  char path[260] = "#";
  EXPECT_EQ(vek::pfa_get_path(file, path), 0);
  EXPECT_STREQ(path, "");
  EXPECT_EQ(vek::pfa_get_path(nullptr, path), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), 0);
}

}  // namespace

namespace {

TEST_F(PfaName, PutPathNormalisesSeparatorsAndDotElements) {
  VynFile* file = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), 0);
  const struct {
    const char* in;
    int result;
    const char* stored;
  } cases[] = {
      {"\\a\\b", 0, "/a/b/"},
      {"./a/./b/", 0, "a/b/"},
      {".\\.\\x", 0, "x/"},
      {"../a", 0, "../a/"},
      {"a.b/c./", 0, "a.b/c./"},
      {"", 0, ""},
      {"/", 0, "/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vek::pfa_put_path(file, c.in), c.result) << c.in;
    EXPECT_EQ(vek::pfa_component_strcmp(file, 2, c.stored, -1), 0) << c.in;
  }
  // 259 characters without a final '/' would become 260: refused, path kept.
  EXPECT_EQ(vek::pfa_put_path(file, std::string(259, 'p').c_str()), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_path(file, std::string(260, 'p').c_str()), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_path(file, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_component_strcmp(file, 2, "/", -1), 0);
  EXPECT_EQ(vek::pfa_put_host(file, std::string(31, 'h').c_str()), 0);
  EXPECT_EQ(vek::pfa_put_host(file, std::string(32, 'h').c_str()), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_device(file, "D:"), 0);
  EXPECT_EQ(vek::pfa_component_strcmp(file, 1, "D:", -1), 0);
  // Location type 0 becomes local; the standard streams have no device.
  file->location_type = 0;
  EXPECT_EQ(vek::pfa_put_device(file, "E:"), 0);
  EXPECT_EQ(file->location_type, 1u);
  file->location_type = 8;
  EXPECT_EQ(vek::pfa_put_device(file, "F:"), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_put_path(file, "/x"), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_put_host(nullptr, "h"), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), 0);
}

}  // namespace
