// File system services with the behaviour the program expects of Windows: read-only
// and hidden attributes, refusing to delete read-only files, directory listings in
// the order Windows shows them, and paths resolved without regard to letter case.
// Paths use "/"; folder paths end in "/".
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct FileAttributes {
  bool directory = false;
  bool readOnly = false;  // no write permission bit is set
  bool hidden = false;    // the name starts with "."
  std::uint64_t size = 0;
};

// Follows symbolic links; nothing when the path does not exist.
std::optional<FileAttributes> GetFileAttributes(const std::string& path);
bool PathExists(const std::string& path);
// Whether the path is a regular file (links followed): no folder, pipe or device.
bool IsRegularFile(const std::string& path);
// "Normal" attributes: adds the owner write bit.
bool SetNormalAttributes(const std::string& path);

// Renames a file or folder; fails when the target exists.
bool MoveFile(const std::string& from, const std::string& to);
// Deletes a file; refuses folders and read-only files.
bool DeleteFile(const std::string& path);
// Removes an empty folder; refuses read-only folders.
bool RemoveDirectory(const std::string& path);

struct DirEntry {
  std::string name;
  bool directory = false;
  bool readOnly = false;
  bool hidden = false;
  bool link = false;  // a symbolic link (the other fields describe its target)
  bool regular = false;  // a regular file, as the listing said it (no link to one)
  std::uint64_t size = 0;
};

enum class ListDetail { NamesAndKinds, Full };
// Entries of a folder without "." and "..", sorted by NameLess. With NamesAndKinds
// the size and read-only flag are not looked up (no stat for plain files).
std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder,
                                                   ListDetail detail = ListDetail::Full);

// When a file or folder last changed, with its inode and size: a folder whose stamp is
// as it was holds the same entries (its times change with every entry made, removed or
// renamed in it), a file with the same stamp the same bytes, as far as a stat can tell.
// The status change time moves on with every change and cannot be set back.
struct ChangeStamp {
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  bool operator==(const ChangeStamp&) const = default;
};
// Follows symbolic links; nothing when the path does not exist.
std::optional<ChangeStamp> StampOf(const std::string& path);
// The wall clock now, in the nanoseconds of stamps.
std::int64_t WallClockNs();

// Device and inode: the same folder reached by two paths has one identity.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
struct FileIdentityHash {
  std::size_t operator()(const FileIdentity& id) const noexcept { return id.inode * 0x9E3779B97F4A7C15ull ^ id.device; }
};

enum class ReadResult { Done, Missing, NotRegular, TooLarge, Failed };

// An open folder: its listing, and the folders and files in it opened by name without
// walking the whole path again. A scan holds one for each level it is in.
class FolderHandle {
 public:
  // Links::Refuse: a path whose last component is a symbolic link is not opened (and
  // a child of that name is not either), so whatever is done through the handle stays
  // inside the folder the name stands for.
  enum class Links { Follow, Refuse };
  static std::optional<FolderHandle> Open(const std::string& path, Links links = Links::Follow);
  // The folder of that name in this one; nothing when it cannot be opened.
  std::optional<FolderHandle> OpenChild(const std::string& name, Links links = Links::Follow) const;
  // Whether the last open failed because the name was a symbolic link (Links::Refuse).
  static bool LastOpenHitLink();
  FolderHandle(FolderHandle&& other) noexcept : m_fd(other.m_fd), m_listed(other.m_listed) { other.m_fd = -1; }
  FolderHandle& operator=(FolderHandle&& other) noexcept;
  FolderHandle(const FolderHandle&) = delete;
  ~FolderHandle();

  // As ListDirectory.
  std::optional<std::vector<DirEntry>> List(ListDetail detail) const;
  // The folder's device and inode.
  std::optional<FileIdentity> Identity() const;
  // The folder's own stamp, and that of the entry of that name in it (links followed).
  std::optional<ChangeStamp> Stamp() const;
  std::optional<ChangeStamp> StampOf(const std::string& name) const;
  // As ReadRegularFile, for the file of that name in this folder. A file its listing
  // showed as regular is not looked up first: should it have become anything else
  // since, a read that would wait is refused and one that never ends stops at maxSize.
  ReadResult ReadFile(const DirEntry& entry, std::string& contents, std::uint64_t maxSize) const;
  // As DeleteFile and RemoveDirectory, for an entry of this folder: a link is removed
  // itself, never what it points to.
  bool DeleteFile(const std::string& name) const;
  bool RemoveDirectory(const std::string& name) const;

 private:
  explicit FolderHandle(int fd) : m_fd(fd) {}
  int m_fd;
  mutable bool m_listed = false;  // a second listing starts from the beginning again
};


// The entries of a sorted listing whose names equal name without regard to case (case
// twins stand together, the smallest first), and the first of them.
std::span<const DirEntry> EntriesNoCase(const std::vector<DirEntry>& entries, std::string_view name);
const DirEntry* FindEntryNoCase(const std::vector<DirEntry>& entries, std::string_view name);

// Windows wildcards: "*" and "?" without regard to case; "*.*" matches every name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Linux has no short names: an existing path is its own short form.
std::optional<std::string> ShortPathName(const std::string& path);

// Creates a new empty file named prefix (at most 3 characters), hex digits and ".tmp"
// in the folder and returns its path; empty on failure.
std::string CreateTempFile(const std::string& folder, std::string_view prefix);

// The process's current directory, ending in "/".
std::string CurrentDirectory();

// The path as it is spelled on disk: a component that does not exist as given is
// matched against the folder's entries without regard to case (first in byte order).
// Components that match nothing are kept as given.
std::string ResolveCase(const std::string& path);
// The path ResolveCase gives for a file name in a folder spelled as on disk, from a
// listing of that folder: no call to the file system.
std::string ResolveCaseIn(const std::string& folder, const std::vector<DirEntry>& entries, std::string_view name);

// Reads a regular file whole. A FIFO, a device or a link to one is never opened for
// reading (it could block or never end); a file larger than maxSize is not read.
ReadResult ReadRegularFile(const std::string& path, std::string& contents,
                           std::uint64_t maxSize = UINT64_MAX);
inline bool ReadWholeFile(const std::string& path, std::string& contents) {
  return ReadRegularFile(path, contents) == ReadResult::Done;
}
// Writes a temporary file beside the target, flushes it and renames it over the target
// in one step, keeping the target's permissions, then flushes the folder. On failure
// the target is unchanged and the temporary file is gone. Temporary files of earlier
// runs that died before their rename are removed on the way.
// A path that is a symbolic link: a file the user named (settings, a playlist) is
// written where the link points (WriteTarget); a file of the program's own (its
// caches) replaces the link and never writes through it (ReplaceLink).
enum class AtLink { WriteTarget, ReplaceLink };
bool ReplaceFileAtomically(const std::string& path, std::string_view contents, AtLink atLink = AtLink::WriteTarget);

}  // namespace platform
