// Growable arrays of pointers that own memory blocks, and arrays of structures that own
// memory (the str family), with release, copy and make functions that count their calls.
#include "runtime/memory/xar_ptr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_layout.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using yrltest::live_blocks;

// What the release, copy and make functions saw.
struct Calls {
  std::vector<void*> released;
  int copies = 0;
  int makes = 0;
  std::vector<std::string> reports;  // routine names of the message tool's reports
};
Calls calls;

int record_report(const char* where) {
  calls.reports.push_back(where);
  return 0;
}

class XarPtrTest : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    calls = Calls();
    // Fatal reports of the message tool are recorded instead of stopping the process.
    vek::dbg_set_allow_crash(1);
    vek::dbg_set_crash_func(record_report);
  }
};


char* text(const char* s) {
  char* block = static_cast<char*>(vek::getmem(std::strlen(s) + 1));
  std::strcpy(block, s);
  return block;
}

// Gets the address of a copy of the element; releases the block through it.
int release_through_address(void* address) {
  calls.released.push_back(*static_cast<void**>(address));
  return vek::relmem(address);
}

// Gets the pointer; only records it.
int note_pointer(void* p) {
  calls.released.push_back(p);
  return 0;
}

void* copy_text(const void* p) {
  ++calls.copies;
  return p ? text(static_cast<const char*>(p)) : nullptr;
}

void* make_text(const void* p) {
  ++calls.makes;
  EXPECT_EQ(p, nullptr);
  return text("new");
}

// A pointer array holding the given elements.
void** pointers(const std::vector<void*>& items, int step = 2) {
  return static_cast<void**>(vek::array_to_xarray(
      items.data(), static_cast<int>(items.size()), sizeof(void*), step, nullptr));
}

std::vector<void*> items_of(void** x) { return std::vector<void*>(x, x + vek::xar_count(&x)); }

// ---------------------------------------------------------------------------------------
// Pointer arrays

TEST_F(XarPtrTest, ResetReleasesNonNullElementsThroughTheAddressOfACopy) {
  char* a = text("a");
  char* b = text("b");
  void** x = pointers({a, nullptr, b});
  vek::xar_ptr_reset(&x, release_through_address);
  EXPECT_EQ(calls.released, (std::vector<void*>{a, b}));
  EXPECT_EQ(vek::xar_count(&x), 0);
  EXPECT_EQ(live_blocks(), 1);

  // While memory is marked to preserve, the array keeps its (released) pointers.
  x[0] = nullptr;
  vek::xar_resize(&x, 2);
  x[0] = text("c");
  x[1] = text("d");
  std::vector<void*> kept = items_of(x);
  vek::set_marking_mem_to_preserve(1);
  vek::xar_ptr_reset(&x, release_through_address);
  EXPECT_EQ(items_of(x), kept);
  vek::set_marking_mem_to_preserve(0);
  vek::xar_free(&x);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, PblockResetAndFreeReleaseTheBlocks) {
  void** x = pointers({text("a"), text("b"), nullptr});
  vek::xar_pblock_reset(&x);
  EXPECT_EQ(vek::xar_count(&x), 0);
  EXPECT_EQ(live_blocks(), 1);
  vek::xar_ptr_append(&x, 2, nullptr, nullptr);
  x[1] = text("c");
  vek::xar_pblock_free(&x);
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(live_blocks(), 0);
  vek::xar_ptr_free(&x, release_through_address);
  EXPECT_TRUE(calls.released.empty());
}

TEST_F(XarPtrTest, DeleteReleasesOnlyTheRange) {
  char* a = text("a");
  char* b = text("b");
  char* c = text("c");
  char* d = text("d");
  void** x = pointers({a, b, c, d});
  vek::xar_ptr_delete(&x, 1, 2, release_through_address);
  EXPECT_EQ(calls.released, (std::vector<void*>{b, c}));
  EXPECT_EQ(items_of(x), (std::vector<void*>{a, d}));
  vek::xar_pblock_delete(&x, 0, 2);
  EXPECT_EQ(vek::xar_count(&x), 0);
  EXPECT_EQ(live_blocks(), 1);
  vek::xar_free(&x);
}

TEST_F(XarPtrTest, CopyCopiesEveryNonNullElement) {
  void** x = pointers({text("one"), nullptr, text("three")});
  void** copy = static_cast<void**>(vek::xar_ptr_copy(x, copy_text));
  ASSERT_EQ(vek::xar_count(&copy), 3);
  EXPECT_EQ(calls.copies, 2);
  EXPECT_NE(copy[0], x[0]);
  EXPECT_STREQ(static_cast<char*>(copy[0]), "one");
  EXPECT_EQ(copy[1], nullptr);
  EXPECT_STREQ(static_cast<char*>(copy[2]), "three");
  void** shallow = static_cast<void**>(vek::xar_ptr_copy(x, nullptr));
  EXPECT_EQ(items_of(shallow), items_of(x));
  EXPECT_EQ(vek::xar_ptr_copy(nullptr, copy_text), nullptr);
  vek::xar_free(&shallow);
  vek::xar_pblock_free(&copy);
  vek::xar_pblock_free(&x);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, PblockCopyCopiesTheFirstBytesOfEachBlock) {
  void** x = pointers({text("abcdefghi"), nullptr});
  void** four = static_cast<void**>(vek::xar_pblock_copy(x, 4));
  EXPECT_EQ(vek::getmem_area_size(four[0]), 4);
  EXPECT_EQ(std::memcmp(four[0], "abcd", 4), 0);
  EXPECT_EQ(four[1], nullptr);
  // A block smaller than the size is copied as far as it goes; the rest stays zero.
  void** wide = static_cast<void**>(vek::xar_pblock_copy(x, 64));
  EXPECT_EQ(vek::getmem_area_size(wide[0]), 64);
  EXPECT_STREQ(static_cast<char*>(wide[0]), "abcdefghi");
  const char* bytes = static_cast<const char*>(wide[0]);
  for (int i = 10; i < 64; ++i) ASSERT_EQ(bytes[i], 0);
  for (void*** p : {&x, &four, &wide}) vek::xar_pblock_free(p);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, AppendCopiesTheSourcePointers) {
  void** x = pointers({text("a")}, 1);
  void* const more[] = {const_cast<char*>("b"), nullptr, const_cast<char*>("c")};
  void** first = static_cast<void**>(vek::xar_ptr_append(&x, 3, more, copy_text));
  EXPECT_EQ(first, x + 1);
  EXPECT_EQ(calls.copies, 3);
  EXPECT_STREQ(static_cast<char*>(x[1]), "b");
  EXPECT_EQ(x[2], nullptr);
  EXPECT_STREQ(static_cast<char*>(x[3]), "c");
  // From the array itself, while it moves.
  vek::xar_ptr_append(&x, 4, x, copy_text);
  ASSERT_EQ(vek::xar_count(&x), 8);
  EXPECT_STREQ(static_cast<char*>(x[4]), "a");
  EXPECT_NE(x[4], x[0]);
  EXPECT_STREQ(static_cast<char*>(x[7]), "c");
  vek::xar_ptr_append(&x, 2, nullptr, copy_text);
  EXPECT_EQ(x[9], nullptr);
  vek::xar_pblock_free(&x);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, ConcatCopiesTheAppendedElements) {
  void** a = pointers({text("a")});
  void** b = pointers({text("b"), text("c")});
  vek::xar_ptr_concat(&a, b, copy_text);
  ASSERT_EQ(vek::xar_count(&a), 3);
  EXPECT_NE(a[1], b[0]);
  EXPECT_STREQ(static_cast<char*>(a[2]), "c");
  vek::xar_ptr_concat(&a, a, copy_text);
  ASSERT_EQ(vek::xar_count(&a), 6);
  EXPECT_NE(a[3], a[0]);
  EXPECT_STREQ(static_cast<char*>(a[5]), "c");
  void** c = nullptr;
  vek::xar_ptr_concat(&c, b, copy_text);
  ASSERT_EQ(vek::xar_count(&c), 2);
  EXPECT_NE(c[0], b[0]);
  EXPECT_STREQ(static_cast<char*>(c[0]), "b");
  for (void*** p : {&a, &b, &c}) vek::xar_pblock_free(p);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, AllocOrResizeReleasesDropsAndMakesNewElements) {
  void** x = nullptr;
  vek::xar_ptr_alloc_or_resize(&x, 4, 2, make_text, note_pointer);
  ASSERT_EQ(vek::xar_count(&x), 4);
  EXPECT_EQ(vek::xar_hdr_size(x), static_cast<int>(sizeof(void*)));
  EXPECT_EQ(calls.makes, 4);
  EXPECT_TRUE(calls.released.empty());
  std::vector<void*> before = items_of(x);

  // Shrinking: the dropped elements are released and their blocks freed; the kept ones
  // are passed to the release function too.
  vek::xar_ptr_alloc_or_resize(&x, 2, 2, make_text, note_pointer);
  EXPECT_EQ(vek::xar_count(&x), 2);
  EXPECT_EQ(calls.released, (std::vector<void*>{before[2], before[3], before[0], before[1]}));
  EXPECT_EQ(live_blocks(), 3);

  vek::xar_ptr_alloc_or_resize(&x, 5, 2, make_text, nullptr);
  EXPECT_EQ(calls.makes, 7);
  EXPECT_EQ(items_of(x)[1], before[1]);
  vek::xar_ptr_alloc_or_resize(&x, 6, 2, nullptr, nullptr);
  EXPECT_EQ(x[5], nullptr);

  vek::xar_ptr_alloc_or_resize(nullptr, 1, 1, make_text, nullptr);
  EXPECT_EQ(calls.reports, std::vector<std::string>{"xar_ptr_alloc_or_resize"});
  vek::xar_pblock_free(&x);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, FreeoffAndPointerResetsPassThePointers) {
  char* a = text("a");
  char* b = text("b");
  void** x = pointers({a, nullptr, b});
  vek::xar_ptr_freeoff(&x, note_pointer);
  EXPECT_EQ(calls.released, (std::vector<void*>{a, b}));
  EXPECT_EQ(vek::xar_count(&x), 3);

  calls.released.clear();
  vek::reset_pointer_xar(&x, note_pointer);
  EXPECT_EQ(calls.released, (std::vector<void*>{a, b}));
  EXPECT_EQ(vek::xar_count(&x), 0);

  x[0] = nullptr;
  vek::xar_ptr_append(&x, 1, reinterpret_cast<void* const*>(&a), nullptr);
  calls.released.clear();
  vek::release_pointer_xar(&x, note_pointer);
  EXPECT_EQ(calls.released, (std::vector<void*>{a}));
  EXPECT_EQ(x, nullptr);

  vek::xar_ptr_freeoff(nullptr, note_pointer);
  vek::xar_ptr_freeoff_with_str(nullptr, note_pointer);
  EXPECT_EQ(calls.reports, (std::vector<std::string>{"xar_ptr_free_offsprings", "xar_ptr_free"}));
  vek::relmem(&a);
  vek::relmem(&b);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, FreeoffWithStrFreesEveryElementAndTheArray) {
  char* a = text("a");
  char* b = text("b");
  void** x = pointers({a, nullptr, b});
  vek::xar_ptr_freeoff_with_str(&x, note_pointer);
  EXPECT_EQ(calls.released, (std::vector<void*>{a, b}));
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, ArraysOfAnotherElementSizeAreRefused) {
  int* ints = static_cast<int*>(vek::xar_alloc(3, 4, 1));
  ints[0] = 1;
  char* a = text("a");
  void* const source[] = {a};
  yrltest::SeriousReports reports;
  vek::xar_ptr_reset(&ints, release_through_address);
  vek::xar_ptr_freeoff(&ints, note_pointer);
  vek::xar_ptr_alloc_or_resize(&ints, 1, 1, make_text, note_pointer);
  EXPECT_EQ(vek::xar_ptr_append(&ints, 1, source, copy_text), nullptr);
  EXPECT_EQ(vek::xar_count(&ints), 3);
  EXPECT_EQ(ints[0], 1);
  EXPECT_TRUE(calls.released.empty());
  EXPECT_EQ(calls.makes, 0);
  EXPECT_EQ(calls.copies, 0);
  const std::string mismatch =
      ":  inconsistent size: old (4) != request (" + std::to_string(sizeof(void*)) +
      ") - SERIOUS ERROR.";
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{"xar_ptr_reset" + mismatch,
                                      "xar_ptr_free_offsprings" + mismatch,
                                      "xar_ptr_alloc_or_resize" + mismatch,
                                      "xar_ptr_append" + mismatch}));
  vek::rlsmem(a);
  vek::xar_free(&ints);
}

// ---------------------------------------------------------------------------------------
// Structures that own memory

struct Owner {
  char* name;
  int value;
};

int release_owner(void* p) {
  calls.released.push_back(p);
  return vek::relmem(&static_cast<Owner*>(p)->name);
}

int copy_owner(const void* from, void* to) {
  ++calls.copies;
  const Owner* source = static_cast<const Owner*>(from);
  Owner* target = static_cast<Owner*>(to);
  EXPECT_EQ(target->name, nullptr);  // released targets hold nothing
  target->name = source->name ? text(source->name) : nullptr;
  target->value = source->value;
  return 0;
}

Owner* owners(const std::vector<const char*>& names, int step = 2) {
  Owner* x = static_cast<Owner*>(
      vek::xar_alloc(static_cast<int>(names.size()), sizeof(Owner), step));
  for (std::size_t i = 0; i < names.size(); ++i) {
    x[i].name = names[i] ? text(names[i]) : nullptr;
    x[i].value = static_cast<int>(i) + 1;
  }
  return x;
}

TEST_F(XarPtrTest, StrFreeReleasesWhatTheBlockOwnsThenTheBlock) {
  Owner* block = static_cast<Owner*>(vek::getmem(sizeof(Owner)));
  block->name = text("x");
  Owner* keep = block;
  vek::str_free(&block, release_owner);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(calls.released, (std::vector<void*>{keep}));
  vek::str_free(&block, release_owner);
  vek::str_free(nullptr, release_owner);
  EXPECT_EQ(calls.released.size(), 1u);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, StrAllocOrCopy) {
  Owner source = {nullptr, 42};
  Owner* made = static_cast<Owner*>(vek::str_alloc_or_copy(&source, nullptr, sizeof(Owner)));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->value, 42);
  Owner target = {nullptr, 0};
  EXPECT_EQ(vek::str_alloc_or_copy(&source, &target, sizeof(Owner)), &target);
  EXPECT_EQ(target.value, 42);
  void* zeroed = vek::str_alloc_or_copy(nullptr, nullptr, 16);
  EXPECT_EQ(vek::getmem_area_size(zeroed), 16);

  EXPECT_EQ(vek::str_alloc_or_copy(&source, nullptr, vek::STR_MAX_STRUCTURE + 1), nullptr);
  EXPECT_EQ(vek::str_alloc_or_copy(&source, nullptr, -1), nullptr);
  EXPECT_EQ(vek::str_alloc_or_copy(&target, &target, sizeof(Owner)), nullptr);
  EXPECT_EQ(calls.reports, (std::vector<std::string>{"str_alloc_or_copy", "str_alloc_or_copy",
                                                     "str_alloc_or_copy"}));
  vek::relmem(&made);
  vek::relmem(&zeroed);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, XarStrFreeReleasesEveryElementByAddress) {
  Owner* x = owners({"a", nullptr, "c"});
  Owner* keep = x;
  vek::xar_str_free(&x, release_owner);
  EXPECT_EQ(calls.released, (std::vector<void*>{keep, keep + 1, keep + 2}));
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(live_blocks(), 0);
  vek::xar_str_free(&x, release_owner);
  vek::xar_str_free(nullptr, release_owner);
  EXPECT_EQ(calls.reports, std::vector<std::string>{"xar_str_free"});
}

TEST_F(XarPtrTest, XarStrDeleteReleasesTheRange) {
  Owner* x = owners({"a", "b", "c"});
  vek::xar_str_delete(&x, 1, 1, release_owner);
  ASSERT_EQ(vek::xar_count(&x), 2);
  EXPECT_STREQ(x[1].name, "c");
  EXPECT_EQ(calls.released.size(), 1u);
  for (std::pair<int, int> bad : {std::pair{1, 2}, {-1, 1}, {0, -1}, {3, 0}})
    vek::xar_str_delete(&x, bad.first, bad.second, release_owner);
  EXPECT_EQ(vek::xar_count(&x), 2);
  EXPECT_EQ(calls.reports.size(), 4u);
  EXPECT_EQ(calls.reports[0], "xar_str_delete");
  vek::xar_str_free(&x, release_owner);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, XarStrAllocOrResizeReleasesEveryElement) {
  Owner* x = owners({"a", "b"});
  vek::xar_str_alloc_or_resize(&x, 3, sizeof(Owner), 2, release_owner);
  ASSERT_EQ(vek::xar_count(&x), 3);
  EXPECT_EQ(calls.released.size(), 2u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(x[i].name, nullptr);
    EXPECT_EQ(x[i].value, 0);
  }
  EXPECT_EQ(live_blocks(), 1);

  vek::xar_str_alloc_or_resize(&x, 1, sizeof(Owner) + 8, 2, release_owner);
  EXPECT_EQ(vek::xar_count(&x), 3);
  vek::xar_str_alloc_or_resize(nullptr, 1, sizeof(Owner), 2, release_owner);
  EXPECT_EQ(calls.reports,
            (std::vector<std::string>{"xar_str_alloc_or_resize", "xar_str_alloc_or_resize"}));
  Owner* none = nullptr;
  vek::xar_str_alloc_or_resize(&none, 2, sizeof(Owner), 2, release_owner);
  EXPECT_EQ(vek::xar_count(&none), 2);
  vek::xar_free(&none);
  vek::xar_free(&x);
}

TEST_F(XarPtrTest, XarStrCopyMakesADeepCopy) {
  Owner* source = owners({"a", nullptr, "c"});
  Owner* target = owners({"p", "q", "r", "s", "t"});
  void* result = vek::xar_str_copy(&source, &target, release_owner, copy_owner);
  EXPECT_EQ(result, target);
  EXPECT_EQ(calls.released.size(), 5u);
  EXPECT_EQ(calls.copies, 3);
  ASSERT_EQ(vek::xar_count(&target), 3);
  EXPECT_STREQ(target[0].name, "a");
  EXPECT_NE(target[0].name, source[0].name);
  EXPECT_EQ(target[1].name, nullptr);
  EXPECT_EQ(target[2].value, 3);

  // Without a copy function the bytes are copied.
  Owner* plain = nullptr;
  vek::xar_str_copy(&source, &plain, nullptr, nullptr);
  EXPECT_EQ(plain[2].name, source[2].name);
  vek::xar_free(&plain);

  Owner* none = nullptr;
  EXPECT_EQ(vek::xar_str_copy(&none, &target, release_owner, copy_owner), nullptr);
  Owner* alias = source;
  EXPECT_EQ(vek::xar_str_copy(&source, &alias, release_owner, copy_owner), nullptr);
  EXPECT_EQ(vek::xar_str_copy(&source, &source, release_owner, copy_owner), nullptr);
  EXPECT_EQ(vek::xar_str_copy(nullptr, &target, release_owner, copy_owner), nullptr);
  EXPECT_EQ(calls.reports.size(), 3u);
  EXPECT_EQ(calls.reports[0], "xar_str_copy");

  // A target of another element size is reported and left alone.
  long long* other = static_cast<long long*>(vek::xar_alloc(1, 8, 1));
  EXPECT_EQ(vek::xar_str_copy(&source, &other, release_owner, copy_owner), nullptr);
  EXPECT_EQ(vek::xar_count(&other), 1);
  vek::xar_free(&other);
  vek::xar_str_free(&source, release_owner);
  vek::xar_str_free(&target, release_owner);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarPtrTest, ArrayToXarStrCopyChecksItsParameters) {
  Owner plain[2] = {{const_cast<char*>("x"), 7}, {nullptr, 8}};
  Owner* target = nullptr;
  void* result =
      vek::array_to_xar_str_copy(plain, &target, 2, sizeof(Owner), 3, release_owner, copy_owner);
  EXPECT_EQ(result, target);
  ASSERT_EQ(vek::xar_count(&target), 2);
  EXPECT_STREQ(target[0].name, "x");
  EXPECT_NE(target[0].name, plain[0].name);
  EXPECT_EQ(target[1].value, 8);
  EXPECT_EQ(vek::xar_hdr_step(target), 3);

  struct Bad {
    const void* array;
    void* p_dst;
    int count, size, step;
  };
  Owner* none = nullptr;
  for (Bad bad : {Bad{plain, nullptr, 2, sizeof(Owner), 1}, Bad{target, &target, 2, 16, 1},
                  Bad{plain, &none, -1, sizeof(Owner), 1}, Bad{nullptr, &none, 1, 16, 1},
                  Bad{plain, &none, 1, 0, 1}, Bad{plain, &none, 1, sizeof(Owner), -1},
                  // Step 0 can make no array for a count above 0.
                  Bad{plain, &none, 1, sizeof(Owner), 0}})
    EXPECT_EQ(vek::array_to_xar_str_copy(bad.array, bad.p_dst, bad.count, bad.size, bad.step,
                                         release_owner, copy_owner),
              nullptr);
  EXPECT_EQ(calls.reports, std::vector<std::string>(7, "array_to_xar_str_copy"));
  EXPECT_EQ(none, nullptr);
  // An existing destination is resized: its step is not asked for.
  EXPECT_EQ(vek::array_to_xar_str_copy(plain, &target, 1, sizeof(Owner), 0, release_owner,
                                       copy_owner),
            target);
  EXPECT_EQ(vek::xar_count(&target), 1);
  EXPECT_EQ(calls.reports.size(), 7u);
  vek::xar_str_free(&target, release_owner);
  EXPECT_EQ(live_blocks(), 0);
}

}  // namespace
