// The files of one save, put in place together (file_set.h).
#include "host/files/file_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

struct FailureInjection {
  int fail_at = -1;
  int steps = 0;
  bool no_links = false;  // as on a file system without hard links
};

FailureInjection& injection() {
  static FailureInjection state;
  return state;
}

// Counts a step; false (with errno as an I/O error leaves it) for the step a test made fail.
bool step_allowed() {
  FailureInjection& state = injection();
  if (state.steps++ != state.fail_at) return true;
  errno = EIO;
  return false;
}

std::string reason(const std::string& target, const char* what) {
  return target + ": " + what + " (" + std::strerror(errno) + ")";
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// Flushes a file's data to the disk.
bool flushed(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool done = ::fsync(fd) == 0;
  ::close(fd);
  return done;
}

bool write_all(int fd, const std::string& text) {
  std::size_t at = 0;
  while (at < text.size()) {
    ssize_t n = ::write(fd, text.data() + at, text.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += static_cast<std::size_t>(n);
  }
  return true;
}

// The permissions a file made now gets: read and write for all, less the process's mask.
mode_t new_file_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string folder_of(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// A path in one spelling for every spelling of it ("./a.prt" and "a.prt"), its folders'
// links followed where they exist.
std::filesystem::path same_file_name(const std::string& path) {
  std::error_code failed;
  std::filesystem::path name = std::filesystem::weakly_canonical(std::filesystem::absolute(path, failed), failed);
  return failed ? std::filesystem::path(path).lexically_normal() : name;
}

// What one entry of a set has done so far, so that it can be undone.
struct Placement {
  std::string temporary;  // the new file beside the target; "" for a file that goes
  std::string kept;       // the old target under its second name; "" when there was none
  bool aside = false;     // the old target was moved to that name (no second link)
  bool placed = false;    // the target was replaced or taken away
};

// Gives the target a second name; where the file system has no hard links, the target
// moves to it (and must be moved back should the set fail).
bool keep(const std::string& target, const std::string& kept, bool& aside) {
  aside = false;
  if (!injection().no_links && ::link(target.c_str(), kept.c_str()) == 0) return true;
  if (!injection().no_links && errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return false;
  aside = std::rename(target.c_str(), kept.c_str()) == 0;
  return aside;
}

}  // namespace

void FileSet::write(const std::string& target, std::string text) {
  write_with(target, [text = std::move(text)](const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    bool done = write_all(fd, text);
    return ::close(fd) == 0 && done;
  });
}

void FileSet::write_with(const std::string& target, std::function<bool(const std::string& path)> writer) {
  entries_.push_back({target, std::move(writer)});
}

void FileSet::remove(const std::string& target) { entries_.push_back({target, {}}); }

bool FileSet::commit(std::string& error) {
  // A target must be a file or nothing, and each the target of one file of the set:
  // renaming onto a folder, a device or a pipe would move or replace something that is no
  // file of an earlier save, and two files of one set with one name would leave the last
  // in place of the other. Such a set writes nothing.
  std::set<std::filesystem::path> targets;
  for (const Entry& entry : entries_) {
    struct stat info {};
    if (::stat(entry.target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      error = entry.target + (entry.writer ? ": cannot be replaced (" : ": cannot be removed (") +
              (S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file") + ")";
      return false;
    }
    if (!targets.insert(same_file_name(entry.target)).second) {
      error = entry.target + ": cannot be written (another file of the same save has this name)";
      return false;
    }
  }
  std::vector<Placement> done(entries_.size());
  // Puts every old target back where this commit replaced it, took it away or moved it
  // aside, and takes away whatever it wrote.
  auto clean_up = [&] {
    for (std::size_t i = done.size(); i-- > 0;) {
      Placement& p = done[i];
      const std::string& target = entries_[i].target;
      if (!p.kept.empty() && (p.placed || p.aside)) std::rename(p.kept.c_str(), target.c_str());
      else if (p.placed) ::unlink(target.c_str());
      if (!p.temporary.empty()) ::unlink(p.temporary.c_str());
      if (!p.kept.empty()) ::unlink(p.kept.c_str());
    }
  };
  // Each new file, whole and flushed, beside its target.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    if (!entry.writer) continue;
    std::string name = entry.target + ".XXXXXX";
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
      error = reason(entry.target, "cannot be written");
      clean_up();
      return false;
    }
    // The new file gets the old one's permissions, or those a new file gets.
    struct stat old {};
    ::fchmod(fd, ::stat(entry.target.c_str(), &old) == 0 ? old.st_mode & 07777 : new_file_mode());
    ::close(fd);
    done[i].temporary = name;
    if (!step_allowed() || !entry.writer(name) || !flushed(name)) {
      error = reason(entry.target, "cannot be written");
      clean_up();
      return false;
    }
  }
  // The old targets kept under a second name until the set is in place.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::string& target = entries_[i].target;
    if (!exists(target)) continue;
    std::string kept = (done[i].temporary.empty() ? target + ".XXXXXX" : done[i].temporary) + ".old";
    if (done[i].temporary.empty()) {
      // A file that goes has no temporary name: one is made for its second name.
      int fd = ::mkstemp(kept.data());
      if (fd >= 0) {
        ::close(fd);
        ::unlink(kept.c_str());
      }
    }
    if (!step_allowed() || !keep(target, kept, done[i].aside)) {
      error = reason(target, "cannot be replaced");
      clean_up();
      return false;
    }
    done[i].kept = kept;
  }
  // Each target replaced (or taken away) in turn; a failure puts the earlier ones back.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    bool placed = false;
    if (step_allowed()) {
      if (!done[i].temporary.empty()) placed = std::rename(done[i].temporary.c_str(), entry.target.c_str()) == 0;
      else placed = ::unlink(entry.target.c_str()) == 0 || errno == ENOENT;
    }
    if (!placed) {
      error = reason(entry.target, entry.writer ? "cannot be replaced" : "cannot be removed");
      clean_up();
      return false;
    }
    done[i].placed = true;
  }
  for (Placement& p : done)
    if (!p.kept.empty()) ::unlink(p.kept.c_str());
  // The renames themselves reach the disk with their folders.
  std::set<std::string> folders;
  for (const Entry& entry : entries_) folders.insert(folder_of(entry.target));
  for (const std::string& folder : folders) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

void file_set_failure_testing_set(int step, bool no_links) {
  injection() = FailureInjection{step, 0, no_links};
}

void file_sets_testing_reset() { file_set_failure_testing_set(-1); }

int file_set_steps() { return injection().steps; }

}  // namespace yrlhost
