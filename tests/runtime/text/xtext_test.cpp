// The string lists xtext and xwtext: search and sort against the standard library, list
// files through the portable file utilities.
#include "runtime/text/xtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fileaccess/backends/pfu.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_ptr.h"
#include "runtime/text/lang.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::live_blocks;

class XtextTest : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    vek::set_language(vek::LANG_ENGLISH);
  }
};

vek::xtext make_list(const std::vector<std::string>& strings) {
  vek::xtext list = nullptr;
  for (const std::string& s : strings) vek::xtext_insert(&list, -1, s.c_str());
  return list;
}

vek::xwtext make_wlist(const std::vector<std::u16string>& strings) {
  vek::xwtext list = nullptr;
  for (const std::u16string& s : strings) vek::xwtext_insert(&list, -1, s.c_str());
  return list;
}

std::vector<std::string> strings_of(vek::xtext list) {
  std::vector<std::string> out;
  for (int i = 0, n = vek::xar_count(&list); i < n; ++i) out.push_back(list[i] ? list[i] : "<null>");
  return out;
}

std::vector<std::u16string> strings_of(vek::xwtext list) {
  std::vector<std::u16string> out;
  for (int i = 0, n = vek::xar_count(&list); i < n; ++i)
    out.push_back(list[i] ? list[i] : u"<null>");
  return out;
}

std::u16string widen(const std::string& s) {
  std::u16string w;
  for (unsigned char c : s) w += static_cast<char16_t>(c);
  return w;
}

std::vector<std::string> random_strings(std::mt19937& random, int count, int max_length) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string s(random() % static_cast<unsigned>(max_length + 1), ' ');
    // Bytes from 0x80 up too: the order is that of unsigned bytes, as strcmp's.
    for (char& c : s) c = static_cast<char>("abAB\x80\xe9z"[random() % 7]);
    out.push_back(s);
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Making, copying, searching and sorting

TEST_F(XtextTest, InsertMakesTheListAndStoresCopies) {
  vek::xtext list = nullptr;
  char text[] = "b";
  vek::xtext_insert(&list, -1, text);
  ASSERT_NE(list, nullptr);
  int size = 0, step = 0;
  vek::xar_params(&list, &size, &step, nullptr, nullptr);
  EXPECT_EQ(size, static_cast<int>(sizeof(void*)));
  EXPECT_EQ(step, 4);
  EXPECT_NE(list[0], text);
  vek::xtext_insert(&list, 0, "a");
  vek::xtext_insert(&list, 2, "d");
  vek::xtext_insert(&list, 2, "c");
  vek::xtext_insert(&list, -1, "e");
  EXPECT_EQ(strings_of(list), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  vek::xar_pblock_free(&list);

  vek::xwtext wlist = nullptr;
  vek::xwtext_insert(&wlist, -1, u"y");
  vek::xwtext_insert(&wlist, 0, u"x");
  EXPECT_EQ(strings_of(wlist), (std::vector<std::u16string>{u"x", u"y"}));
  vek::xar_pblock_free(&wlist);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XtextTest, CopyIsDeepAndKeepsNullElements) {
  vek::xtext list = make_list({"one", "two", "three"});
  vek::relmem(&list[1]);  // a null element
  vek::xtext copy = vek::xtext_copy(list);
  ASSERT_EQ(vek::xar_count(&copy), 3);
  EXPECT_EQ(copy[1], nullptr);
  EXPECT_NE(copy[0], list[0]);
  vek::xar_pblock_free(&list);
  EXPECT_EQ(strings_of(copy), (std::vector<std::string>{"one", "<null>", "three"}));
  vek::xar_pblock_free(&copy);

  vek::xwtext wlist = make_wlist({u"a", u"b"});
  vek::xwtext wcopy = vek::xwtext_copy(wlist);
  EXPECT_NE(wcopy[1], wlist[1]);
  EXPECT_EQ(strings_of(wcopy), strings_of(wlist));
  vek::xar_pblock_free(&wlist);
  vek::xar_pblock_free(&wcopy);
  EXPECT_EQ(vek::xtext_copy(nullptr), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XtextTest, SortAgreesWithStdSort) {
  std::mt19937 random(3);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> strings = random_strings(random, static_cast<int>(random() % 60), 5);
    vek::xtext list = make_list(strings);
    vek::xtext_sort(list);
    std::vector<std::string> expected = strings;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(strings_of(list), expected);
    vek::xar_pblock_free(&list);

    // Wide: units from 0x8000 up order above ASCII, as unsigned 16-bit values.
    std::vector<std::u16string> wide;
    for (const std::string& s : strings) {
      std::u16string w = widen(s);
      for (char16_t& c : w)
        if (c == 0x80) c = 0x9000;
      wide.push_back(w);
    }
    vek::xwtext wlist = make_wlist(wide);
    vek::xwtext_sort(wlist);
    std::sort(wide.begin(), wide.end());
    EXPECT_EQ(strings_of(wlist), wide);
    vek::xar_pblock_free(&wlist);
  }
}

TEST_F(XtextTest, BinarySearchAgreesWithLowerBound) {
  std::mt19937 random(5);
  std::vector<std::string> strings = random_strings(random, 80, 4);
  std::set<std::string> unique(strings.begin(), strings.end());
  std::vector<std::string> sorted(unique.begin(), unique.end());
  vek::xtext list = make_list(sorted);
  std::vector<std::u16string> wsorted;
  for (const std::string& s : sorted) wsorted.push_back(widen(s));
  vek::xwtext wlist = make_wlist(wsorted);
  for (const std::string& key : random_strings(random, 300, 4)) {
    auto at = std::lower_bound(sorted.begin(), sorted.end(), key);
    int expected_found = at != sorted.end() && *at == key;
    int expected_position = static_cast<int>(at - sorted.begin());
    int position = -1;
    EXPECT_EQ(vek::xtext_bin_search(list, key.c_str(), &position), expected_found) << key;
    EXPECT_EQ(position, expected_position) << key;
    position = -1;
    EXPECT_EQ(vek::xwtext_bin_search(wlist, widen(key).c_str(), &position), expected_found);
    EXPECT_EQ(position, expected_position) << key;
  }
  int position = -1;
  EXPECT_EQ(vek::xtext_bin_search(nullptr, "a", &position), 0);
  EXPECT_EQ(position, 0);
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wlist);
}

TEST_F(XtextTest, SortedInsertKeepsOneCopyOfEachString) {
  std::mt19937 random(9);
  std::vector<std::string> strings = random_strings(random, 200, 3);
  vek::xtext list = nullptr;
  vek::xwtext wlist = nullptr;
  std::set<std::string> reference;
  for (const std::string& s : strings) {
    bool fresh = reference.insert(s).second;
    int count = vek::xar_count(&list);
    char* first = count ? list[0] : nullptr;
    EXPECT_EQ(vek::xtext_sorted_insert(&list, s.c_str()), fresh ? 1 : 0) << s;
    EXPECT_EQ(vek::xwtext_sorted_insert(&wlist, widen(s).c_str()), fresh ? 1 : 0) << s;
    if (!fresh) {  // unchanged: same count, same blocks
      EXPECT_EQ(vek::xar_count(&list), count);
      EXPECT_EQ(list[0], first);
    }
  }
  EXPECT_EQ(strings_of(list), std::vector<std::string>(reference.begin(), reference.end()));
  std::vector<std::u16string> wexpected;
  for (const std::string& s : reference) wexpected.push_back(widen(s));
  EXPECT_EQ(strings_of(wlist), wexpected);
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wlist);
}

TEST_F(XtextTest, LinearSearchFindsTheFirstEqualElement) {
  vek::xtext list = make_list({"b", "a", "b", "c"});
  vek::relmem(&list[3]);  // null elements never match, nor stop the search
  EXPECT_EQ(vek::xtext_lin_search(list, "b"), 0);
  EXPECT_EQ(vek::xtext_lin_search(list, "a"), 1);
  EXPECT_EQ(vek::xtext_lin_search(list, "c"), -1);
  EXPECT_EQ(vek::xtext_lin_search(nullptr, "a"), -1);
  const char* plain[] = {"x", "y", "y"};
  EXPECT_EQ(vek::xtext_lin_search_low(const_cast<char* const*>(plain), 3, "y"), 1);
  EXPECT_EQ(vek::xtext_lin_search_low(const_cast<char* const*>(plain), 1, "y"), -1);
  vek::xar_pblock_free(&list);

  vek::xwtext wlist = make_wlist({u"p", u"q", u"q"});
  EXPECT_EQ(vek::xwtext_lin_search(wlist, u"q"), 1);
  EXPECT_EQ(vek::xwtext_lin_search(wlist, u"r"), -1);
  vek::xar_pblock_free(&wlist);
}

TEST_F(XtextTest, DummyWstrcmpOrdersLikeWscmpWithNullFirst) {
  EXPECT_LT(vek::dummy_wstrcmp(u"a", u"b"), 0);
  EXPECT_GT(vek::dummy_wstrcmp(u"\u9000", u"b"), 0);
  EXPECT_EQ(vek::dummy_wstrcmp(u"ab", u"ab"), 0);
  EXPECT_LT(vek::dummy_wstrcmp(nullptr, u""), 0);
  EXPECT_GT(vek::dummy_wstrcmp(u"", nullptr), 0);
  EXPECT_EQ(vek::dummy_wstrcmp(nullptr, nullptr), 0);
}

TEST_F(XtextTest, PrintShowsIndexAndText) {
  vek::xtext list = make_list({"alpha", "beta"});
  vek::xwtext wlist = make_wlist({u"caf\u00e9"});
  yrltest::ConsoleCapture console;
  vek::xtext_print(list);
  vek::xwtext_print(wlist);
  EXPECT_EQ(console.out(), "0::alpha\n1::beta\n0::caf\xe9\n");
  console.clear();
  int not_a_list[4] = {1, 2, 3, 4};  // no array header in front of element 2
  vek::xtext_print(reinterpret_cast<vek::xtext>(not_a_list + 2));
  vek::xwtext_print(nullptr);
  EXPECT_EQ(console.out(), "Bad xarray.\n\nBad xarray.\n\n");
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wlist);
}

// ---------------------------------------------------------------------------------------
// Splitting and joining

TEST_F(XtextTest, FromStringGivesTheWordsAsStreamExtractionDoes) {
  for (std::string text : {"  one two\tthree\nfour  ", "", "   ", "single", "a  b"}) {
    std::istringstream in(text);
    std::vector<std::string> expected;
    for (std::string word; in >> word;) expected.push_back(word);
    vek::xtext list = vek::xtext_from_string(text.c_str());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(strings_of(list), expected) << text;
    vek::xwtext wlist = vek::xwtext_from_string(text.c_str());
    std::vector<std::u16string> wexpected;
    for (const std::string& w : expected) wexpected.push_back(widen(w));
    EXPECT_EQ(strings_of(wlist), wexpected);
    vek::xar_pblock_free(&list);
    vek::xar_pblock_free(&wlist);
  }
  // A word longer than the 10,000-character buffer the words were once read into.
  std::string long_word(15000, 'w');
  vek::xtext list = vek::xtext_from_string((" " + long_word + " x").c_str());
  EXPECT_EQ(strings_of(list), (std::vector<std::string>{long_word, "x"}));
  vek::xar_pblock_free(&list);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XtextTest, ToXwtextFillsANewOrEmptiedList) {
  vek::xtext list = make_list({"caf\xe9", "x"});
  vek::xwtext wide = nullptr;
  vek::xtext_to_xwtext(list, &wide);
  EXPECT_EQ(strings_of(wide), (std::vector<std::u16string>{u"caf\u00e9", u"x"}));
  vek::xwtext_insert(&wide, -1, u"old");
  int blocks = live_blocks();
  vek::xtext_to_xwtext(list, &wide);
  EXPECT_EQ(strings_of(wide), (std::vector<std::u16string>{u"caf\u00e9", u"x"}));
  EXPECT_EQ(live_blocks(), blocks - 1);  // the old strings were released
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wide);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XtextTest, ToStringJoinsWhatFits) {
  vek::xtext list = make_list({"ab", "cd", "ef"});
  struct Case {
    int start;
    const char* sep;
    int size;
    const char* expected;
    int last;
    int all;
  };
  for (Case c : {Case{0, ", ", 100, "ab, cd, ef", 2, 1}, Case{0, ", ", 13, "ab, cd, ef", 2, 1},
                 // Each element counts with its separator, the last one's too.
                 Case{0, ", ", 12, "ab, cd", 1, 0}, Case{1, "-", 100, "cd-ef", 2, 1},
                 Case{0, "", 7, "abcdef", 2, 1}, Case{0, "", 6, "abcd", 1, 0},
                 Case{0, ", ", 4, "", -1, 0}, Case{3, ", ", 10, "", 2, 1},
                 Case{2, nullptr, 10, "ef", 2, 1}, Case{4, ", ", 10, "", 3, 0},
                 Case{-1, ", ", 10, "", -2, 0}}) {
    char out[128];
    std::memset(out, 'z', sizeof out);
    int last = 99;
    EXPECT_EQ(vek::xtext_to_string(list, c.start, c.sep, c.size, out, &last), c.all)
        << c.start << " " << c.size;
    EXPECT_STREQ(out, c.expected) << c.start << " " << c.size;
    EXPECT_EQ(last, c.last) << c.start << " " << c.size;
    EXPECT_LT(std::strlen(out), static_cast<std::size_t>(c.size));
  }
  vek::xar_pblock_free(&list);
}

// ---------------------------------------------------------------------------------------
// List files

class XtextFileTest : public XtextTest {
 protected:
  vek::PF_File* open(int access, int mode = vek::PFU_TEXT) {
    vek::PF_File* file = nullptr;
    EXPECT_EQ(vek::pfu_fopen(path.c_str(), access, mode, 512, &file), vek::PFU_SUCCESS);
    return file;
  }
  void close(vek::PF_File** file) { EXPECT_EQ(vek::pfu_fclose(file), vek::PFU_SUCCESS); }

  // The file read by a record of its own.
  template <typename Read>
  auto read_with(Read read, int mode) {
    vek::PF_File* file = open(vek::PFU_ACCESS_READ, mode);
    auto list = read(file);
    close(&file);
    return list;
  }
  vek::xtext read_list(int mode = vek::PFU_TEXT) { return read_with(vek::xtext_read_file, mode); }
  vek::xwtext read_wlist(int mode = vek::PFU_TEXT) {
    return read_with(vek::xwtext_read_file, mode);
  }

  yrltest::TempDir dir;
  std::string path = dir.file("list.txt");
};

TEST_F(XtextFileTest, NarrowListRoundTrip) {
  vek::xtext list = make_list({"first line", "", "  blanks kept  ", "caf\xe9"});
  vek::PF_File* file = open(vek::PFU_ACCESS_CREATE_WRITE);
  EXPECT_EQ(vek::xtext_write_file(file, &list), vek::PFU_SUCCESS);
  close(&file);
  // Text files end their lines with CR LF on disk.
  EXPECT_EQ(yrltest::read_file(path), "first line\r\n\r\n  blanks kept  \r\ncaf\xe9\r\n");
  vek::xtext back = read_list();
  EXPECT_EQ(strings_of(back), strings_of(list));
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&back);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XtextFileTest, WideListRoundTripInItsNarrowForm) {
  vek::xwtext list = make_wlist({u"caf\u00e9 \u20ac", u"", u"x"});
  vek::PF_File* file = open(vek::PFU_ACCESS_CREATE_WRITE, vek::PFU_BINARY);
  EXPECT_EQ(vek::xwtext_write_file(file, &list), vek::PFU_SUCCESS);
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "caf\xe9 \x80\n\nx\n");
  vek::xwtext back = read_wlist(vek::PFU_BINARY);
  EXPECT_EQ(strings_of(back), strings_of(list));
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&back);
}

TEST_F(XtextFileTest, BothReadersKeepALastLineWithoutLineFeed) {
  yrltest::write_file(path, "a\r\nb\nlast");
  vek::xtext list = read_list();
  EXPECT_EQ(strings_of(list), (std::vector<std::string>{"a", "b", "last"}));
  vek::xwtext wlist = read_wlist();
  EXPECT_EQ(strings_of(wlist), (std::vector<std::u16string>{u"a", u"b", u"last"}));
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wlist);
}

TEST_F(XtextFileTest, EmptyFileGivesAnEmptyList) {
  yrltest::write_file(path, "");
  vek::xtext list = read_list();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(vek::xar_count(&list), 0);
  vek::xar_pblock_free(&list);
}

TEST_F(XtextFileTest, LongestLineIsReadAndALongerOneFailsTheRead) {
  std::string longest(9998, 'x');  // 9,999 bytes with its line feed
  yrltest::write_file(path, "a\n" + longest + "\n");
  vek::xtext list = read_list(vek::PFU_BINARY);
  EXPECT_EQ(strings_of(list), (std::vector<std::string>{"a", longest}));
  vek::xar_pblock_free(&list);

  yrltest::write_file(path, "a\nb\n" + longest + "x\n");
  EXPECT_EQ(read_list(vek::PFU_BINARY), nullptr);
  EXPECT_EQ(read_wlist(vek::PFU_BINARY), nullptr);
  EXPECT_EQ(live_blocks(), 0);  // the lines read so far went with the list
}

TEST_F(XtextFileTest, WriteStopsAtTheFirstFailure) {
  vek::xtext list = make_list({"a"});
  vek::PF_File* file = open(vek::PFU_ACCESS_READ);  // not open for writing
  EXPECT_EQ(vek::xtext_write_file(file, &list), vek::PFU_TRAP);
  vek::xwtext wlist = make_wlist({u"a"});
  EXPECT_EQ(vek::xwtext_write_file(file, &wlist), vek::PFU_TRAP);
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "");
  // Nothing to write succeeds without touching the file.
  vek::xtext empty = nullptr;
  EXPECT_EQ(vek::xtext_write_file(nullptr, &empty), vek::PFU_SUCCESS);
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wlist);
}

TEST_F(XtextFileTest, ReadingFromNoFileGivesNull) {
  EXPECT_EQ(vek::xtext_read_file(nullptr), nullptr);
  EXPECT_EQ(vek::xwtext_read_file(nullptr), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

}  // namespace
