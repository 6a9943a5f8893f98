#include "platform/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <random>

#include "platform/file_faults.h"
#include "platform/text.h"

namespace platform {
namespace {

bool IsReadOnlyMode(mode_t mode) { return (mode & 0222) == 0; }

// Deletes a file (a link itself, never its target) in the folder at; refuses folders
// and read-only files.
bool DeleteFileAt(int at, const std::string& name) {
  struct stat st {};
  if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) return false;
  if (!S_ISLNK(st.st_mode) && IsReadOnlyMode(st.st_mode)) {
    errno = EACCES;
    return false;
  }
  return ::unlinkat(at, name.c_str(), 0) == 0;
}

// Removes an empty folder (never a link to one) in the folder at; refuses read-only folders.
bool RemoveDirectoryAt(int at, std::string name) {
  // "link/" would stand for the folder the link points to.
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  struct stat st {};
  if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  if (IsReadOnlyMode(st.st_mode)) {
    errno = EACCES;
    return false;
  }
  return ::unlinkat(at, name.c_str(), AT_REMOVEDIR) == 0;
}

std::string BaseName(const std::string& path) {
  std::string_view view = path;
  while (view.size() > 1 && view.back() == '/') view.remove_suffix(1);
  const auto slash = view.rfind('/');
  return std::string(slash == std::string_view::npos ? view : view.substr(slash + 1));
}

std::string ParentFolder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

bool WriteAll(int fd, std::string_view data) {
  if (FileStepFails(FileStep::Write)) {
    errno = ENOSPC;
    return false;
  }
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string RandomHex(int digits) {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < digits; ++i) text += kHex[generator() % 16];
  return text;
}

// Opens a new file of the given name pattern with O_EXCL; returns the descriptor.
int CreateExclusive(const std::string& folder, std::string_view prefix, std::string_view suffix,
                    std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + std::string(prefix) + RandomHex(6) + std::string(suffix);
    const int fd = FileStepFails(FileStep::NameTaken) ? (errno = EEXIST, -1)
                                                      : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// When this run began: temporary files of ours older than that belong to a run that
// died before it could put them in place.
const std::time_t kRunStart = std::time(nullptr);

constexpr std::string_view kTempSuffix = ".tmp";

std::string TempPrefix(const std::string& target) { return "." + BaseName(target) + "."; }

void RemoveStaleTempFiles(const std::string& target) {
  const std::string folder = ParentFolder(target);
  const std::string prefix = TempPrefix(target);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* item = ::readdir(dir)) {
    const std::string_view name = item->d_name;
    // Ours: the prefix, six hex digits and the suffix.
    if (name.size() != prefix.size() + 6 + kTempSuffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(kTempSuffix) ||
        name.substr(prefix.size(), 6).find_first_not_of("0123456789abcdef") != std::string_view::npos) {
      continue;
    }
    struct stat st {};
    if (::fstatat(::dirfd(dir), item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_mtime < kRunStart) {
      ::unlinkat(::dirfd(dir), item->d_name, 0);
    }
  }
  ::closedir(dir);
}

// Makes a rename in the folder durable.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Reads the file just opened (fd, or -1 with errno set) whole and closes it. Only a
// regular file is read: checked first, or, for one its listing showed as regular, when
// a read would wait or finds nothing (a FIFO without writer reads as empty).
ReadResult ReadOpenedFile(int fd, std::string& contents, std::uint64_t maxSize, bool listedRegular) {
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
  const auto finish = [fd](ReadResult result) {
    ::close(fd);
    return result;
  };
  if (FileStepFails(FileStep::Read)) return finish(ReadResult::Failed);
  struct stat st {};
  if (!listedRegular) {
    if (::fstat(fd, &st) != 0) return finish(ReadResult::Failed);
    if (!S_ISREG(st.st_mode)) return finish(ReadResult::NotRegular);
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) return finish(ReadResult::TooLarge);
    contents.reserve(static_cast<size_t>(st.st_size));
  }
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return finish(errno == EAGAIN ? ReadResult::NotRegular : ReadResult::Failed);
    if (got == 0) {
      const bool special = listedRegular && contents.empty() && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode));
      return finish(special ? ReadResult::NotRegular : ReadResult::Done);
    }
    contents.append(buffer, static_cast<size_t>(got));
    if (contents.size() > maxSize) return finish(ReadResult::TooLarge);  // it grew while being read
  }
}

// Sorts a listing by NameLess. Most folders hold ASCII names only: those compare
// letter by letter in upper case, which orders them exactly as NameLess does.
void SortListing(std::vector<DirEntry>& entries) {
  const bool ascii = std::all_of(entries.begin(), entries.end(), [](const DirEntry& entry) {
    return std::all_of(entry.name.begin(), entry.name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  });
  if (!ascii) {
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return NameLess(a.name, b.name); });
    return;
  }
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; };
  std::sort(entries.begin(), entries.end(), [&upper](const DirEntry& a, const DirEntry& b) {
    const size_t shorter = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < shorter; ++i) {
      const char x = upper(a.name[i]), y = upper(b.name[i]);
      if (x != y) return x < y;
    }
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;
  });
}

}  // namespace

std::optional<FileAttributes> GetFileAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileAttributes attributes;
  attributes.directory = S_ISDIR(st.st_mode);
  attributes.readOnly = IsReadOnlyMode(st.st_mode);
  attributes.hidden = BaseName(path).starts_with('.');
  attributes.size = static_cast<std::uint64_t>(st.st_size);
  return attributes;
}

namespace {

ChangeStamp StampFrom(const struct stat& st) {
  const auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; };
  return {ns(st.st_mtim), ns(st.st_ctim), static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_size)};
}

}  // namespace

std::int64_t WallClockNs() {
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

std::optional<ChangeStamp> StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return StampFrom(st);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool SetNormalAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool MoveFile(const std::string& from, const std::string& to) {
  if (FileStepFails(FileStep::Move)) {
    errno = EIO;
    return false;
  }
  const int moved = FileStepFails(FileStep::NoReplace)
                        ? (errno = EINVAL, -1)
                        : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
  if (moved == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse an existing target itself.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFile(const std::string& path) { return DeleteFileAt(AT_FDCWD, path); }

bool RemoveDirectory(const std::string& path) { return RemoveDirectoryAt(AT_FDCWD, path); }

std::optional<FileIdentity> FolderHandle::Identity() const {
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<ChangeStamp> FolderHandle::Stamp() const {
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) return std::nullopt;
  return StampFrom(st);
}

std::optional<ChangeStamp> FolderHandle::StampOf(const std::string& name) const {
  struct stat st {};
  if (::fstatat(m_fd, name.c_str(), &st, 0) != 0) return std::nullopt;
  return StampFrom(st);
}

namespace {

thread_local bool lastOpenHitLink = false;

int OpenFolderAt(int at, const std::string& path, FolderHandle::Links links) {
  int flags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;
  if (links == FolderHandle::Links::Refuse) flags |= O_NOFOLLOW;
  // Without a trailing "/": "link/" would follow the link whatever O_NOFOLLOW says.
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  const int fd = FileStepFails(FileStep::OpenFolder) ? (errno = EACCES, -1)
                                                     : ::openat(at, name.empty() ? "." : name.c_str(), flags);
  // O_NOFOLLOW with O_DIRECTORY reports a link as ELOOP or ENOTDIR.
  lastOpenHitLink = fd < 0 && links == FolderHandle::Links::Refuse && (errno == ELOOP || errno == ENOTDIR) &&
                    [&] {
                      struct stat st {};
                      return ::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
                    }();
  return fd;
}

}  // namespace

std::optional<FolderHandle> FolderHandle::Open(const std::string& path, Links links) {
  const int fd = OpenFolderAt(AT_FDCWD, path, links);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd);
}

std::optional<FolderHandle> FolderHandle::OpenChild(const std::string& name, Links links) const {
  const int fd = OpenFolderAt(m_fd, name, links);
  if (fd < 0) return std::nullopt;
  return FolderHandle(fd);
}

bool FolderHandle::LastOpenHitLink() { return lastOpenHitLink; }

bool FolderHandle::DeleteFile(const std::string& name) const { return DeleteFileAt(m_fd, name); }

bool FolderHandle::RemoveDirectory(const std::string& name) const { return RemoveDirectoryAt(m_fd, name); }

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = other.m_fd;
    m_listed = other.m_listed;
    other.m_fd = -1;
  }
  return *this;
}

FolderHandle::~FolderHandle() {
  if (m_fd >= 0) ::close(m_fd);
}

std::optional<std::vector<DirEntry>> FolderHandle::List(ListDetail detail) const {
  std::vector<DirEntry> entries;
  entries.reserve(16);
  alignas(dirent64) char buffer[32768];
  if (m_listed && ::lseek(m_fd, 0, SEEK_SET) < 0) return std::nullopt;
  m_listed = true;
  for (;;) {
    const ssize_t got = FileStepFails(FileStep::ListFolder) ? (errno = EIO, -1)
                                                            : ::getdents64(m_fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* item = reinterpret_cast<const dirent64*>(buffer + at);
      at += item->d_reclen;
      const std::string_view name = item->d_name;
      if (name == "." || name == "..") continue;
      DirEntry entry;
      entry.name = name;
      entry.hidden = name.front() == '.';
      const unsigned kind = FileStepFails(FileStep::EntryKind) ? unsigned{DT_UNKNOWN} : item->d_type;
      const bool knownKind = kind == DT_DIR || kind == DT_REG;
      entry.regular = kind == DT_REG;
      if (detail == ListDetail::NamesAndKinds && knownKind) {
        entry.directory = kind == DT_DIR;
      } else {
        struct stat st {};
        entry.link = kind == DT_LNK;
        if (kind == DT_UNKNOWN && ::fstatat(m_fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
          entry.link = S_ISLNK(st.st_mode);
        }
        if (::fstatat(m_fd, item->d_name, &st, 0) != 0 && ::fstatat(m_fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
          continue;  // vanished meanwhile
        }
        entry.directory = S_ISDIR(st.st_mode);
        entry.readOnly = IsReadOnlyMode(st.st_mode);
        entry.size = static_cast<std::uint64_t>(st.st_size);
      }
      entries.push_back(std::move(entry));
    }
  }
  SortListing(entries);
  return entries;
}

ReadResult FolderHandle::ReadFile(const DirEntry& entry, std::string& contents, std::uint64_t maxSize) const {
  contents.clear();
  return ReadOpenedFile(::openat(m_fd, entry.name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), contents, maxSize,
                        entry.regular);
}

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder, ListDetail detail) {
  const auto handle = FolderHandle::Open(folder);
  if (!handle) return std::nullopt;
  return handle->List(detail);
}

std::span<const DirEntry> EntriesNoCase(const std::vector<DirEntry>& entries, std::string_view name) {
  // Listings are sorted by NameLess, which orders names without regard to case first.
  const auto first = std::lower_bound(entries.begin(), entries.end(), name, [](const DirEntry& entry, std::string_view n) {
    return CompareNoCase(entry.name, n) < 0;
  });
  auto end = first;
  while (end != entries.end() && EqualsNoCase(end->name, name)) ++end;
  return {first, end};
}

const DirEntry* FindEntryNoCase(const std::vector<DirEntry>& entries, std::string_view name) {
  const auto twins = EntriesNoCase(entries, name);
  return twins.empty() ? nullptr : &twins.front();
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  // Iterative wildcard match with backtracking to the last "*".
  const std::string upperName = UpperUtf8(name);
  const std::string upperPattern = UpperUtf8(pattern);
  size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
  while (n < upperName.size()) {
    if (p < upperPattern.size() && upperPattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < upperPattern.size() && (upperPattern[p] == '?' || upperPattern[p] == upperName[n])) {
      if (upperPattern[p] == '?') {
        // "?" stands for one character, however many bytes it takes.
        ++n;
        while (n < upperName.size() && (static_cast<unsigned char>(upperName[n]) & 0xC0) == 0x80) ++n;
      } else {
        ++n;
      }
      ++p;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < upperPattern.size() && upperPattern[p] == '*') ++p;
  return p == upperPattern.size();
}

std::optional<std::string> ShortPathName(const std::string& path) {
  if (!PathExists(path)) return std::nullopt;
  return path;
}

std::string CreateTempFile(const std::string& folder, std::string_view prefix) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::string path;
  const int fd = CreateExclusive(dir, prefix.substr(0, 3), ".tmp", path);
  if (fd < 0) return {};
  ::close(fd);
  return path;
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  if (buffer.back() != '/') buffer += '/';
  return buffer;
}

std::string ResolveCase(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) == 0) return path;

  std::string resolved = path.front() == '/' ? "/" : "";
  size_t pos = resolved.size();
  while (pos < path.size()) {
    const size_t componentStart = pos;
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    const std::string component = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (component.empty()) continue;
    std::string candidate = resolved + component;
    if (::lstat(candidate.c_str(), &st) != 0 && component != "." && component != "..") {
      std::optional<std::string> match;
      if (auto entries = ListDirectory(resolved, ListDetail::NamesAndKinds)) {
        for (const DirEntry& entry : *entries) {
          if (EqualsNoCase(entry.name, component) && (!match || entry.name < *match)) match = entry.name;
        }
      }
      if (!match) return resolved + path.substr(componentStart);
      candidate = resolved + *match;
    }
    resolved = candidate;
    if (slash < path.size()) resolved += '/';
  }
  return resolved;
}

std::string ResolveCaseIn(const std::string& folder, const std::vector<DirEntry>& entries, std::string_view name) {
  const auto twins = EntriesNoCase(entries, name);
  for (const DirEntry& twin : twins) {
    if (twin.name == name) return folder + std::string(name);
  }
  // Otherwise the smallest of the case twins.
  return folder + (twins.empty() ? std::string(name) : twins.front().name);
}

ReadResult ReadRegularFile(const std::string& path, std::string& contents, std::uint64_t maxSize) {
  contents.clear();
  // Opening without blocking lets a FIFO be looked at without waiting for a writer.
  return ReadOpenedFile(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), contents, maxSize, false);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view contents, AtLink atLink) {
  std::string target = path;
  struct stat st {};
  const bool link = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  if (link && atLink == AtLink::WriteTarget) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return false;
    target = real;
    std::free(real);
  }
  // A link replaced is no file whose permissions to keep.
  const bool existed = ::stat(target.c_str(), &st) == 0 && !(link && atLink == AtLink::ReplaceLink);

  RemoveStaleTempFiles(target);
  std::string tempPath;
  const int fd = CreateExclusive(ParentFolder(target), TempPrefix(target), kTempSuffix, tempPath);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, contents);
  if (ok && existed) {
    ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    // Keeping the owner needs privileges; without them the new file is the caller's.
    [[maybe_unused]] const int ownerKept = ::fchown(fd, st.st_uid, st.st_gid);
  }
  ok = ok && !FileStepFails(FileStep::Fsync) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && !FileStepFails(FileStep::Rename) && ::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  SyncFolder(ParentFolder(target));
  return true;
}

}  // namespace platform
