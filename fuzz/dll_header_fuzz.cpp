// The header test of program files: the input is the file. vyndevtest_get_header gives
// its first 80 bytes (all of a shorter file, nothing for an empty one), and the shared
// object and program tests say what the ELF header gives when it is read through the
// C library's own description of it (<elf.h>): the identification, then e_type in the
// file's byte order, when the whole header of its class is there.
#include <elf.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_file.h"
#include "runtime/system/dll.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// The object type of the header, -1 when there is none.
int elf_type(const std::string& bytes) {
  if (bytes.size() < EI_NIDENT || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0) return -1;
  const unsigned char elf_class = static_cast<unsigned char>(bytes[EI_CLASS]);
  const std::size_t header = elf_class == ELFCLASS32   ? sizeof(Elf32_Ehdr)
                             : elf_class == ELFCLASS64 ? sizeof(Elf64_Ehdr)
                                                       : 0;
  if (header == 0 || bytes.size() < header) return -1;
  static_assert(offsetof(Elf32_Ehdr, e_type) == offsetof(Elf64_Ehdr, e_type));
  const auto* type = reinterpret_cast<const unsigned char*>(bytes.data()) + offsetof(Elf64_Ehdr, e_type);
  switch (bytes[EI_DATA]) {
    case ELFDATA2LSB: return type[0] | type[1] << 8;
    case ELFDATA2MSB: return type[0] << 8 | type[1];
    default: return -1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const yrltest::TempDir dir;
  static const std::string path = dir.file("program.bin");
  yrltest::reset_runtime_state();
  yrltest::ConsoleCapture console;  // the report of a file without a header
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz_write_file(path, bytes);

  const unsigned char* header = nullptr;
  int count = -1;
  const int read = vek::vyndevtest_get_header(path.c_str(), &header, &count);
  const std::size_t expected = std::min<std::size_t>(size, vek::VYNDEVTEST_HEADER_SIZE);
  if (size == 0) {
    require(read == 0 && header == nullptr && count == 0);
  } else {
    require(read == 1 && header != nullptr && count == static_cast<int>(expected));
    require(std::memcmp(header, data, expected) == 0);
  }

  const int type = elf_type(bytes);
  require(vek::vyndevtest_is_dll(path.c_str()) == (type == ET_DYN));
  require(vek::vyndevtest_is_exec(path.c_str()) == (type == ET_EXEC || type == ET_DYN));
  return 0;
}
