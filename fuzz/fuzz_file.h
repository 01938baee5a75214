// Writes the files that a fuzz target reads.
#pragma once

#include <cstdio>
#include <string>

#include "tests/support/temp_dir.h"

// The old file is removed first: truncating and rewriting it in place makes the file
// system flush its blocks at every input (ext4 does, for a file cut to nothing), which
// takes longer than the target itself.
inline void fuzz_write_file(const std::string& path, const std::string& text) {
  std::remove(path.c_str());
  yrltest::write_file(path, text);
}
