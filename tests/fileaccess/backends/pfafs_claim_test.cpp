// Claiming network names: host, share, path and where the base name begins.
#include <gtest/gtest.h>

#include <string>

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

using vek::VynFile;

class PfaUncClaim : public yrltest::HandleTest {};

TEST_F(PfaUncClaim, SplitsHostShareAndPath) {
  const struct {
    const char* name;
    int result;
    const char* host;
    const char* share;
    const char* path;
    int offset;
  } cases[] = {
      {"\\\\srv\\data\\a\\b.txt", 0, "//srv", "/data", "/a/", 13},
      {"//srv/data/a/b.txt", 0, "//srv", "/data", "/a/", 13},
      {"\\\\srv", 0, "//srv", "", "", 5},
      {"\\\\srv\\data", 0, "//srv", "/data", "/", 10},
      {"\\\\srv\\data\\", 0, "//srv", "/data", "/", 11},
      {"\\\\srv\\", 0, "//srv", "", "", 6},  // a host, not a share named "/"
      {"//srv/", 0, "//srv", "", "", 6},
      {"//srv/data/a/..", 0, "//srv", "/data", "/a/../", 15},
      {"//srv/data/a/.", 0, "//srv", "/data", "/a/", 14},
      {"///srv", 9, "", "", "", -1},
      {"\\srv", 9, "", "", "", -1},
      {"srv", 9, "", "", "", -1},
      {"\\/srv", 9, "", "", "", -1},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vek::pfa_recycle_vyn_file(&file_), 0);
    int offset = -1;
    EXPECT_EQ(vek::pfa_parse_location(file_, c.name, &offset, vek::PFA_LOC_UNC), c.result)
        << c.name;
    EXPECT_EQ(slot(0), c.host) << c.name;
    EXPECT_EQ(slot(1), c.share) << c.name;
    EXPECT_EQ(slot(2), c.path) << c.name;
    EXPECT_EQ(offset, c.offset) << c.name;
    EXPECT_EQ(file_->location_type, c.result == 0 ? 4u : 1u) << c.name;
  }
}

TEST_F(PfaUncClaim, TheLocalPathSplitPassesOverDotNames) {
  int offset = -1;
  EXPECT_EQ(vek::claim_location(file_, "dir\\..", 6, 2, &offset), 0);
  EXPECT_EQ(slot(2), "dir/../");
  EXPECT_EQ(offset, 8);
  // A bare ".." is the parent too, not the directory itself.
  EXPECT_EQ(vek::claim_location(file_, "..", 2, 0, &offset), 0);
  EXPECT_EQ(slot(2), "../");
  EXPECT_EQ(offset, 2);
  EXPECT_EQ(vek::claim_location(file_, ".", 1, 0, &offset), 0);
  EXPECT_EQ(slot(2), "");
  EXPECT_EQ(offset, 1);
  EXPECT_EQ(vek::claim_location(file_, "a/b", 3, 0, nullptr), 0);
  EXPECT_EQ(slot(2), "a/b/");
}

}  // namespace
