#include "platform/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/filesystem.h"
#include "platform/text.h"

namespace platform {
namespace {

using LineKind = ProfileDocument::LineKind;

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec mtime{};
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

struct CacheEntry {
  FileStamp stamp;
  std::shared_ptr<const ProfileDocument> document;
};

// Parsed files by path, for every thread that reads or writes profiles (a scan's
// thread finishes the edits a killed run left): one lock around each look-up or change.
class DocumentCache {
 public:
  std::shared_ptr<const ProfileDocument> Find(const std::string& file, const FileStamp& stamp) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(file);
    return it != m_entries.end() && it->second.stamp == stamp ? it->second.document : nullptr;
  }
  void Store(const std::string& file, const FileStamp& stamp, std::shared_ptr<const ProfileDocument> document) {
    const std::lock_guard lock(m_mutex);
    if (m_entries.size() >= kLimit) m_entries.clear();
    m_entries[file] = {stamp, std::move(document)};
  }
  void Forget(const std::string& file) {
    const std::lock_guard lock(m_mutex);
    m_entries.erase(file);
  }

 private:
  static constexpr size_t kLimit = 256;
  std::mutex m_mutex;
  std::unordered_map<std::string, CacheEntry> m_entries;
};

DocumentCache& Cache() {
  static DocumentCache cache;
  return cache;
}

const std::shared_ptr<const ProfileDocument>& EmptyDocument() {
  static const auto empty = ProfileDocument::Parse({});
  return empty;
}

FileStamp StampOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim}; }

// The default as the Windows functions treat it: trailing spaces removed (one
// character stays), then one pair of outer quotes removed.
std::string PrepareDefault(const char* defaultValue) {
  if (!defaultValue) return {};
  std::string_view text = defaultValue;
  while (text.size() > 1 && text.back() == ' ') text.remove_suffix(1);
  return UnquoteProfileValue(text);
}

ProfileReadResult MakeList(const std::vector<std::string>& names) {
  ProfileReadResult result{{}, true};
  for (const std::string& name : names) {
    result.text += name;
    result.text += '\0';
  }
  result.text += '\0';
  return result;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string Splice(const std::string& raw, size_t begin, size_t end, std::string_view replacement) {
  std::string out;
  out.reserve(raw.size() + replacement.size());
  out.append(raw, 0, begin);
  out.append(replacement);
  out.append(raw, end, std::string::npos);
  return out;
}

// A new "key=value" line at the end of the section: after its last non-blank line.
std::string InsertKey(const ProfileDocument& doc, const ProfileDocument::Section& section,
                      std::string_view keyLine) {
  const auto& lines = doc.Lines();
  size_t last = section.header;
  for (size_t i = section.header + 1; i < section.end; ++i) {
    if (lines[i].kind != LineKind::Blank) last = i;
  }
  const auto& line = lines[last];
  std::string insertion;
  if (line.next == line.end) insertion += doc.LineEnd();  // the last line had no line end
  insertion += keyLine;
  insertion += doc.LineEnd();
  return Splice(doc.Raw(), line.next, line.next, insertion);
}

// A new section at the end of the file, set off by one blank line.
std::string AppendSection(const ProfileDocument& doc, std::string_view header, std::string_view keyLine) {
  std::string out = doc.Raw();
  const std::string& eol = doc.LineEnd();
  const auto& lines = doc.Lines();
  if (!lines.empty()) {
    const auto& last = lines.back();
    if (last.next == last.end) out += eol;
    if (last.kind != LineKind::Blank) out += eol;
  }
  out.append(header).append(eol).append(keyLine).append(eol);
  return out;
}

// The new file content, or nothing when the write would change nothing.
// Sets failed when the write cannot be done.
std::optional<std::string> ApplyWrite(const ProfileDocument& doc, const std::string& section,
                                      const char* key, const char* value, bool& failed) {
  const auto& lines = doc.Lines();
  const ProfileDocument::Section* found = doc.FindSection(section);
  if (!key) {
    if (!found) return std::nullopt;
    const size_t begin = lines[found->header].begin;
    const size_t end = found->end < lines.size() ? lines[found->end].begin : doc.Raw().size();
    return Splice(doc.Raw(), begin, end, {});
  }
  const std::string keyName(TrimBlanks(key));
  const size_t keyIndex = found ? doc.FindKeyLine(*found, keyName) : ProfileDocument::kNoLine;
  if (!value) {
    if (keyIndex == ProfileDocument::kNoLine) return std::nullopt;
    const auto& line = lines[keyIndex];
    return Splice(doc.Raw(), line.begin, line.next, {});
  }

  const auto encodedValue = doc.Encode(value);
  if (!encodedValue) {
    failed = true;
    return std::nullopt;
  }
  if (keyIndex != ProfileDocument::kNoLine) {
    const auto& line = lines[keyIndex];
    if (line.value == value) return std::nullopt;
    const std::string rawKey = doc.Raw().substr(line.nameBegin, line.nameEnd - line.nameBegin);
    return Splice(doc.Raw(), line.begin, line.end, rawKey + "=" + *encodedValue);
  }
  const auto encodedKey = doc.Encode(keyName);
  const auto encodedSection = doc.Encode(section);
  if (!encodedKey || !encodedSection) {
    failed = true;
    return std::nullopt;
  }
  const std::string keyLine = *encodedKey + "=" + *encodedValue;
  if (found) return InsertKey(doc, *found, keyLine);
  return AppendSection(doc, "[" + *encodedSection + "]", keyLine);
}

}  // namespace

std::shared_ptr<const ProfileDocument> ProfileOpen(const std::string& file) {
  auto& cache = Cache();
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    cache.Forget(file);
    return EmptyDocument();
  }
  const FileStamp stamp = StampOf(st);
  if (auto cached = cache.Find(file, stamp)) return cached;
  std::string raw;
  if (ReadRegularFile(file, raw, kMaxProfileSize) != ReadResult::Done) return EmptyDocument();
  auto document = ProfileDocument::Parse(std::move(raw));
  // Stamp the parse with the state before reading; a change meanwhile shows at the next call.
  cache.Store(file, stamp, document);
  return document;
}

ProfileReadResult ProfileRead(const std::string& file, const char* section, const char* key,
                              const char* defaultValue) {
  const auto doc = ProfileOpen(file);
  if (!section) return MakeList(doc->SectionNames());
  const std::string sectionName(TrimBlanks(section));
  if (!key) {
    const auto keys = doc->KeyNames(sectionName);
    if (!keys || keys->empty()) return {PrepareDefault(defaultValue), false};
    return MakeList(*keys);
  }
  if (auto value = doc->Value(sectionName, TrimBlanks(key))) return {std::move(*value), false};
  return {PrepareDefault(defaultValue), false};
}

ProfileBufferResult FitProfileResult(const ProfileReadResult& result, std::size_t size) {
  ProfileBufferResult out;
  if (size == 0) return out;
  if (!result.isList) {
    const size_t copied = std::min(result.text.size(), size - 1);
    out.written = result.text.substr(0, copied);
    out.written += '\0';
    out.returned = static_cast<std::uint32_t>(copied);
    return out;
  }
  const size_t length = result.text.size() - 1;  // names and separators, without the final NUL
  if (size >= length + 2) {
    out.written = result.text;
    out.returned = static_cast<std::uint32_t>(length);
  } else if (size <= 2) {
    out.written.assign(size, '\0');
  } else {
    out.written = result.text.substr(0, size - 2);
    out.written.append(2, '\0');
    out.returned = static_cast<std::uint32_t>(size - 2);
  }
  return out;
}

int ProfileWrite(const std::string& file, const char* section, const char* key, const char* value) {
  if (!section) return (!key && !value) ? 1 : 0;  // all null: flush; our writes are never delayed
  if (!key) return ProfileWriteValues(file, section, {}, true);
  return ProfileWriteValues(file, section, {{key, value ? std::optional<std::string>(value) : std::nullopt}}, false);
}

int ProfileWriteValues(const std::string& file, const std::string& section,
                       const std::vector<std::pair<std::string, std::optional<std::string>>>& values, bool deleteSection) {
  const std::string sectionName(TrimBlanks(section));
  // A "]" would end the header early: "[a]b]" reads back as section "a".
  if (sectionName.empty() || HasLineBreak(sectionName) || sectionName.find(']') != std::string::npos) return 0;
  for (const auto& [key, value] : values) {
    const std::string_view keyName = TrimBlanks(key);
    if (keyName.empty() || HasLineBreak(keyName) || keyName.find('=') != std::string_view::npos ||
        keyName.front() == ';' || keyName.front() == '[') {
      return 0;
    }
    if (value && HasLineBreak(*value)) return 0;
  }
  const bool deletesOnly = std::none_of(values.begin(), values.end(), [](const auto& kv) { return kv.second.has_value(); });

  const auto attributes = GetFileAttributes(file);
  if (attributes && (attributes->directory || attributes->readOnly)) return 0;
  if (!attributes) {
    const auto slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    const auto folderAttributes = GetFileAttributes(folder);
    if (!folderAttributes || !folderAttributes->directory) return 0;
    if (deletesOnly) return 1;  // deleting in a missing file changes nothing
  }

  // The write starts from the file as it is; one that cannot be read whole (a FIFO,
  // a device, an oversized file) is never replaced by what little we know of it.
  std::string raw;
  if (attributes && ReadRegularFile(file, raw, kMaxProfileSize) != ReadResult::Done) return 0;
  const auto original = ProfileDocument::Parse(raw);
  auto doc = original;
  bool changed = false;
  const auto apply = [&](const char* key, const char* value) {
    bool failed = false;
    auto content = ApplyWrite(*doc, sectionName, key, value, failed);
    if (failed) return false;
    if (content) {
      doc = doc->Reparse(std::move(*content));
      changed = true;
    }
    return true;
  };
  if (deleteSection && !apply(nullptr, nullptr)) return 0;
  for (const auto& [key, value] : values) {
    if (!apply(key.c_str(), value ? value->c_str() : nullptr)) return 0;
  }
  if (!changed) return 1;
  // Every change lands in one replacement of the file, or none does.
  const auto bytes = original->FileBytes(doc->Raw());
  if (!bytes) return 0;
  Cache().Forget(file);
  return ReplaceFileAtomically(file, *bytes) ? 1 : 0;
}

std::string ProfileGetString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue) {
  return ProfileRead(file, section.c_str(), key.c_str(), defaultValue.c_str()).text;
}

std::vector<std::string> ProfileKeyNames(const std::string& file, const std::string& section) {
  return ProfileOpen(file)->KeyNames(std::string(TrimBlanks(section))).value_or(std::vector<std::string>{});
}

}  // namespace platform
