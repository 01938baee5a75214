// Component text of a handle: the text primitive, single components, delimited
// elements and the legacy record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "runtime/system/appinfo.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

using vek::VynFile;

class PfaComp : public yrltest::HandleTest {
 protected:
  // The six slots as "a|b|c|d|e|f".
  std::string slots() const {
    std::string out;
    for (int c = 0; c < vek::PFA_COMP_COUNT; ++c) {
      if (c) out += '|';
      out.append(file_->text + file_->component[c][0],
                 static_cast<std::size_t>(file_->component[c][1] - file_->component[c][0]));
    }
    return out;
  }
  void fill(const char* c0, const char* c1, const char* path, const char* name,
            const char* ext) {
    ASSERT_EQ(vek::xdr_put_pfa_components(file_, c0, c1, path, name, ext), 0);
  }
  int get(vek::PfaLegacyComponents* record) const {
    std::memset(record, '#', sizeof *record);
    return vek::xdr_get_pfa_components(file_, record->component0, record->component1,
                                       record->path, record->name, record->extension);
  }
};

TEST(PfaMoveSubstring, ReplacesWithinTheLimitAndRefusesBadRanges) {
  struct Case {
    const char* source;
    int from, to, source_length;
    const char* dest;
    int at, cut, limit;
    int result;
    const char* after;
  };
  const Case cases[] = {
      {"XYZ", 0, 3, 3, "abcdef", 2, 2, 260, 1, "abXYZef"},
      {"XYZ", -1, -1, -1, "abc", 3, 0, 260, 1, "abcXYZ"},
      {"XYZ", 1, 2, 3, "abc", 0, 3, 260, 1, "Y"},
      {"XYZ", 2, 1, 3, "abc", 0, 0, 260, 0, "abc"},  // from > to
      {"XYZ", 0, 4, 3, "abc", 0, 0, 260, 0, "abc"},  // to beyond the source
      {"XYZ", 0, 3, 3, "abc", 4, 0, 260, 0, "abc"},  // at beyond the destination
      {"XYZ", 0, 3, 3, "abc", 2, 2, 260, 0, "abc"},  // at + cut beyond it
      {"XYZ", 0, 3, 3, "abc", 3, 0, 7, 1, "abcXYZ"},  // 6 bytes fit a limit of 7
      {"XYZ", 0, 3, 3, "abcd", 4, 0, 7, 0, "abcd"},  // 7 would not
  };
  for (const Case& c : cases) {
    char dest[300];
    std::memset(dest, '#', sizeof dest);
    std::strcpy(dest, c.dest);
    int length = -1;
    EXPECT_EQ(vek::pfa_move_substring_low(c.source, c.from, c.to, c.source_length, dest, c.at,
                                          c.cut, &length, c.limit),
              c.result)
        << c.dest << " at " << c.at;
    EXPECT_STREQ(dest, c.after);
    if (c.result) {
      EXPECT_EQ(length, static_cast<int>(std::strlen(c.after)));
    }
  }
  // 259 bytes are accepted with limit 260, 260 refused.
  std::string body(258, 'a');
  char dest[300];
  std::strcpy(dest, body.c_str());
  int length = 258;
  EXPECT_EQ(vek::pfa_move_substring_low("b", 0, 1, 1, dest, 258, 0, &length, 260), 1);
  EXPECT_EQ(length, 259);
  EXPECT_EQ(vek::pfa_move_substring_low("c", 0, 1, 1, dest, 259, 0, &length, 260), 0);
  EXPECT_EQ(length, 259);
}

TEST_F(PfaComp, PutKeepsTheSlotsContiguousAndDropsInfoOnlyWhenAsked) {
  fill("//srv", "/data", "/a/", "b", "txt");
  EXPECT_EQ(slots(), "//srv|/data|/a/|b|txt|");
  EXPECT_EQ(vek::pfa_put_component(file_, 2, "/longer/path/"), 0);
  EXPECT_EQ(slots(), "//srv|/data|/longer/path/|b|txt|");
  EXPECT_EQ(vek::pfa_put_component(file_, 0, ""), 0);
  EXPECT_EQ(slots(), "|/data|/longer/path/|b|txt|");
  EXPECT_EQ(file_->component[5][0], static_cast<int>(std::strlen(file_->text)));
  EXPECT_EQ(vek::pfa_put_component(file_, 6, "x"), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_put_component(file_, 3, std::string(300, 'n').c_str()),
            vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(slots(), "|/data|/longer/path/|b|txt|");
  // An info record is dropped by a replacement, not by an append.
  int type = vek::appinfo_register_type(nullptr, nullptr, nullptr);
  ASSERT_NE(vek::appinfo_find_info(&file_->appinfo, type, 1), nullptr);
  file_->flags |= vek::PFA_FLAG_EXACT_CASE;
  EXPECT_EQ(vek::pfa_component_append_char(file_, 3, '2'), 0);
  EXPECT_NE(file_->appinfo, nullptr);
  EXPECT_EQ(file_->flags & vek::PFA_FLAG_EXACT_CASE, 0u);
  EXPECT_EQ(vek::pfa_put_component(file_, 3, "c"), 0);
  EXPECT_EQ(file_->appinfo, nullptr);
  EXPECT_EQ(slots(), "|/data|/longer/path/|c|txt|");
}

TEST_F(PfaComp, ReadersComparisonsAndCopies) {
  fill("", "C:", "/Dir/sub/", "Part", "prt");
  char ch = 0;
  EXPECT_EQ(vek::pfa_component_first_char(file_, 2, &ch), 0);
  EXPECT_EQ(ch, '/');
  EXPECT_EQ(vek::pfa_component_last_char(file_, 3, &ch), 0);
  EXPECT_EQ(ch, 't');
  EXPECT_EQ(vek::pfa_component_first_char(file_, 0, &ch), vek::PFA_E_NOT_FOUND);
  int type = -1;
  EXPECT_TRUE(vek::pfa_has_location(file_, &type));
  EXPECT_EQ(type, 1);
  EXPECT_EQ(vek::pfa_component_strcmp(file_, 3, "Part", -1), 0);
  EXPECT_EQ(vek::pfa_component_strcmp(file_, 3, "Parts", -1), -1);
  EXPECT_NE(vek::pfa_component_strcmp(file_, 3, "part", -1), 0);
  EXPECT_EQ(vek::pfa_component_u_strcmp(file_, 3, "pART", -1), 0);
  EXPECT_EQ(vek::pfa_component_strcmp(file_, 0, "", -1), 0);
  VynFile* other = vek::pfa_make_copy(file_);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(vek::pfas_component_strcmp(file_, other, 2), 0);
  EXPECT_EQ(vek::pfa_put_component(other, 2, "/Dir/"), 0);
  EXPECT_EQ(vek::pfa_component_is_substring(other, file_, 2), 1);
  EXPECT_EQ(vek::pfa_component_is_substring(file_, other, 2), 0);
  EXPECT_EQ(vek::pfa_copy_component(file_, other, 2), 0);
  EXPECT_EQ(vek::pfas_component_strcmp(file_, other, 2), 0);
  // A component copied within one handle.
  EXPECT_EQ(vek::pfa_copy_component(other, other, 2), 0);
  char buffer[260];
  EXPECT_EQ(vek::pfa_get_component(file_, 2, buffer, 260), 0);
  EXPECT_STREQ(buffer, "/Dir/sub/");
  EXPECT_EQ(vek::pfa_get_component(file_, 2, buffer, 9), 1);  // 9 bytes do not fit 9
  EXPECT_STREQ(buffer, "");
  int length = 0;
  EXPECT_EQ(vek::pfa_append_component_lower(file_, 3, buffer, &length, 260, 1), 0);
  EXPECT_STREQ(buffer, "part");
  EXPECT_EQ(vek::pfa_free_vyn_file(&other), 0);
}

TEST_F(PfaComp, LastDelimitedElements) {
  int start = 0, end = 0;
  EXPECT_TRUE(vek::pfa_last_delimited_range("a/b/", 0, 4, '/', &start, &end));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 3);
  EXPECT_FALSE(vek::pfa_last_delimited_range("/", 0, 1, '/', &start, &end));
  EXPECT_TRUE(vek::pfa_last_delimited_range("abc", 0, 3, '/', &start, &end));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(vek::pfa_last_sep_in_range("a/b/c", 0, 3, '/'), 1);
  EXPECT_EQ(vek::pfa_last_sep_in_range("abc", 0, 3, '/'), -1);
  fill("", "", "/x/yy/", "n", "");
  char buffer[260];
  EXPECT_EQ(vek::pfa_last_delimited_substring(file_, 2, '/', buffer), 0);
  EXPECT_STREQ(buffer, "yy");
  EXPECT_EQ(vek::pfa_last_delimited_substring(file_, 4, '/', buffer), vek::PFA_E_NOT_FOUND);
}

TEST_F(PfaComp, LegacyRecordRoundTripAndLongNamesInThePath) {
  vek::PfaLegacyComponents record;
  fill("//srv", "/data", "/a/", "b", "txt");
  EXPECT_EQ(get(&record), 0);
  EXPECT_STREQ(record.component0, "//srv");
  EXPECT_STREQ(record.path, "/a/");
  EXPECT_STREQ(record.name, "b");
  EXPECT_STREQ(record.extension, "txt");
  // A four-character extension goes into the path with its name.
  fill("", "", "/a/", "b", "html");
  EXPECT_EQ(get(&record), 0);
  EXPECT_STREQ(record.path, "/a/b.html");
  EXPECT_EQ(record.name[0], '#');  // not written
  // A handle of 259 bytes would need 260 characters for "path/name.ext": the path
  // field keeps only the path and is never written past its 260 bytes.
  std::string path = "/" + std::string(200, 'p') + "/";
  fill("", "", path.c_str(), std::string(40, 'n').c_str(), std::string(17, 'e').c_str());
  ASSERT_EQ(std::strlen(file_->text), 259u);
  EXPECT_EQ(get(&record), vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(std::string(record.path), path);
  EXPECT_EQ(record.name[0], '#');
  EXPECT_EQ(record.extension[3], '#');
  // A path ending in a file name with empty name and extension is split.
  fill("", "C:", "/dir/file.tar.gz", "", "");
  EXPECT_EQ(slots(), "|C:|/dir/|file.tar|gz|");
  fill("", "", "noslash", "", "");
  EXPECT_EQ(slots(), "|||noslash||");
  // A name of 260 bytes or more is refused whole.
  EXPECT_EQ(vek::xdr_put_pfa_components(file_, "", "", std::string(250, 'p').c_str(),
                                        "0123456789", ""),
            vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(slots(), "|||noslash||");
}

}  // namespace

namespace {

TEST_F(PfaComp, ComponentMappingFollowsTheLocationType) {
  struct {
    unsigned type;
    int host, device, path;
  } cases[] = {{1, 0, 1, 2}, {4, 0, 1, 2}, {8, -1, -1, -1}, {0, -1, -1, -1}};
  for (const auto& c : cases) {
    file_->location_type = c.type;
    int host = 9, device = 9, path = 9;
    EXPECT_EQ(vek::pfa_get_component_mapping(file_, &host, &device, &path), 0);
    EXPECT_EQ(host, c.host) << c.type;
    EXPECT_EQ(device, c.device) << c.type;
    EXPECT_EQ(path, c.path) << c.type;
  }
  EXPECT_EQ(vek::pfa_get_component_mapping(file_, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(vek::pfa_get_component_mapping(nullptr, nullptr, nullptr, nullptr),
            vek::PFA_E_NOT_VALID);
}

}  // namespace
