// The stream methods over an inner handle: a location type whose slot holds another
// VynFile reads, writes and positions through it, forwards the rest to the inner
// handle's location, and answers without an inner handle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileaccess/core/pfainst.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/temp_dir.h"

namespace {

using vek::VynFile;

constexpr int kWrap = vek::PFA_LOC_VAULTIX;
constexpr int kInner = vek::PFA_LOC_LIST;

// What the inner location's methods were called with.
std::vector<std::string> calls;

std::string text_of(const void* p) { return p ? static_cast<const char*>(p) : "null"; }

int rec_ungetc(VynFile*, void**, int c) {
  calls.push_back("ungetc " + std::to_string(c));
  return c;
}
int rec_fputs(VynFile*, void**, void* text) {
  calls.push_back("fputs " + text_of(text));
  return 0;
}
int rec_flush(VynFile*, void**) {
  calls.push_back("flush");
  return 0;
}
int rec_rewind(VynFile*, void**) {
  calls.push_back("rewind");
  return 0;
}
int rec_unwind(VynFile*, void**) {
  calls.push_back("unwind");
  return 0;
}
int rec_setbuf(VynFile*, void**, void* buffer) {
  calls.push_back("setbuf " + text_of(buffer));
  return 0;
}
int rec_fseek(VynFile*, void**, void* p, int a, int b, int c) {
  calls.push_back("fseek " + text_of(p) + " " + std::to_string(a) + " " + std::to_string(b) +
                  " " + std::to_string(c));
  return 0;
}
int rec_copy(VynFile* from, void**, VynFile* to, void**, void* a, void* b) {
  calls.push_back("copy " + std::to_string(from->version) + ">" + std::to_string(to->version) +
                  " " + text_of(a) + " " + text_of(b));
  return 0;
}

class PfaWrap : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    calls.clear();
    VynFile* first = nullptr;
    ASSERT_EQ(vek::pfa_alloc_vyn_file(&first), 0);  // registers the standard types
    vek::pfa_free_vyn_file(&first);
    ASSERT_EQ(vek::pfa_loc_register_setup(kWrap), 1);
    EXPECT_EQ(vek::pfawrap_register_file_funcs(kWrap), 1);
    ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
    ASSERT_EQ(vek::pfa_loc_register_setup(kInner), 1);
    using namespace vek;
    pfa_loc_method_register(kInner, PfaUngetc, PLM_CALL_FLI,
                            vek::as_method(static_cast<PfaLocFn_FLI>(rec_ungetc)));
    pfa_loc_method_register(kInner, PfaFputs, PLM_CALL_FLP,
                            vek::as_method(static_cast<PfaLocFn_FLP>(rec_fputs)));
    pfa_loc_method_register(kInner, PfaFlushFile, PLM_CALL_FL,
                            vek::as_method(static_cast<PfaLocFn_FL>(rec_flush)));
    pfa_loc_method_register(kInner, PfaRewindFile, PLM_CALL_FL,
                            vek::as_method(static_cast<PfaLocFn_FL>(rec_rewind)));
    pfa_loc_method_register(kInner, PfaUnwindFile, PLM_CALL_FL,
                            vek::as_method(static_cast<PfaLocFn_FL>(rec_unwind)));
    pfa_loc_method_register(kInner, PfaSetbuf, PLM_CALL_FLP,
                            vek::as_method(static_cast<PfaLocFn_FLP>(rec_setbuf)));
    pfa_loc_method_register(kInner, PfaFseek, PLM_CALL_FLPIII,
                            vek::as_method(static_cast<PfaLocFn_FLPIII>(rec_fseek)));
    pfa_loc_method_register(kInner, PfaCopyThruCookie, PLM_CALL_FLFLPP,
                            vek::as_method(static_cast<PfaLocFn_FLFLPP>(rec_copy)));
    ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  }
  void TearDown() override {
    for (VynFile*& f : files_) {
      if (f && f->location_type == static_cast<unsigned>(kWrap)) {
        auto* inner = static_cast<VynFile*>(f->location_slot);
        f->location_slot = nullptr;
        vek::pfa_dispose(&inner);
      }
      vek::pfa_dispose(&f);
    }
    FileaccessTest::TearDown();
  }
  // A handle of the wrapping type over inner (may be null).
  VynFile* wrap(VynFile* inner) {
    VynFile* f = nullptr;
    EXPECT_EQ(vek::pfa_alloc_vyn_file(&f), 0);
    EXPECT_EQ(vek::pfa_put_location_type(f, kWrap), 0);
    f->location_slot = inner;
    files_.push_back(f);
    return f;
  }
  VynFile* recording_inner(int mark) {
    VynFile* f = nullptr;
    EXPECT_EQ(vek::pfa_alloc_vyn_file(&f), 0);
    EXPECT_EQ(vek::pfa_put_location_type(f, kInner), 0);
    f->version = static_cast<std::int16_t>(mark);
    return f;
  }
  std::vector<VynFile*> files_;
};

TEST_F(PfaWrap, ReadsWritesAndPositionsGoThroughTheInnerStream) {
  yrltest::TempDir dir;
  std::string path = dir.file("inner.txt");
  yrltest::write_file(path, "");
  VynFile* inner = vek::pfa_fopen_file_vers(path.c_str(), "r+", vek::PFA_RULE_AS_NAMED);
  ASSERT_NE(inner, nullptr);
  VynFile* outer = wrap(inner);

  EXPECT_EQ(vek::pfaloc_call_FLPII(outer, vek::PfaWriteFile, const_cast<char*>("hello\nworld"),
                                   11, 0),
            0);
  long position = -1;
  EXPECT_EQ(vek::pfaloc_call_FLP(outer, vek::PfaGetFilePosition, &position), 0);
  EXPECT_EQ(position, 11);
  position = 1;
  EXPECT_EQ(vek::pfaloc_call_FLP(outer, vek::PfaSetFilePosition, &position), 0);
  EXPECT_EQ(vek::pfaloc_call_FL(outer, vek::PfaFgetc), 'e');
  char line[32];
  int count = 0;
  EXPECT_EQ(vek::pfaloc_call_FLPPI(outer, vek::PfaFgets, line, &count, sizeof line), 0);
  EXPECT_STREQ(line, "llo\n");
  char rest[32] = {};
  EXPECT_EQ(vek::pfaloc_call_FLPPI(outer, vek::PfaReadFile, rest, &count, sizeof rest), 0);
  EXPECT_EQ(std::string(rest, static_cast<size_t>(count)), "world");
  EXPECT_EQ(vek::pfaloc_call_FLPPI(outer, vek::PfaReadFile, rest, &count, sizeof rest),
            vek::PFA_E_QUIT);
  EXPECT_EQ(vek::pfaloc_call_FLP(outer, vek::PfaSetFilePosition, nullptr),
            vek::PFA_E_INVALID_INPUT);

  // Closing disposes of the inner handle and empties the slot.
  EXPECT_EQ(vek::pfaloc_call_FL(outer, vek::PfaCloseFile), 0);
  EXPECT_EQ(outer->location_slot, nullptr);
  EXPECT_EQ(yrltest::read_file(path), "hello\nworld");
}

TEST_F(PfaWrap, TheOtherMethodsReachTheInnerHandlesLocation) {
  VynFile* outer = wrap(recording_inner(1));
  VynFile* other = wrap(recording_inner(2));
  char buffer[] = "buf";
  using namespace vek;
  EXPECT_EQ(pfaloc_call_FLI(outer, PfaUngetc, 'q'), 'q');
  EXPECT_EQ(pfaloc_call_FLP(outer, PfaFputs, const_cast<char*>("text")), 0);
  EXPECT_EQ(pfaloc_call_FL(outer, PfaFlushFile), 0);
  EXPECT_EQ(pfaloc_call_FL(outer, PfaRewindFile), 0);
  EXPECT_EQ(pfaloc_call_FL(outer, PfaUnwindFile), 0);
  EXPECT_EQ(pfaloc_call_FLP(outer, PfaSetbuf, buffer), 0);
  EXPECT_EQ(pfaloc_call_FLPIII(outer, PfaFseek, buffer, 1, 2, 3), 0);
  EXPECT_EQ(pfaloc_call_FLFLPP(outer, PfaCopyThruCookie, other, buffer, nullptr), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"ungetc 113", "fputs text", "flush", "rewind",
                                             "unwind", "setbuf buf", "fseek buf 1 2 3",
                                             "copy 1>2 buf null"}));
}

TEST_F(PfaWrap, WithoutAnInnerHandleTheMethodsRefuse) {
  VynFile* empty = wrap(nullptr);
  VynFile* full = wrap(recording_inner(1));
  char buffer[16];
  int count = 0;
  long position = 0;
  using namespace vek;
  struct Case {
    const char* method;
    int answer;
    int expected;
  } cases[] = {
      {"close", pfaloc_call_FL(empty, PfaCloseFile), PFA_E_INVALID_INPUT},
      {"fgetc", pfaloc_call_FL(empty, PfaFgetc), -1},
      {"ungetc", pfaloc_call_FLI(empty, PfaUngetc, 'a'), -1},
      {"read", pfaloc_call_FLPPI(empty, PfaReadFile, buffer, &count, 16), PFA_E_INVALID_INPUT},
      {"fgets", pfaloc_call_FLPPI(empty, PfaFgets, buffer, &count, 16), PFA_E_INVALID_INPUT},
      {"write", pfaloc_call_FLPII(empty, PfaWriteFile, buffer, 1, 0), PFA_E_INVALID_INPUT},
      {"fputs", pfaloc_call_FLP(empty, PfaFputs, buffer), PFA_E_INVALID_INPUT},
      {"flush", pfaloc_call_FL(empty, PfaFlushFile), PFA_E_INVALID_INPUT},
      {"copy from", pfaloc_call_FLFLPP(empty, PfaCopyThruCookie, full, nullptr, nullptr),
       PFA_E_INVALID_INPUT},
      {"copy to", pfaloc_call_FLFLPP(full, PfaCopyThruCookie, empty, nullptr, nullptr),
       PFA_E_INVALID_INPUT},
      {"setbuf", pfaloc_call_FLP(empty, PfaSetbuf, buffer), PFA_E_NO_ERROR},
      {"get position", pfaloc_call_FLP(empty, PfaGetFilePosition, &position),
       PFA_E_INVALID_INPUT},
      {"set position", pfaloc_call_FLP(empty, PfaSetFilePosition, &position),
       PFA_E_INVALID_INPUT},
      {"rewind", pfaloc_call_FL(empty, PfaRewindFile), PFA_E_INVALID_INPUT},
      {"unwind", pfaloc_call_FL(empty, PfaUnwindFile), PFA_E_INVALID_INPUT},
      {"fseek", pfaloc_call_FLPIII(empty, PfaFseek, buffer, 0, 0, 0), PFA_E_INVALID_INPUT},
  };
  for (const Case& c : cases) EXPECT_EQ(c.answer, c.expected) << c.method;
  EXPECT_TRUE(calls.empty());
}

}  // namespace
