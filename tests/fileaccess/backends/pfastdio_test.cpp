// The standard-stream location: which names it claims and its location string.
#include <gtest/gtest.h>

#include <cstring>

#include <string>

#include "fileaccess/backends/pfastdio.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

using vek::VynFile;

class PfaStdio : public yrltest::HandleTest {};

TEST_F(PfaStdio, ClaimsTheThreeStreamNamesOnly) {
  const struct {
    const char* name;
    int result;
  } cases[] = {
      {"stdio://in", 0},      {"stdio://out", 0},   {"stdio://err", 0},
      {"stdio://inx", 9},     {"stdio://", 9},      {"stdio:/out", 9},
      {"STDIO://out", 9},     {"xstdio://out", 9},  {"stdi://out", 9},
      {"stdio://Out", 9},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vek::pfa_recycle_vyn_file(&file_), 0);
    int offset = -1;
    EXPECT_EQ(vek::pfa_parse_location(file_, c.name, &offset, 8), c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(file_->location_type, 8u);
      EXPECT_EQ(offset, 8);
      EXPECT_EQ(vek::pfa_component_strcmp(file_, 1, "stdio://", -1), 0);
    } else {
      EXPECT_EQ(file_->location_type, 1u) << c.name;
      EXPECT_EQ(vek::pfa_component_length(file_, 1), 0) << c.name;
    }
  }
}

TEST_F(PfaStdio, AnyLocationSearchFindsTheStreamsAndTheStringIsTheirPrefix) {
  int offset = -1;
  ASSERT_EQ(vek::pfa_parse_location(file_, "stdio://err", &offset, -1), 0);
  EXPECT_EQ(file_->location_type, 8u);
  char buffer[16] = "";
  int length = 0;
  EXPECT_EQ(vek::pfaloc_call_FPPS(file_, vek::PfaGetLocationString, buffer, &length, 16), 0);
  EXPECT_STREQ(buffer, "stdio://");
  EXPECT_EQ(vek::pfaloc_call_FPPS(file_, vek::PfaGetNeutralLocation, buffer, &length, 16), 1);
  EXPECT_STREQ(buffer, "stdio://");  // a second copy does not fit 16
}

// Input reads only, output and error write only; a close leaves the process's stream.
TEST_F(PfaStdio, OpensFitTheStreamsDirectionAndClosesKeepTheStream) {
  const struct {
    const char* name;
    const char* mode;
    int flags;  // descriptor-style open when mode is null
    int result;
  } cases[] = {
      {"stdio://in", "w", 0, 3},    {"stdio://in", "r", 0, 0},   {"stdio://in", "R", 0, 0},
      {"stdio://out", "r", 0, 3},   {"stdio://out", "w", 0, 0},  {"stdio://err", "a", 0, 0},
      {"stdio://in", nullptr, 1, 3}, {"stdio://in", nullptr, 0, 0},
      {"stdio://err", nullptr, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + (c.mode ? c.mode : "descriptor"));
    ASSERT_EQ(vek::pfa_recycle_vyn_file(&file_), 0);
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, c.name), 0);
    int result = c.mode ? vek::pfa_fopen(file_, 0, c.mode) : vek::pfa_open(file_, 0, c.flags, 0);
    EXPECT_EQ(result, c.result);
    if (result == 0) {
      EXPECT_EQ(vek::pfa_close(file_), 0);
    }
  }
  // The streams are still the process's: a write to standard output after the closes.
  testing::internal::CaptureStdout();
  EXPECT_EQ(vek::pfa_fprintf(vek::pfa_get_stdout(), "%s", "still open"), 0);
  EXPECT_EQ(vek::pfa_flush_file(vek::pfa_get_stdout()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "still open");
  EXPECT_EQ(vek::pfa_stdio_access(file_, 2, 0), 1);  // err
  EXPECT_EQ(vek::pfa_stdio_access(file_, 4, 0), 0);
  EXPECT_EQ(vek::pfa_stdio_access(vek::pfa_get_stdin(), 4, 0), 1);
  EXPECT_EQ(vek::pfa_stdio_access(vek::pfa_get_stdin(), 2, 0), 0);
  EXPECT_EQ(vek::pfa_stdio_access(vek::pfa_get_stdin(), 0, 0), 0);
}

TEST_F(PfaStdio, ADirectoryGivesItsOneEntryOnce) {
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "stdio://out"), 0);
  VynFile* entry = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&entry), 0);
  char name[] = "listed";
  EXPECT_EQ(vek::pfaloc_call_FLPPPI(file_, vek::PfaDirOpen, nullptr, name, nullptr, 0), 0);
  EXPECT_EQ(vek::pfaloc_call_FLPPPI(file_, vek::PfaDirReadNext, entry, nullptr, nullptr, 0), 0);
  char base[32] = "";
  vek::pfa_get_name(entry, base);
  EXPECT_STREQ(base, "listed");
  EXPECT_EQ(vek::pfaloc_call_FLPPPI(file_, vek::PfaDirReadNext, entry, nullptr, nullptr, 0), 5);
  EXPECT_EQ(vek::pfaloc_call_FL(file_, vek::PfaDirClose), 0);
  vek::pfa_free_vyn_file(&entry);
}

// Without a handle to fill, the entry is still offered to the filter, whose answer
// decides: a version search reads entries through its filter alone.
int seen_entries;
int take_listed(const char* entry, void*, int is_directory) {
  ++seen_entries;
  EXPECT_EQ(is_directory, 0);
  return std::strcmp(entry, "listed") == 0 ? 0 : 1;
}

TEST_F(PfaStdio, TheFilterSeesTheEntryWithoutAnOutputHandle) {
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "stdio://out"), 0);
  auto filter = reinterpret_cast<void*>(&take_listed);
  for (const char* stored : {"listed", "other"}) {
    seen_entries = 0;
    char name[16];
    std::strcpy(name, stored);
    ASSERT_EQ(vek::pfaloc_call_FLPPPI(file_, vek::PfaDirOpen, nullptr, name, nullptr, 0), 0);
    int expected = std::strcmp(stored, "listed") == 0 ? 0 : 5;
    EXPECT_EQ(vek::pfaloc_call_FLPPPI(file_, vek::PfaDirReadNext, nullptr, filter, nullptr, 1),
              expected)
        << stored;
    EXPECT_EQ(seen_entries, 1) << stored;
    EXPECT_EQ(vek::pfaloc_call_FLPPPI(file_, vek::PfaDirReadNext, nullptr, filter, nullptr, 1), 5);
    EXPECT_EQ(seen_entries, 1) << stored;
  }
}

}  // namespace
