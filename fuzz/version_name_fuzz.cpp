// One fuzzed name through the functions that read versions in names and the parsers
// that split names: every write stays in buffers sized to the name (or to the parts'
// fixed buffers), every part handed back is a piece of the name (a location read through
// a handle excepted: it comes back in its native form, bounded), and stripping a version
// twice is stripping it once.
//
// Input: bytes mapped half onto the characters the name grammar cares about, half kept
// as printable ASCII; the name runs to 300 characters, past the name limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fileaccess/backends/pfamodel.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/fnversion.h"
#include "fileaccess/names/oshelp.h"

namespace {

constexpr std::size_t kMaxName = 300;

void check(bool ok) {
  if (!ok) std::abort();
}

bool is_piece(const std::u16string& name, const char16_t* part) {
  return !part || name.find(part) != std::u16string::npos;
}
bool is_piece(const std::string& name, const char* part) {
  return !part || name.find(part) != std::string::npos;
}
bool is_prefix(const std::u16string& name, const char16_t* part) {
  return name.compare(0, std::char_traits<char16_t>::length(part), part) == 0;
}
bool is_prefix(const std::string& name, const char* part) {
  return name.compare(0, std::strlen(part), part) == 0;
}

bool string_has_special(const std::u16string& name) {
  return vek::string_has_special_chars(name.c_str()) != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr char kChars[] = ".;\\/:<>-+*0123456789 prtPRT";
  std::string narrow;
  for (std::size_t i = 0; i < size && narrow.size() < kMaxName; ++i) {
    const std::uint8_t b = data[i];
    narrow.push_back(b >= 32 && b < 127 && (b & 1) ? static_cast<char>(b)
                                                    : kChars[b % (sizeof kChars - 1)]);
  }
  const std::u16string wide(narrow.begin(), narrow.end());
  const std::size_t room = wide.size() + 1;
  // Outputs exactly as large as the name, on the heap, so that a write past them is seen.
  std::vector<char16_t> w1(room), w2(room), w3(room), w4(room);
  std::vector<char> n1(room);

  int version = 0;
  vek::get_version_num(wide.c_str(), &version, w1.data());
  check(is_prefix(wide, w1.data()));

  vek::get_version_from_ascii_fname(narrow.c_str(), n1.data());
  check(is_prefix(narrow, n1.data()));

  vek::strip_version_from_fname(wide.c_str(), w1.data());
  check(is_prefix(wide, w1.data()));
  vek::strip_version_from_fname(w1.data(), w2.data());
  check(std::u16string(w1.data()) == w2.data());

  vek::strip_version_from_char_name(narrow.c_str(), n1.data());
  check(is_prefix(narrow, n1.data()));
  std::vector<char> again(room);
  vek::strip_version_from_char_name(n1.data(), again.data());
  check(std::string(n1.data()) == again.data());

  if (const char16_t* at = vek::spg_file_version_ptr(wide.c_str()))
    check(at >= wide.c_str() && at < wide.c_str() + wide.size() && *at == u'.');

  vek::fname_has_version(wide.c_str());

  char *pd = nullptr, *pb = nullptr, *pe = nullptr, *pv = nullptr;
  if (vek::proj_parse_filename(narrow.c_str(), &pd, &pb, &pe, &pv) == 0)
    check(is_piece(narrow, pd) && is_piece(narrow, pb) && is_piece(narrow, pe) &&
          is_piece(narrow, pv));
  char16_t *wd = nullptr, *wb = nullptr, *we = nullptr, *wv = nullptr;
  if (vek::parse_os_filename(wide.c_str(), &wd, &wb, &we, &wv) == 0)
    check(is_piece(wide, wd) && is_piece(wide, wb) && is_piece(wide, we) && is_piece(wide, wv));

  vek::get_path_name_ext(wide.c_str(), w1.data(), w2.data(), w3.data());
  check(std::u16string(w1.data()) + w2.data() + w3.data() == wide);
  vek::get_path_name_ext_ver(wide.c_str(), w1.data(), w2.data(), w3.data(), w4.data());
  check(is_piece(wide, w1.data()) && is_piece(wide, w2.data()) && is_piece(wide, w3.data()) &&
        is_piece(wide, w4.data()));

  // The parsers through a handle. Base name, extension and version come from the name;
  // the location may be rewritten (delimiters, "." elements), so only its length counts.
  char16_t *pl = nullptr, *pbase = nullptr, *pext = nullptr, *pver = nullptr;
  if (vek::parse_filename(wide.c_str(), &pl, &pbase, &pext, &pver) == 0) {
    check(is_piece(wide, pbase) && is_piece(wide, pext) && is_piece(wide, pver));
    check(!pl || std::char_traits<char16_t>::length(pl) <= vek::VYN_NAME_MAX);
  }
  char16_t *gl = nullptr, *gi = nullptr, *gg = nullptr, *ge = nullptr, *gv = nullptr;
  if (vek::generic_parse_filename(wide.c_str(), &gl, &gi, &gg, &ge, &gv) == 0) {
    // The generic comes from the name; the other parts from the name without its bracket.
    std::vector<char16_t> rest(vek::VYN_NAME_MAX + 1);
    check(vek::filename_extract_gen_and_inst(wide.c_str(), rest.data(), nullptr) == 0 ||
          !string_has_special(wide));
    const std::u16string unbracketed = string_has_special(wide) ? rest.data() : wide;
    check(is_piece(wide, gg) && is_piece(unbracketed, gi) && is_piece(unbracketed, ge) &&
          is_piece(unbracketed, gv));
  }
  const int weak = vek::generic_parse_filename_weak_check(wide.c_str(), nullptr, nullptr,
                                                          nullptr, nullptr, nullptr);
  check(weak == 0 || weak == 11);

  // The buffer forms on heap buffers of exactly their documented sizes.
  std::vector<char16_t> location(vek::PARSE_LOCATION_SIZE), base(vek::PARSE_BASE_SIZE),
      extension(vek::PARSE_EXTENSION_SIZE), ver(vek::PARSE_VERSION_SIZE),
      instance(vek::GENERIC_PARSE_INSTANCE_SIZE), generic(vek::GENERIC_PARSE_GENERIC_SIZE),
      short_extension(vek::GENERIC_PARSE_EXTENSION_SIZE);
  vek::parse_filename_buffer(wide.c_str(), location.data(), base.data(), extension.data(),
                             ver.data());
  check(is_piece(wide, base.data()) && is_piece(wide, extension.data()) &&
        is_piece(wide, ver.data()));
  vek::generic_parse_filename_buffer(wide.c_str(), location.data(), instance.data(),
                                     generic.data(), short_extension.data(), ver.data());
  check(is_piece(wide, generic.data()));

  std::vector<char16_t> gen_name(vek::VYN_NAME_MAX);
  const int gen = vek::get_gen_name(wide.c_str(), gen_name.data());
  check(gen == 0 || gen == 4 || gen == 11);
  check(gen == 0 || gen_name[0] == 0);
  return 0;
}
