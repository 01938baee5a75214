// Location types: registration, inheritance, lookup and its messages, the dispatchers,
// claiming a location and the transaction entry points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/serious_reports.h"

namespace {

using vek::as_method;
using vek::PfaLocMethod;
using vek::VynFile;

// Methods that record what reached them.
std::vector<std::string> calls;
void* seen_slot;
int answer_f(VynFile*) { return 40; }
int answer_fl(VynFile*, void** slot) {
  seen_slot = slot;
  return 41;
}
int answer_fi(VynFile*, int method) { return method == vek::PfaFgetc ? 0 : 1; }
int claim_none(VynFile*, void*, void*, void*) { return vek::PFA_E_INVALID_NAME; }
int claim_colon(VynFile*, void* text, void* colon, void* offset) {
  if (!colon) return vek::PFA_E_NOT_FOUND;
  *static_cast<int*>(offset) =
      static_cast<int>(static_cast<char*>(colon) - static_cast<char*>(text)) + 1;
  return 0;
}
int claim_all(VynFile*, void*, void*, void* offset) {
  *static_cast<int*>(offset) = 0;
  return 0;
}
int entry_info(VynFile* f, void** l, VynFile* g, int a, int b, int c, void* p, void* q,
               void* r, void* s) {
  calls.push_back(std::to_string(l == &f->location_slot) + (g ? "g" : "-") +
                  std::to_string(a + b + c) + (p && q && r && s ? "pppp" : ""));
  return 7;
}
int txn_test(VynFile*, int kind, void*, void* out1, void* out2) {
  *static_cast<int*>(out1) = kind;
  *static_cast<int*>(out2) = kind + 1;
  return 0;
}
int txn_free(void* message) { return message ? 3 : 4; }

class PfaLoc : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    calls.clear();
    seen_slot = nullptr;
    // A bare record of location type 0; the registry is left to each test.
    file_ = VynFile{};
    file_.magic = vek::VYN_FILE_MAGIC;
  }
  // Registers type with the given claim method and the F method 49.
  static void register_type(int type, PfaLocMethod claim) {
    ASSERT_EQ(vek::pfa_loc_register_setup(type), 1);
    if (claim) {
      ASSERT_EQ(vek::pfa_loc_method_register(type, vek::PfaClaimLocation, vek::PLM_CALL_FPPP,
                                             claim),
                1);
    }
    ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  }
  VynFile file_;
};

TEST_F(PfaLoc, TablesNameTypesMethodsAndCodes) {
  EXPECT_STREQ(vek::pfaloc_type_name(0), "NoLocation");
  EXPECT_STREQ(vek::pfaloc_type_name(8), "PfaStdio");
  EXPECT_STREQ(vek::pfaloc_type_name(11), "PfaZip");
  EXPECT_STREQ(vek::pfaloc_type_name(12), "?");
  EXPECT_STREQ(vek::pfaloc_method_name(0), "PfaDeviceIdx");
  EXPECT_STREQ(vek::pfaloc_method_name(59), "PfaDirGetEntryInfo");
  EXPECT_STREQ(vek::pfaloc_method_name(87), "PfaLocGetVersioning");
  EXPECT_EQ(vek::pfaloc_method_code(59), 31);
  EXPECT_EQ(vek::pfaloc_method_code(10), 16);
  EXPECT_EQ(vek::pfaloc_method_code(88), -1);
  EXPECT_STREQ(vek::pfaloc_code_name(0), "PLM_CALL_F");
  EXPECT_STREQ(vek::pfaloc_code_name(31), "PLM_CALL_FLFIIIPP");
  EXPECT_STREQ(vek::pfaloc_code_name(32), "PLM_CALL_FFPPPP");
  for (int m = 0; m < vek::PFA_LOC_METHOD_COUNT; ++m) {
    int code = vek::pfaloc_method_code(m);
    EXPECT_GE(code, 0);
    EXPECT_LT(code, vek::PFA_LOC_CODE_COUNT);
  }
}

TEST_F(PfaLoc, RegistrationFaultsGiveTheirMessagesAndChangeNothing) {
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::pfa_loc_register_setup(12), 0);
  EXPECT_EQ(vek::pfa_loc_register_setup(-1), 0);
  EXPECT_EQ(vek::pfa_location_type_registered(12), 0);
  EXPECT_EQ(vek::pfa_loc_register_setup(0), 1);  // nothing open
  EXPECT_EQ(vek::pfa_loc_register_append(3), 0);  // no registry yet
  EXPECT_EQ(vek::pfa_loc_register_setup(2), 1);
  EXPECT_EQ(vek::pfa_loc_method_register(3, 0, 0, as_method(&answer_f)), 0);
  EXPECT_EQ(vek::pfa_loc_method_register(2, 88, 0, as_method(&answer_f)), 0);
  EXPECT_EQ(vek::pfa_loc_method_register(2, vek::PfaIsFolder, 6, as_method(&answer_fl)), 0);
  EXPECT_EQ(vek::pfa_loc_method_register(2, vek::PfaIsFolder, 33, as_method(&answer_f)), 0);
  EXPECT_EQ(vek::pfa_loc_method_register(2, vek::PfaIsFolder, -1, as_method(&answer_f)), 0);
  EXPECT_EQ(vek::pfa_loc_register_setup(0), 1);
  EXPECT_EQ(vek::pfa_loc_register_setup(2), 0);
  EXPECT_EQ(vek::pfa_loc_register_append(12), 0);
  EXPECT_EQ(vek::pfa_loc_register_append(5), 0);
  EXPECT_EQ(vek::pfa_loc_type_inherit_methods(2, 1), 0);  // not registering
  EXPECT_EQ(vek::pfa_loc_type_inherit_methods(2, 12), 0);
  EXPECT_EQ(vek::pfa_location_unregister(0), nullptr);
  EXPECT_EQ(vek::pfa_location_unregister(5), nullptr);  // not registered: silent
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{
                "pfa_loc_register_setup:  invalid type index 12",
                "pfa_loc_register_setup:  invalid type index -1",
                "pfa_loc_register_setup:  closing unopened registry",
                "pfa_loc_register_append:  no known locations",
                "pfa_loc_method_register:  registry open for type UniFilesystem, not type "
                "PfaWorkspace",
                "pfa_loc_method_register:  invalid input",
                "pfa_loc_method_register:  PfaIsFolder should be PLM_CALL_F, not PLM_CALL_FL",
                "pfa_loc_method_register:  unknown calling sequence code 33",
                "pfa_loc_method_register:  unknown calling sequence code -1",
                "pfa_loc_register_setup:  type UniFilesystem (2) already registered",
                "pfa_loc_register_append:  invalid type index 12",
                "pfa_loc_register_append:  type index 5 not registered",
                "pfa_loc_type_inherit_methods:  not currently registering UniFilesystem",
                "pfa_loc_type_inherit_methods:  args out of range",
                "pfa_location_unregister:  invalid type index 0",
            }));
  // None of the refused registrations installed anything.
  file_.location_type = 2;
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaIsFolder), -1);
}

TEST_F(PfaLoc, InheritanceCopiesSlotsAndLaterRegistrationsOverride) {
  yrltest::SeriousReports reports;
  ASSERT_EQ(vek::pfa_loc_register_setup(3), 1);
  EXPECT_EQ(vek::pfa_loc_type_inherit_methods(3, 1), 0);  // 1 not yet registered
  EXPECT_EQ(vek::pfa_loc_register_setup(0), 1);
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>{"pfa_loc_type_inherit_methods:  can't inherit methods "
                                     "from as-yet-unregistered PfaStdFilesystem"});
  ASSERT_EQ(vek::pfa_loc_register_setup(1), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(1, vek::PfaIsFolder, 0, as_method(&answer_f)), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(1, vek::PfaFgetc, 6, as_method(&answer_fl)), 1);
  ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  ASSERT_EQ(vek::pfa_loc_register_append(3), 1);
  EXPECT_EQ(vek::pfa_loc_type_inherit_methods(3, 1), 1);
  EXPECT_EQ(vek::pfa_loc_method_register(3, vek::PfaFgetc, 6, as_method(&answer_fl)), 1);
  EXPECT_EQ(vek::pfa_loc_method_unregister(3, vek::PfaIsFolder), 1);
  EXPECT_EQ(vek::pfa_loc_type_inherit_method(3, 1, vek::PfaIsFolder), 1);
  EXPECT_EQ(vek::pfa_loc_type_inherit_method(3, 1, vek::PfaHostIdx), 0);  // empty there
  EXPECT_EQ(vek::pfa_loc_register_setup(0), 1);
  file_.location_type = 3;
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaIsFolder), 40);
  EXPECT_EQ(vek::pfaloc_call_FL(&file_, vek::PfaFgetc), 41);
  EXPECT_EQ(seen_slot, &file_.location_slot);
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaHostIdx), -1);
}

TEST_F(PfaLoc, LookupFaultsAreReportedInOrder) {
  register_type(1, nullptr);
  yrltest::SeriousReports reports;
  vek::PfaLocMethod found = nullptr;
  EXPECT_EQ(vek::pfaloc_get_func_low(1, 88, 0, &found), 0);
  EXPECT_EQ(vek::pfaloc_get_func_low(99, vek::PfaIsFolder, 3, &found), 0);  // code first
  EXPECT_EQ(vek::pfaloc_get_func_low(12, vek::PfaIsFolder, 0, &found), 0);
  EXPECT_EQ(vek::pfaloc_get_func_low(1, vek::PfaIsFolder, 0, &found), 0);  // empty: silent
  EXPECT_EQ(vek::pfaloc_get_func(nullptr, vek::PfaIsFolder, 0, &found), 0);
  file_.location_type = 12;
  EXPECT_EQ(vek::pfaloc_supports_method(&file_, vek::PfaIsFolder), 0);
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{
                "pfaloc_get_func:  no such method 88",
                "pfaloc_get_func:  tried to call PfaIsFolder with attrs 3",
                "pfaloc_get_func:  unknown location type 12 (out of range)",
                "pfaloc_supports_method:  unknown location type 12 (out of range)",
            }));
  EXPECT_EQ(found, nullptr);
}

TEST_F(PfaLoc, TraceModeNamesMissingMethodsExceptForLocationTypeZero) {
  register_type(4, nullptr);
  yrltest::ConsoleCapture capture;
  vek::set_verbose_mode(1);
  vek::set_run_mode(9998);
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaIsFolder), -1);  // type 0: silent
  EXPECT_EQ(vek::pfaloc_call_FL(&file_, vek::PfaCloseFile), -1);
  EXPECT_EQ(capture.out(), "");
  file_.location_type = 4;
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaIsFolder), -1);
  EXPECT_NE(capture.out().find("pfaloc_get_func:  calling undefined PfaIsFolder method for PfaUNC"),
            std::string::npos);
  capture.clear();
  vek::set_run_mode(1);
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaIsFolder), -1);
  EXPECT_EQ(capture.out(), "");
}

TEST_F(PfaLoc, DispatchersPassTheLocationSlotAndTheirArguments) {
  ASSERT_EQ(vek::pfa_loc_register_setup(5), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(5, vek::PfaDirGetEntryInfo, 31, as_method(&entry_info)),
            1);
  ASSERT_EQ(vek::pfa_loc_method_register(5, vek::PfaTxnMsgFree, 27, as_method(&txn_free)), 1);
  ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  file_.location_type = 5;
  VynFile other{};
  int a = 0, b = 0, c = 0, d = 0;
  EXPECT_EQ(vek::pfaloc_call_FLFIIIPPPP(&file_, vek::PfaDirGetEntryInfo, &other, 1, 2, 3, &a, &b,
                                        &c, &d),
            7);
  EXPECT_EQ(calls, std::vector<std::string>{"1g6pppp"});
  EXPECT_EQ(vek::pfaloc_txnmsg_free(5, &a), 3);
  EXPECT_EQ(vek::pfaloc_txnmsg_free(5, nullptr), 4);
  EXPECT_EQ(vek::pfaloc_txnmsg_free(4, &a), -1);
  EXPECT_EQ(vek::pfaloc_txnmsg_getinfo(5, &a, &b, &c, &d), -1);
  // Calling a method through another code's dispatcher finds nothing.
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaDirGetEntryInfo), -1);
  EXPECT_EQ(reports.lines(), std::vector<std::string>{
                                 "pfaloc_get_func:  tried to call PfaDirGetEntryInfo with attrs 0"});
}

TEST_F(PfaLoc, SupportsMethodAsksTheLocationAndCountsAMissingAnswerAsYes) {
  ASSERT_EQ(vek::pfa_loc_register_setup(6), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(6, vek::PfaFgetc, 6, as_method(&answer_fl)), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(6, vek::PfaIsFolder, 0, as_method(&answer_f)), 1);
  ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  file_.location_type = 6;
  EXPECT_EQ(vek::pfaloc_supports_method(&file_, vek::PfaFgetc), -1);  // no method 80
  EXPECT_EQ(vek::pfaloc_supports_method(&file_, vek::PfaCloseFile), 0);
  ASSERT_EQ(vek::pfa_loc_register_append(6), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(6, vek::PfaLocSupportsMethod, 3, as_method(&answer_fi)),
            1);
  ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  EXPECT_EQ(vek::pfaloc_supports_method(&file_, vek::PfaFgetc), 0);
  EXPECT_EQ(vek::pfaloc_supports_method(&file_, vek::PfaIsFolder), 1);
  EXPECT_EQ(vek::pfaloc_supports_method(nullptr, vek::PfaIsFolder), 0);
  EXPECT_EQ(vek::pfaloc_supports_method(&file_, 88), 0);
}

TEST_F(PfaLoc, ParseLocationAsksFromElevenDownAndKeepsTheTypeOnFailure) {
  int offset = -1;
  file_.location_type = 1;
  EXPECT_EQ(vek::pfa_parse_location(&file_, "a:b", &offset, -1), vek::PFA_E_NOT_FOUND);
  register_type(1, as_method(&claim_all));
  register_type(8, as_method(&claim_colon));
  register_type(9, as_method(&claim_none));
  file_.location_type = 0;
  EXPECT_EQ(vek::pfa_parse_location(&file_, "stdio:out", &offset, -1), 0);
  EXPECT_EQ(file_.location_type, 8u);
  EXPECT_EQ(offset, 6);
  EXPECT_EQ(vek::pfa_parse_location(&file_, "plain", &offset, -1), 0);
  EXPECT_EQ(file_.location_type, 1u);
  EXPECT_EQ(offset, 0);
  // Only the named type is asked; a refusal restores the previous type.
  file_.location_type = 1;
  EXPECT_EQ(vek::pfa_parse_location(&file_, "plain", &offset, 8), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(file_.location_type, 1u);
  EXPECT_EQ(vek::pfa_parse_location(&file_, "x:y", &offset, 9), vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(file_.location_type, 1u);
  EXPECT_EQ(vek::pfa_parse_location(&file_, "x", &offset, 5), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(vek::pfa_parse_location(&file_, nullptr, &offset, -1), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_parse_location(nullptr, "x", &offset, -1), vek::PFA_E_NOT_VALID);
}

TEST_F(PfaLoc, UnregisterKeepsOnlyTheClaimAndRefusesAccess) {
  ASSERT_EQ(vek::pfa_loc_register_setup(7), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(7, vek::PfaClaimLocation, 19, as_method(&claim_all)),
            1);
  ASSERT_EQ(vek::pfa_loc_method_register(7, vek::PfaIsFolder, 0, as_method(&answer_f)), 1);
  ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  EXPECT_EQ(vek::pfa_location_unregister(7), as_method(&claim_all));
  EXPECT_EQ(vek::pfa_location_type_registered(7), 1);
  file_.location_type = 7;
  EXPECT_EQ(vek::pfaloc_call_F(&file_, vek::PfaIsFolder), -1);
  EXPECT_EQ(vek::pfaloc_call_FII(&file_, vek::PfaAccess, 4, 0), 0);
  int offset = -1;
  EXPECT_EQ(vek::pfa_parse_location(&file_, "any", &offset, 7), 0);
}

TEST_F(PfaLoc, TransactionsGiveFixedAnswersWhenTheMethodIsMissing) {
  register_type(10, nullptr);
  file_.location_type = 10;
  vek::PfaTxnHint hint{};
  int out1 = 5, out2 = 5;
  EXPECT_EQ(vek::pfaloc_open_transaction(&file_, 1, &hint), 0);
  EXPECT_EQ(vek::pfaloc_test_transaction(&file_, 1, &hint, &out1, &out2), 0);
  EXPECT_EQ(out1, 0);
  EXPECT_EQ(out2, 0);
  out1 = out2 = 5;
  EXPECT_EQ(vek::pfaloc_close_transaction(&file_, 1, &out1, &out2), 0);
  EXPECT_EQ(out1 + out2, 0);
  EXPECT_EQ(vek::pfaloc_get_transaction_owner(&file_, &file_), vek::PFA_E_NOT_FOUND);
  ASSERT_EQ(vek::pfa_loc_register_append(10), 1);
  ASSERT_EQ(vek::pfa_loc_method_register(10, vek::PfaTestTransaction, 30, as_method(&txn_test)),
            1);
  ASSERT_EQ(vek::pfa_loc_register_setup(0), 1);
  EXPECT_EQ(vek::pfaloc_test_transaction(&file_, 4, &hint, &out1, &out2), 0);
  EXPECT_EQ(out1, 4);
  EXPECT_EQ(out2, 5);
}

TEST_F(PfaLoc, HintSettersFillKindAndValue) {
  using Setter = vek::PfaTxnHint* (*)(vek::PfaTxnHint*, VynWord);
  const Setter setters[] = {
      vek::pfaloc_txnhint_set_mode,    vek::pfaloc_txnhint_set_transdir,
      vek::pfaloc_txnhint_set_file,    vek::pfaloc_txnhint_set_ndinst,
      vek::pfaloc_txnhint_set_ndprop,  vek::pfaloc_txnhint_set_overconf,
      vek::pfaloc_txnhint_set_retrmode,
  };
  for (int kind = 0; kind < 7; ++kind) {
    vek::PfaTxnHint hint{-1, -1};
    EXPECT_EQ(setters[kind](&hint, 100 + kind), &hint);
    EXPECT_EQ(hint.kind, kind);
    EXPECT_EQ(hint.value, 100 + kind);
  }
  EXPECT_EQ(vek::pfaloc_txnhint_set_mode(nullptr, 1), nullptr);
}

}  // namespace
