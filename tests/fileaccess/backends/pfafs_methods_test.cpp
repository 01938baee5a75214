// The naming methods of the local and network locations beyond the claim: folders,
// remote drives, case, the type guarantee, valid hosts and whether a host is this
// machine.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/backends/pfu.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "platform/w32/path.h"
#include "platform/w32/socket_testing.h"
#include "platform/w32/volume.h"
#include "platform/w32/volume_testing.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/temp_dir.h"

namespace {

class PfaFsMethods : public yrltest::HandleTest {
 protected:
  int ask(int method) { return vek::pfaloc_call_F(file_, method); }
  void name(const std::string& text) {
    ASSERT_EQ(vek::parse_to_pfa(file_, -1, text.c_str()), 0) << text;
  }
};

TEST_F(PfaFsMethods, FoldersAndRemoteDrives) {
  yrltest::TempDir drive;
  ASSERT_TRUE(w32::w32_set_drive('D', drive.path().c_str()));
  ASSERT_EQ(mkdir(drive.file("sub").c_str(), 0755), 0);
  yrltest::write_file(drive.file("a.txt"), "x");
  name("D:\\sub");
  EXPECT_EQ(ask(vek::PfaIsFolder), vek::PFA_E_EXIST);
  name("D:\\a.txt");
  EXPECT_EQ(ask(vek::PfaIsFolder), 0);
  name("D:\\none");
  EXPECT_EQ(ask(vek::PfaIsFolder), 0);
  EXPECT_EQ(ask(vek::PfaCaseSensitiveLoc), 0);
  // A parsed name that is a directory on disk becomes a directory handle.
  ASSERT_EQ(vek::pfa_parse_to_vyn_file(file_, "D:\\sub"), 0);
  EXPECT_EQ(file_->object_type, vek::PFA_TYPE_DIRECTORY);

  ASSERT_TRUE(w32::volume_testing_set_drive('D', w32::DRIVE_REMOTE, nullptr, nullptr, nullptr));
  EXPECT_EQ(ask(vek::PfaIsRemoteMounted), 1);
  ASSERT_TRUE(w32::volume_testing_set_drive('D', w32::DRIVE_FIXED, nullptr, nullptr, nullptr));
  EXPECT_EQ(ask(vek::PfaIsRemoteMounted), 0);
}

TEST_F(PfaFsMethods, NetworkHostsSharesAndTheTypeGuarantee) {
  yrltest::TempDir root;
  ASSERT_TRUE(w32::w32_set_unc_root(root.path().c_str()));
  ASSERT_EQ(mkdir(root.file("srv").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(root.file("srv/data").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(root.file("srv/data/d").c_str(), 0755), 0);
  EXPECT_EQ(vek::nt_is_valid_host("\\\\srv"), 1);
  EXPECT_EQ(vek::nt_is_valid_host("\\\\srv\\"), 1);
  EXPECT_EQ(vek::nt_is_valid_host("\\\\nohost"), 0);
  EXPECT_EQ(vek::nt_is_valid_host("\\\\"), 1);
  EXPECT_EQ(vek::nt_is_valid_host(nullptr), 0);
  struct Case {
    const char* name;
    int folder;
    int guarantees;
  };
  const Case cases[] = {
      {"\\\\", vek::PFA_E_EXIST, 0},
      {"\\\\srv", vek::PFA_E_EXIST, 0},
      {"\\\\nohost", 0, 0},
      {"\\\\srv\\data\\d", vek::PFA_E_EXIST, 1},
      {"\\\\srv\\data\\f.txt", 0, 1},
  };
  for (const Case& c : cases) {
    name(c.name);
    EXPECT_EQ(file_->location_type, static_cast<std::uint32_t>(vek::PFA_LOC_UNC)) << c.name;
    EXPECT_EQ(ask(vek::PfaIsFolder), c.folder) << c.name;
    EXPECT_EQ(ask(vek::PfaLocGuaranteesType), c.guarantees) << c.name;
  }
}

TEST_F(PfaFsMethods, WhetherAHostIsThisMachine) {
  char local[64];
  ASSERT_NE(vek::vyn_get_hostname(local, sizeof local), 0);
  std::string shouted = local;
  for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  // A host that resolves, to a name of its own.
  const std::uint32_t there = 0x0200000a;
  ASSERT_TRUE(w32::socket_testing_add_host("elsewhere", nullptr, &there, 1));
  struct Case {
    std::string name;
    int local;
  };
  const Case cases[] = {
      {"C:\\x.txt", 1},
      {shouted + "::C:\\x.txt", 1},
      {"elsewhere::C:\\x.txt", 0},
      {"x::C:\\x.txt", 0},
      {"nohost.invalid::C:\\x.txt", 0},
      {"\\\\elsewhere\\share\\x.txt", 1},  // network locations are other types
  };
  for (const Case& c : cases) {
    name(c.name);
    EXPECT_EQ(vek::pfa_is_local(file_), c.local) << c.name;
  }
  EXPECT_EQ(vek::pfa_is_local(nullptr), -1);
}

}  // namespace
