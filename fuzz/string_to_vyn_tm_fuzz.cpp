// Reads arbitrary text as a packed time record's text. Whenever a record is read, its
// text written back into a buffer of exactly the documented size reads back to the
// same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "runtime/system/dates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The text in a block of its own size, so that a read past its terminator is caught.
  std::unique_ptr<char[]> text(new char[size + 1]);
  std::memcpy(text.get(), data, size);
  text[size] = '\0';
  vek::vyn_tm tm;
  std::memset(&tm, 0x5a, sizeof tm);
  const vek::vyn_tm untouched = tm;
  if (vek::string_to_vyn_tm(text.get(), &tm) == 0) {
    if (std::memcmp(&tm, &untouched, sizeof tm) != 0) std::abort();
    return 0;
  }
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_zone != vek::VYN_TM_NO_ZONE) std::abort();
  std::unique_ptr<char[]> written(new char[vek::VYN_TM_TEXT_SIZE]);
  vek::vyn_tm_to_string(&tm, written.get());
  vek::vyn_tm again;
  // Fields the text keeps in the widths it reads them with come back unchanged.
  if (tm.tm_year >= 0 && tm.tm_year <= 999 && tm.tm_mday >= 0 && tm.tm_mday <= 99 &&
      tm.tm_hour >= 0 && tm.tm_min >= 0 && tm.tm_sec >= 0) {
    if (vek::string_to_vyn_tm(written.get(), &again) != 1) std::abort();
    if (std::memcmp(&again, &tm, sizeof tm) != 0) std::abort();
  }
  return 0;
}
