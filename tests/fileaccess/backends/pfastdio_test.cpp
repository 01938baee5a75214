// The standard-stream location: which names it claims and its location string.
#include <gtest/gtest.h>

#include <string>

#include "fileaccess/backends/pfastdio.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
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

}  // namespace
