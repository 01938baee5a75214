// Splitting names through a file handle: location, base name, extension and version,
// family names with their generic, and full names built from names, directories and
// sub-paths.
#include <gtest/gtest.h>

#include <string>

#include "fileaccess/core/objtype.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/fileaccess/names/names_test.h"
#include "tests/support/console_capture.h"

namespace {

using yrltest::narrow;
using yrltest::widen;

class FnParse : public yrltest::FileaccessTest {};

// A wide output of the parsers: "(null)" for no part.
std::string part(const char16_t* w) { return w ? narrow(w) : "(null)"; }

TEST_F(FnParse, ParseFilenameSplitsThroughAHandle) {
  struct Case {
    std::string name;
    int result;
    std::string location, base, extension, version;
  };
  const std::string base66(66, 'b');
  const std::string base67(67, 'b');
  const Case cases[] = {
      {"C:\\dir\\a.prt.3", 0, "C:\\dir\\", "a", "prt", "3"},
      {"dir\\a.prt.3", 0, "dir\\", "a", "prt", "3"},
      {"/d/a.prt.2", 0, "\\d\\", "a", "prt", "2"},  // the location in its native form
      {"\\\\host\\share\\a.prt", 0, "\\\\host\\share\\", "a", "prt", "(null)"},
      {"a.prt", 0, "(null)", "a", "prt", "(null)"},
      {"a.prt.-2", 0, "(null)", "a", "prt", "-2"},
      {"x.drw.12", 0, "(null)", "x", "drw", "12"},
      {"a.b.c.d", 0, "(null)", "a.b.c", "d", "(null)"},  // the handle's last-dot extension
      {"plain", 0, "(null)", "plain", "(null)", "(null)"},
      {"C:\\d\\", 0, "C:\\d\\", "(null)", "(null)", "(null)"},  // a directory: no extension
      // No known type and no extension: the grammar splits the base name.
      {".cfg.txt", 0, "(null)", ".cfg", "txt", "(null)"},
      {"C:\\d\\.cfg.txt.4", 0, "C:\\d\\", ".cfg", "txt", "4"},
      // An explicit location through "||" is kept as written.
      {"loc||a.prt.2", 0, "loc||", "a", "prt", "2"},
      {"db:x||sub\\a.prt", 11, "(null)", "(null)", "(null)", "(null)"},
      {"loc||C:\\a.prt", 11, "(null)", "(null)", "(null)", "(null)"},
      {base66 + ".prt", 0, "(null)", base66, "prt", "(null)"},
      {base67 + ".prt", 11, "(null)", "(null)", "(null)", "(null)"},
      {std::string(261, 'a'), 11, "(null)", "(null)", "(null)", "(null)"},
  };
  for (const Case& c : cases) {
    std::u16string name = widen(c.name);
    char16_t *l = nullptr, *b = nullptr, *e = nullptr, *v = nullptr;
    EXPECT_EQ(vek::parse_filename(name.c_str(), &l, &b, &e, &v), c.result) << c.name;
    EXPECT_EQ(part(l), c.location) << c.name;
    EXPECT_EQ(part(b), c.base) << c.name;
    EXPECT_EQ(part(e), c.extension) << c.name;
    EXPECT_EQ(part(v), c.version) << c.name;
  }
  EXPECT_EQ(vek::parse_filename(nullptr, nullptr, nullptr, nullptr, nullptr), 11);
  // Null outputs are skipped.
  EXPECT_EQ(vek::parse_filename(u"C:\\d\\a.prt.3", nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(FnParse, ParseFilenameReportsItsRefusals) {
  show_serious_reports();
  struct Case {
    std::string name;
    std::string message;
  };
  const Case cases[] = {
      {std::string(261, 'a'), "Filename too long"},
      {std::string(67, 'b') + ".prt", "filename length > K_FAMILY_NAME_SIZE"},
      {"loc||C:\\a.prt", " bad filename."},
  };
  for (const Case& c : cases) {
    yrltest::ConsoleCapture console;
    std::u16string name = widen(c.name);
    EXPECT_EQ(vek::parse_filename(name.c_str(), nullptr, nullptr, nullptr, nullptr), 11);
    EXPECT_NE((console.out() + console.err()).find("parse_filename"), std::string::npos);
    EXPECT_NE((console.out() + console.err()).find(c.message), std::string::npos) << c.name;
  }
}

TEST_F(FnParse, GenericParseSplitsInstanceAndGeneric) {
  struct Case {
    std::string name;
    int result;
    std::string location, instance, generic, extension, version, gen_name;
    int gen_result;
  };
  const Case cases[] = {
      // No special character: the name is the generic, unparsed.
      {"abc", 0, "(null)", "(null)", "abc", "(null)", "(null)", "abc", 0},
      {"inst<gen>.prt", 0, "(null)", "inst", "gen", "prt", "(null)", "gen.prt", 0},
      {"C:\\d\\i<g>.prt.2", 0, "C:\\d\\", "i", "g", "prt", "2", "C:\\d\\g.prt.2", 0},
      {"i<g>", 0, "(null)", "i", "g", "(null)", "(null)", "g", 0},
      {"i<i>.prt", 0, "(null)", "i", "i", "prt", "(null)", "i.prt", 0},
      // An empty bracket names no generic; the name is not read as "i.prt".
      {"i<>.prt", 0, "(null)", "i", "(null)", "prt", "(null)", "", 4},
      // Without a bracket the base name is the generic.
      {"C:\\d\\a.prt", 0, "C:\\d\\", "(null)", "a", "prt", "(null)", "C:\\d\\a.prt", 0},
      // A directory has no base name: no generic.
      {"C:\\d\\", 0, "C:\\d\\", "(null)", "(null)", "(null)", "(null)", "", 4},
      // Brackets that do not pair.
      {"i<g", 11, "(null)", "(null)", "(null)", "(null)", "(null)", "", 11},
      {"i<g>x>.prt", 11, "(null)", "(null)", "(null)", "(null)", "(null)", "", 11},
      {"a>b\\i<g>.prt", 11, "(null)", "(null)", "(null)", "(null)", "(null)", "", 11},
      // The rest fails to parse.
      {"loc||C:\\i<g>.prt", 11, "(null)", "(null)", "(null)", "(null)", "(null)", "", 11},
  };
  for (const Case& c : cases) {
    std::u16string name = widen(c.name);
    char16_t *l = nullptr, *i = nullptr, *g = nullptr, *e = nullptr, *v = nullptr;
    EXPECT_EQ(vek::generic_parse_filename(name.c_str(), &l, &i, &g, &e, &v), c.result) << c.name;
    EXPECT_EQ(part(l), c.location) << c.name;
    EXPECT_EQ(part(i), c.instance) << c.name;
    EXPECT_EQ(part(g), c.generic) << c.name;
    EXPECT_EQ(part(e), c.extension) << c.name;
    EXPECT_EQ(part(v), c.version) << c.name;
    EXPECT_EQ(vek::generic_parse_filename_weak_check(name.c_str(), nullptr, nullptr, nullptr,
                                                     nullptr, nullptr),
              c.result)
        << c.name;
    char16_t out[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::get_gen_name(name.c_str(), out), c.gen_result) << c.name;
    EXPECT_EQ(narrow(out), c.gen_name) << c.name;
  }
}

TEST_F(FnParse, BufferFormsCutEachPartToItsBuffer) {
  // Sentinels after each buffer show that nothing is written past it.
  struct Buffers {
    char16_t location[vek::PARSE_LOCATION_SIZE + 1];
    char16_t base[vek::PARSE_BASE_SIZE + 1];
    char16_t instance[vek::GENERIC_PARSE_INSTANCE_SIZE + 1];
    char16_t generic[vek::GENERIC_PARSE_GENERIC_SIZE + 1];
    char16_t extension[vek::PARSE_EXTENSION_SIZE + 1];
    char16_t version[vek::PARSE_VERSION_SIZE + 1];
  };
  auto fill = [](Buffers& b) {
    for (char16_t* p = reinterpret_cast<char16_t*>(&b);
         p < reinterpret_cast<char16_t*>(&b + 1); ++p)
      *p = u'#';
  };
  auto untouched_after = [](const char16_t* buffer, int size) { return buffer[size] == u'#'; };

  Buffers b;
  fill(b);
  std::u16string name = widen("C:\\d\\" + std::string(60, 'n') + ".prt.12345");
  EXPECT_EQ(vek::parse_filename_buffer(name.c_str(), b.location, b.base, b.extension, b.version),
            0);
  EXPECT_EQ(narrow(b.location), "C:\\d\\");
  EXPECT_EQ(narrow(b.base), std::string(60, 'n'));
  EXPECT_EQ(narrow(b.extension), "prt");
  EXPECT_EQ(narrow(b.version), "123");  // cut to its buffer of four
  EXPECT_TRUE(untouched_after(b.version, vek::PARSE_VERSION_SIZE));

  fill(b);
  std::u16string family = widen("C:\\d\\" + std::string(40, 'i') + "<" + std::string(70, 'g') +
                                ">.asm.2");
  EXPECT_EQ(vek::generic_parse_filename_buffer(family.c_str(), b.location, b.instance, b.generic,
                                               b.extension, b.version),
            0);
  EXPECT_EQ(narrow(b.location), "C:\\d\\");
  EXPECT_EQ(narrow(b.instance), std::string(31, 'i'));
  EXPECT_EQ(narrow(b.generic), std::string(63, 'g'));
  EXPECT_EQ(narrow(b.extension), "asm");
  EXPECT_EQ(narrow(b.version), "2");
  EXPECT_TRUE(untouched_after(b.instance, vek::GENERIC_PARSE_INSTANCE_SIZE));
  EXPECT_TRUE(untouched_after(b.generic, vek::GENERIC_PARSE_GENERIC_SIZE));
  EXPECT_TRUE(untouched_after(b.extension, vek::GENERIC_PARSE_EXTENSION_SIZE));

  // A failed parse, and a missing part, give empty buffers.
  fill(b);
  EXPECT_EQ(vek::parse_filename_buffer(u"loc||C:\\a.prt", b.location, b.base, b.extension,
                                       b.version),
            11);
  for (const char16_t* p : {b.location, b.base, b.extension, b.version}) EXPECT_EQ(p[0], 0);
  fill(b);
  EXPECT_EQ(vek::generic_parse_filename_buffer(u"abc", b.location, b.instance, b.generic,
                                               b.extension, b.version),
            0);
  EXPECT_EQ(narrow(b.generic), "abc");
  for (const char16_t* p : {b.location, b.instance, b.extension, b.version}) EXPECT_EQ(p[0], 0);
  EXPECT_EQ(vek::parse_filename_buffer(u"a.prt", nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(FnParse, FamilyNameWithTheTypesExtension) {
  const int prt = vek::extension_to_type("prt");
  ASSERT_GE(prt, 0);
  struct Case {
    const char16_t* instance;
    const char16_t* generic;
    int type;
    std::string out;
  };
  const Case cases[] = {
      {u"i", u"g", prt, "i<g>.PRT"},  // the table's extension as written there
      {u"g", u"g", prt, "g.PRT"},
      {u"i", u"g", -1, "i<g>"},
      {nullptr, u"g", prt, "g.PRT"},
  };
  for (const Case& c : cases) {
    char16_t out[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::make_family_name_w_ext(c.instance, c.generic, c.type, out), 0) << c.out;
    EXPECT_EQ(narrow(out), c.out);
  }
  EXPECT_EQ(vek::make_family_name_w_ext(u"i", u"g", prt, nullptr), 92);
}

TEST_F(FnParse, FilepathIsLocal) {
  EXPECT_EQ(vek::filepath_is_local(u"C:\\d\\a.prt"), 1);
  EXPECT_EQ(vek::filepath_is_local(u"a.prt"), 1);
  EXPECT_EQ(vek::filepath_is_local(nullptr), 0);
  EXPECT_EQ(vek::filepath_is_local(widen(std::string(260, 'a')).c_str()), 0);
}

TEST_F(FnParse, FullNamesFromNamesAndExtensions) {
  const int prt = vek::extension_to_type("prt");
  struct Case {
    const char16_t* name;
    const char16_t* extension;
    std::string full;
  };
  const Case cases[] = {
      {u"C:\\d\\A.Prt.3", nullptr, "C:\\d\\A.Prt"},  // case kept, version dropped
      {u"C:\\d\\A", u"prt", "C:\\d\\A.prt"},
      {u"C:\\d\\A.txt", u"drw", "C:\\d\\A.drw"},
      {u"C:\\d\\A.txt", u"", "C:\\d\\A.txt"},
      {nullptr, nullptr, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(narrow(vek::make_full_name(c.name, c.extension)), c.full);

  vek::VynFile* file = vek::make_full_name_pfa(u"C:\\d\\a.txt.4", u"prt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(vek::pfa_get_version(file), 0);
  EXPECT_EQ(vek::pfa_get_obj_type(file), prt);
  vek::pfa_free_vyn_file(&file);
  EXPECT_EQ(vek::make_full_name_pfa(nullptr, u"prt"), nullptr);
}

TEST_F(FnParse, FilepathJoinsDirectorySubPathAndName) {
  struct Case {
    const char16_t* name;
    const char16_t* directory;
    const char16_t* sub_path;
    int result;
    std::string out;
  };
  const Case cases[] = {
      {u"a.prt", u"C:\\d", nullptr, 0, "C:\\d\\a.prt"},
      {u"a.prt", u"C:\\d\\", nullptr, 0, "C:\\d\\a.prt"},
      {u"a.prt", u"C:\\d", u"%s1%s2", 0, "C:\\d\\s1\\s2\\a.prt"},  // '%' reads as '/'
      {u"a.prt", u"C:\\d", u"/s1", 0, "C:\\d\\s1\\a.prt"},         // one leading '/' dropped
      {u"", u"C:\\d", u"s", 0, "C:\\d\\s\\"},
      {nullptr, u"C:\\d", nullptr, 0, "C:\\d\\"},
      {u"a.prt", u"rel", nullptr, 0, "rel\\a.prt"},
      {u"C:\\x\\a.prt", u"C:\\d", nullptr, 0, "C:\\x\\a.prt"},  // an absolute name stays
      {u"a.prt", nullptr, nullptr, vek::PFA_E_INVALID_INPUT, ""},
  };
  for (const Case& c : cases) {
    char16_t out[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::make_filepath(c.name, c.directory, c.sub_path, out), c.result) << c.out;
    EXPECT_EQ(narrow(out), c.out);
  }
  // A joined name of 260 characters or more is a failure, never a cut name.
  std::u16string deep = widen("C:\\" + std::string(200, 'd'));
  std::u16string sub = widen(std::string(50, 's'));
  std::u16string name = widen(std::string(20, 'n') + ".prt");
  char16_t out[vek::VYN_NAME_MAX];
  EXPECT_NE(vek::make_filepath(name.c_str(), deep.c_str(), sub.c_str(), out), 0);
  EXPECT_EQ(out[0], 0);
}

}  // namespace
