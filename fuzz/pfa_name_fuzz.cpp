// The name parser: arbitrary text (at most 300 bytes) and the value of one environment
// variable that the text may name, parsed with a location type drawn from the input.
// The answer is 0 or one of the parser's codes. A parsed handle has six contiguous
// slots within 259 bytes and an empty slot 5; every name read back ends inside its
// buffer; a full name parses again to the same full name, and a neutral name to the
// same neutral name. A refused name leaves the handle without a name.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaname.h"
#include "fuzz/fuzz_input.h"
#include "platform/w32/path.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

constexpr int kGuard = 16;

// A reader's buffer with guard bytes behind it that must stay untouched.
struct Guarded {
  char bytes[vek::PFA_NAME_SIZE + kGuard];
  Guarded() { std::memset(bytes, 0x5A, sizeof bytes); }
  char* text() { return bytes; }
  void check() const {
    for (int i = vek::PFA_NAME_SIZE; i < vek::PFA_NAME_SIZE + kGuard; ++i)
      require(bytes[i] == 0x5A);
    require(std::memchr(bytes, '\0', vek::PFA_NAME_SIZE) != nullptr);
  }
};

void check_slots(const vek::VynFile* file) {
  require(file->component[0][0] == 0);
  for (int c = 0; c < 6; ++c) {
    require(file->component[c][0] <= file->component[c][1]);
    if (c < 5) require(file->component[c][1] == file->component[c + 1][0]);
  }
  require(file->component[5][0] == file->component[5][1]);
  require(file->component[5][1] <= 259);
  require(file->text[file->component[5][1]] == '\0');
}

bool is_reset(const vek::VynFile* file) {
  for (int c = 0; c < 6; ++c) {
    if (file->component[c][0] || file->component[c][1]) return false;
  }
  return file->text[0] == '\0' && file->object_type == vek::PFA_TYPE_NONE && file->version == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const yrltest::TempDir dir;
  yrltest::reset_runtime_state();
  yrltest::ConsoleCapture console;
  // File-system questions (is it a directory?) stay inside the temporary drive.
  w32::w32_set_drive('C', dir.path().c_str());
  setenv("HOME", "C:\\home", 1);
  FuzzInput in{data, size};
  static const int types[] = {-2, -1, 0, 1, 4, 8};
  const int how = types[in.below(6)];
  const int value_length = in.below(64);
  std::string value;
  for (int i = 0; i < value_length && !in.done(); ++i) {
    char c = static_cast<char>(in.byte());
    value += c ? c : 'v';
  }
  setenv("YRL_FUZZ_V", value.c_str(), 1);
  std::string name;
  while (!in.done() && name.size() < 300) {
    char c = static_cast<char>(in.byte());
    if (c) name += c;
  }

  vek::VynFile* file = nullptr;
  require(vek::pfa_alloc_vyn_file(&file) == 0);
  // -2: the full parse, with substitution and the standard form; else the low parse.
  const int answer = how == -2 ? vek::pfa_parse_to_vyn_file(file, name.c_str())
                               : vek::parse_to_pfa(file, how, name.c_str());
  require(answer == 0 || answer == 1 || answer == 2 || answer == 4 || answer == 9 ||
          answer == 14);
  if (answer != 0) {
    require(is_reset(file));
    vek::pfa_free_vyn_file(&file);
    return 0;
  }
  check_slots(file);

  Guarded full;
  const int full_answer = vek::pfa_get_full_name(file, full.text());
  full.check();
  require(full_answer == 0 || (full_answer == 1 && full.text()[0] == '\0'));
  Guarded neutral;
  const int neutral_answer = vek::pfa_get_neutral_name(file, neutral.text());
  neutral.check();
  Guarded masked;
  vek::pfa_get_file_name(file, static_cast<int>(size % 64), masked.text());
  masked.check();
  for (auto reader : {vek::pfa_get_name, vek::pfa_get_path}) {
    Guarded part;
    reader(file, part.text());
    part.check();
  }
  Guarded location;
  vek::pfa_get_location(file, location.text(), nullptr);
  location.check();
  vek::pfa_get_neutral_location(file, location.text(), nullptr);
  location.check();
  char short_part[32 + kGuard];
  std::memset(short_part, 0x5A, sizeof short_part);
  vek::pfa_get_extension(file, short_part);
  vek::pfa_get_host(file, short_part);
  vek::pfa_get_device(file, short_part);
  for (int i = 32; i < 32 + kGuard; ++i) require(short_part[i] == 0x5A);

  // A full name of a claimed location that holds no text substitution would change
  // parses to itself. A name parsed without a location may hold delimiters in its base
  // name, and a component with a ':' (no file system allows one in a name) may be read
  // back as a host or drive: no full name can say either. Nor can it say the empty
  // extension after a trailing '.' (a file system drops trailing dots), which leaves a
  // base name with a '.' that a reparse reads as the extension or version mark.
  const std::string first = full.text();
  const std::string stored(file->text, file->text + file->component[5][1]);
  const std::string base(file->text + file->component[3][0], file->text + file->component[3][1]);
  const bool colon = file->location_type != vek::PFA_LOC_STDIO &&
                     stored.find(':') != std::string::npos;
  const bool empty_extension = file->component[4][0] == file->component[4][1];
  const bool dotted = empty_extension && base.size() > 1 && base[0] != '.' &&
                      base.find('.') != std::string::npos;
  // The neutral form keeps the parts apart just as well: a drive stays a drive before a
  // relative path, a host before its path.
  const std::string neutral_first = neutral.text();
  const struct {
    int answer;
    const std::string& text;
    int (*reader)(const vek::VynFile*, char*);
  } forms[] = {{full_answer, first, vek::pfa_get_full_name},
               {neutral_answer, neutral_first, vek::pfa_get_neutral_name}};
  for (const auto& form : forms) {
    if (how >= 0 || form.answer != 0 || form.text.empty() ||
        form.text.find('$') != std::string::npos || form.text[0] == '~' || colon || dotted)
      continue;
    vek::VynFile* again = nullptr;
    require(vek::pfa_alloc_vyn_file(&again) == 0);
    require(vek::pfa_parse_to_vyn_file(again, form.text.c_str()) == 0);
    check_slots(again);
    Guarded second;
    require(form.reader(again, second.text()) == 0);
    if (how == -2) require(form.text == second.text());
    vek::pfa_free_vyn_file(&again);
  }
  vek::pfa_free_vyn_file(&file);
  return 0;
}
