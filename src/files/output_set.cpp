#include "files/output_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "ascent/errors.h"

namespace ascent {

namespace {

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The registry of temporaries that a signal handler removes: fixed storage,
// no allocation, each slot claimed and released with an atomic flag.
constexpr int slots = 64;
constexpr std::size_t slotBytes = 4096;
struct Slot {
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 a file, 3 a directory
  char path[slotBytes];
};
Slot registry[slots];

}  // namespace

std::string resolvedPath(const std::string& name) {
  std::vector<std::string> pending;  // components still to walk, the next one last
  auto prepend = [&pending](std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find('/', start);
      if (end == std::string_view::npos) end = path.size();
      parts.emplace_back(path.substr(start, end - start));
      start = end + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
  };
  prepend(name);
  std::error_code error;
  if (name.empty() || name[0] != '/') prepend(std::filesystem::current_path(error).string());
  std::string resolved;  // "" is the root
  int linksLeft = 40;    // as the kernel's limit, so that a loop of links ends
  while (!pending.empty()) {
    std::string part = std::move(pending.back());
    pending.pop_back();
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      const std::size_t slash = resolved.rfind('/');
      resolved.erase(slash == std::string::npos ? 0 : slash);
      continue;
    }
    std::string candidate = resolved + "/" + part;
    struct stat info {};
    if (linksLeft > 0 && ::lstat(candidate.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
      const std::filesystem::path target = std::filesystem::read_symlink(candidate, error);
      if (!error) {
        --linksLeft;
        if (target.is_absolute()) resolved.clear();
        prepend(target.string());
        continue;
      }
    }
    resolved = std::move(candidate);
  }
  return resolved.empty() ? "/" : resolved;
}

namespace {

bool sameInode(const std::string& first, const std::string& second) {
  struct stat a {
  }, b{};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string replacedPath(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) return replacedPath("./" + name);
  const std::string folder = resolvedPath(slash == 0 ? "/" : name.substr(0, slash));
  return (folder == "/" ? "" : folder) + name.substr(slash);
}

bool sameFile(const std::string& first, const std::string& second) {
  return resolvedPath(first) == resolvedPath(second) || sameInode(first, second);
}

void OutputSet::input(const std::string& name, const std::string& role) {
  Entry entry{name, "", "", role, false, false, false};
  if (!sameFile_) entry.resolved = resolvedPath(name), entry.replaced = replacedPath(name);
  entries_.push_back(std::move(entry));
}

void OutputSet::output(const std::string& name, const std::string& role, Placement placement) {
  Entry entry{name, "", "", role, true, false, placement == Placement::replacingName};
  if (!sameFile_) entry.resolved = resolvedPath(name), entry.replaced = replacedPath(name);
  entries_.push_back(std::move(entry));
}

void OutputSet::standardOutput() {
  struct stat info {};
  // Only a file can be another input or output; a terminal or a pipe cannot.
  if (::fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode)) {
    entries_.push_back({"", "", "", "standard output", true, true, false});
  }
}

bool OutputSet::same(const Entry& a, const Entry& b) const {
  if (a.standardOutput || b.standardOutput) {
    if (a.standardOutput && b.standardOutput) return false;
    const Entry& named = a.standardOutput ? b : a;
    struct stat first {
    }, second{};
    // A name replaced is the file at the name, not one a link there leads to.
    const int found = named.replacesName ? ::lstat(named.name.c_str(), &second)
                                         : ::stat(named.name.c_str(), &second);
    return ::fstat(STDOUT_FILENO, &first) == 0 && found == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
  }
  if (sameFile_) return sameFile_(a.name, b.name);
  if (a.replacesName || b.replacesName) {
    const Entry& replacing = a.replacesName ? a : b;
    const Entry& other = a.replacesName ? b : a;
    return replacing.replaced == other.replaced ||
           (!other.replacesName && replacing.replaced == other.resolved);
  }
  return a.resolved == b.resolved || sameInode(a.name, b.name);
}

std::optional<OutputSet::Clash> OutputSet::firstClash() const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!entries_[i].output) continue;
    for (std::size_t j = 0; j < entries_.size(); ++j) {
      if (!entries_[j].output && same(entries_[i], entries_[j])) return Clash{i, j};
    }
    for (std::size_t j = i + 1; j < entries_.size(); ++j) {
      if (entries_[j].output && same(entries_[i], entries_[j])) return Clash{i, j};
    }
  }
  return std::nullopt;
}

std::string OutputSet::clash() const {
  const std::optional<Clash> found = firstClash();
  if (!found) return "";
  auto describe = [](const Entry& e) { return e.standardOutput ? e.role : e.role + " " + e.name; };
  const Entry& output = entries_[found->output];
  const Entry& other = entries_[found->other];
  // Of two outputs, the later is named first: "the manifest m is the CSV file c".
  return other.output ? describe(other) + " is " + describe(output)
                      : describe(output) + " is " + describe(other);
}

OutputFile::OutputFile(const std::string& name, Placement placement) : name_(name) {
  if (std::string problem = fileNameProblem(name); !problem.empty()) throw InputError({problem});
  const bool replacing = placement == Placement::replacingName;
  target_ = replacing ? replacedPath(name) : resolvedPath(name);
  struct stat info {};
  if (replacing) {
    if (::lstat(target_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      throwSystemError(EISDIR, "cannot create", name_);
    }
  } else if (::stat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) throwSystemError(EISDIR, "cannot create", name_);
    fd_ = openRetrying(target_.c_str(), O_WRONLY);
    if (fd_ < 0) throwSystemError(errno, "cannot create", name_);
    return;
  }
  const std::size_t slash = target_.rfind('/');
  temporary_ = target_.substr(0, slash + 1) + ".ascent-XXXXXX";
  fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int err = errno;
    temporary_.clear();
    throwSystemError(err, "cannot create", name_);
  }
  slot_ = rememberTemporary(temporary_, false);
  // The permissions of the file replaced, or those a new file gets.
  const int found = replacing ? ::lstat(target_.c_str(), &info) : ::stat(target_.c_str(), &info);
  if (found == 0 && S_ISREG(info.st_mode)) {
    ::fchmod(fd_, info.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
  }
}

OutputFile::~OutputFile() {
  discard();
}

void OutputFile::discard() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  forgetTemporary(slot_);
  slot_ = -1;
}

void OutputFile::write(std::string_view bytes) {
  if (fd_ < 0 || !writeAll(fd_, bytes)) {
    const int err = fd_ < 0 ? EBADF : errno;
    discard();
    throwSystemError(err, "cannot write", name_);
  }
}

void OutputFile::commit() {
  if (fd_ < 0) throwSystemError(EBADF, "cannot write", name_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) {
    const int err = errno;
    discard();
    throwSystemError(err, "cannot write", name_);
  }
  if (temporary_.empty()) return;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    discard();
    throwSystemError(err, "cannot write", name_);
  }
  temporary_.clear();
  forgetTemporary(slot_);
  slot_ = -1;
}

std::string folderFile(const std::string& directory, std::string_view name) {
  return (std::filesystem::path(directory) / name).string();
}

OutputFolder::OutputFolder(const std::string& directory, std::span<const char* const> names) {
  if (std::string problem = fileNameProblem(directory); !problem.empty()) {
    throw InputError({problem});
  }
  // The folders missing on the way, the outermost first, made one by one so
  // that only those made here are removed again.
  std::vector<std::string> missing;
  for (std::filesystem::path folder = directory; !folder.empty(); folder = folder.parent_path()) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder, error))) break;
    missing.insert(missing.begin(), folder.string());
    if (folder == folder.parent_path()) break;
  }
  try {
    for (const std::string& folder : missing) {
      if (::mkdir(folder.c_str(), 0777) != 0) {
        if (errno == EEXIST) continue;  // made by another run meanwhile
        throwSystemError(errno, "cannot create the directory", directory);
      }
      created_.push_back(folder);
      slots_.push_back(rememberTemporary(folder, true));
    }
    struct stat info {};
    const bool found = ::stat(directory.c_str(), &info) == 0;
    if (!found || !S_ISDIR(info.st_mode)) {
      throwSystemError(found ? ENOTDIR : errno, "cannot create the directory", directory);
    }
    for (const char* name : names) {
      files_.push_back(
          std::make_unique<OutputFile>(folderFile(directory, name), Placement::replacingName));
    }
  } catch (...) {
    discard();
    throw;
  }
}

OutputFolder::~OutputFolder() {
  discard();
}

void OutputFolder::discard() noexcept {
  files_.clear();
  for (auto folder = created_.rbegin(); folder != created_.rend(); ++folder) {
    ::rmdir(folder->c_str());
  }
  for (int slot : slots_) forgetTemporary(slot);
  created_.clear();
  slots_.clear();
}

void OutputFolder::commit() {
  // The folders stay from the first file in place on.
  for (int slot : slots_) forgetTemporary(slot);
  slots_.clear();
  created_.clear();
  for (auto& file : files_) file->commit();
}

int rememberTemporary(const std::string& path, bool directory) {
  if (path.size() >= slotBytes) return -1;
  for (int i = 0; i < slots; ++i) {
    int expected = 0;
    if (!registry[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(registry[i].path, path.c_str(), path.size() + 1);
    registry[i].state.store(directory ? 3 : 2);
    return i;
  }
  return -1;
}

void forgetTemporary(int slot) noexcept {
  if (slot >= 0 && slot < slots) registry[slot].state.store(0);
}

void removeTemporaryFiles() noexcept {
  for (int pass = 2; pass <= 3; ++pass) {
    for (Slot& slot : registry) {
      if (slot.state.load() != pass) continue;
      if (pass == 2) {
        ::unlink(slot.path);
      } else {
        ::rmdir(slot.path);
      }
    }
  }
}

}  // namespace ascent
