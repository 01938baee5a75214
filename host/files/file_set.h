// The files of one save, put in place together: a drawing with the parts saved beside it
// and their solids. Nothing is written over a target in place: each file goes first to a
// new temporary file beside its target, written whole and flushed to the disk; only once
// every file of the set is, each replaces its target by a rename (a file that goes, a
// stale solid, is taken away at the same point). A failure before that leaves every
// target as it was; a failure while the renames run puts back the targets replaced so
// far (each old one was kept under a second name until the set is in place). Either way
// no temporary file stays behind, and no target is ever left cut or mixed with another
// save's. (Where the file system has no hard links, an old target moves to its second
// name instead and is moved back should the set fail.) A target that is there must be a
// file, and no two files of a set may share a target: a set that breaks either writes
// nothing and fails.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace yrlhost {

class FileSet {
 public:
  // A file of the set: its text.
  void write(const std::string& target, std::string text);
  // A file of the set that writer writes to the path it is given (false when it cannot).
  void write_with(const std::string& target, std::function<bool(const std::string& path)> writer);
  // A file that goes with the set when it is there (nothing when it is not).
  void remove(const std::string& target);
  // Puts the set in place; false, with "<target>: <what failed>" in error, when it could
  // not, every target then as it was.
  bool commit(std::string& error);

 private:
  struct Entry {
    std::string target;
    std::function<bool(const std::string& path)> writer;  // empty: the file goes
  };
  std::vector<Entry> entries_;
};

// For tests: the n-th step of the file sets committed from now on (from 0, in the order
// they run: each file written and flushed, each old target kept under its second name,
// each target replaced or taken away) fails as a full disk or a lost permission would;
// -1 (the start) makes none fail. With no_links the file system is taken to have no hard
// links, so that an old target moves to its second name. The steps run so far are
// counted in file_set_steps.
void file_set_failure_testing_set(int step, bool no_links = false);
int file_set_steps();

}  // namespace yrlhost
