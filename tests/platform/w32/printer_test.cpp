// The profile mapped onto the registry store, and printing into the spool folder.
#include "platform/w32/printer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/profile.h"
#include "platform/w32/registry.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class PrinterTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    ASSERT_TRUE(printer_testing_set_spool_folder(dir_.path().c_str()));
  }
  // Sets the profile entry key of section (a key below the NT key) to value.
  static void set_entry(const char* section, const char* key, const char* value) {
    std::string path = std::string(W32_PROFILE_NT_KEY) + "\\" + section;
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &handle), 0);
    ASSERT_EQ(RegSetValueExA(handle, key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             static_cast<DWORD>(std::strlen(value) + 1)),
              0);
    RegCloseKey(handle);
  }
  yrltest::ScratchDir dir_;
};

TEST_F(PrinterTest, ProfileReadsTheRegistryAsNtMapsWinIni) {
  set_entry("Windows", "Device", "Office Laser,winspool,Ne00:");
  set_entry("Windows", "Beep", "yes");
  char buffer[64];
  EXPECT_EQ(GetProfileStringA("windows", "device", ",,,", buffer, sizeof buffer), 27u);
  EXPECT_STREQ(buffer, "Office Laser,winspool,Ne00:");
  // Missing entries and sections give the default; a null default is empty.
  EXPECT_EQ(GetProfileStringA("windows", "missing", ",,,", buffer, sizeof buffer), 3u);
  EXPECT_STREQ(buffer, ",,,");
  EXPECT_EQ(GetProfileStringA("nowhere", "device", nullptr, buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "");
  // Cut to the buffer.
  EXPECT_EQ(GetProfileStringA("windows", "device", "", buffer, 7), 6u);
  EXPECT_STREQ(buffer, "Office");
  // A null key lists the entries, each terminated, and one terminator more.
  DWORD length = GetProfileStringA("windows", nullptr, "", buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, length + 1), std::string("Device\0Beep\0\0", 13));
  EXPECT_EQ(length, 12u);
  // Cut: two terminators at the end.
  length = GetProfileStringA("windows", nullptr, "", buffer, 6);
  EXPECT_EQ(std::string(buffer, 6), std::string("Devi\0\0", 6));
  EXPECT_EQ(length, 4u);
  ASSERT_TRUE(fault_testing_fail_on_call("GetProfileStringA", 1, ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetProfileStringA("windows", "device", "x", buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "");
}

TEST_F(PrinterTest, JobIsAFileOfItsBytes) {
  set_entry("devices", "Office Laser", "winspool,Ne00:");
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterA("Office Laser", &printer, nullptr));
  char raw[] = "RAW";
  char name[] = "drawing";
  DOC_INFO_1A info = {name, nullptr, raw};
  DWORD job = StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info));
  ASSERT_EQ(job, 1u);
  EXPECT_EQ(StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info)), 0u);  // one at a time
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(StartPagePrinter(printer));
  const std::string bytes("\x1B%-12345X@PJL\r\n\0end", 19);
  DWORD written = 0;
  EXPECT_TRUE(WritePrinter(printer, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
  EXPECT_EQ(written, bytes.size());
  EXPECT_TRUE(EndPagePrinter(printer));
  EXPECT_TRUE(EndDocPrinter(printer));
  EXPECT_EQ(read_all(dir_.at("Office%20Laser-1.prn")), bytes);
  // Without a document the page and write calls are refused; the next job is number 2.
  EXPECT_FALSE(WritePrinter(printer, "x", 1, &written));
  EXPECT_EQ(GetLastError(), ERROR_SPL_NO_STARTDOC);
  EXPECT_FALSE(StartPagePrinter(printer));
  EXPECT_FALSE(EndDocPrinter(printer));
  EXPECT_EQ(StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info)), 2u);
  EXPECT_TRUE(ClosePrinter(printer));  // ends the document too
  EXPECT_EQ(read_all(dir_.at("Office%20Laser-2.prn")), "");
}

TEST_F(PrinterTest, RefusalsAndFaults) {
  set_entry("devices", "P", "winspool,Ne00:");
  HANDLE printer = nullptr;
  EXPECT_FALSE(OpenPrinterA("Nowhere", &printer, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
  EXPECT_FALSE(OpenPrinterA(nullptr, &printer, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(OpenPrinterA("p", &printer, nullptr));  // names fold case, as the registry's
  char emf[] = "NT EMF 1.008";
  DOC_INFO_1A info = {nullptr, nullptr, emf};
  EXPECT_EQ(StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info)), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATATYPE);
  info.pDatatype = nullptr;  // RAW
  EXPECT_EQ(StartDocPrinterA(printer, 2, reinterpret_cast<BYTE*>(&info)), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
  for (const char* function : {"StartDocPrinterA", "StartPagePrinter", "WritePrinter",
                               "EndPagePrinter", "EndDocPrinter", "OpenPrinterA"}) {
    SCOPED_TRACE(function);
    ASSERT_TRUE(fault_testing_fail_on_call(function, 1, ERROR_DISK_FULL));
    std::string name = function;
    DWORD written = 0;
    HANDLE other = nullptr;
    bool failed = name == "StartDocPrinterA"
                      ? StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info)) == 0
                  : name == "StartPagePrinter" ? !StartPagePrinter(printer)
                  : name == "WritePrinter"     ? !WritePrinter(printer, "x", 1, &written)
                  : name == "EndPagePrinter"   ? !EndPagePrinter(printer)
                  : name == "EndDocPrinter"    ? !EndDocPrinter(printer)
                                               : !OpenPrinterA("P", &other, nullptr);
    EXPECT_TRUE(failed);
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  }
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
