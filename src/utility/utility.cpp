#include "utility/utility.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <cctype>
#include <chrono>

#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/ui_hooks.h"

namespace {

char g_shared[260];
HINSTANCE g_application = nullptr;

char* SetShared(std::string_view text) {
  const size_t length = std::min(text.size(), sizeof g_shared - 1);
  if (length) std::memcpy(g_shared, text.data(), length);
  g_shared[length] = '\0';
  return g_shared;
}

const std::string* FindString(unsigned int id, HINSTANCE module) {
  const GResourceModule* source = module ? module : g_application;
  if (!source) return nullptr;
  const auto it = source->strings.find(id);
  return it == source->strings.end() ? nullptr : &it->second;
}

std::string ToRadix(int value, unsigned radix) {
  if (radix < 2 || radix > 36) radix = 10;
  if (radix == 10) return std::to_string(value);
  auto bits = static_cast<unsigned int>(value);
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[bits % radix]);
    bits /= radix;
  } while (bits != 0);
  return digits;
}

bool IsSpecialName(const std::string& name) { return name == "." || name.starts_with(".."); }

std::string Join(const char* folder, const std::string& name) {
  GString path(folder ? folder : "");
  path.AddBackslash();
  return path + name;
}

}  // namespace

void SetApplicationResources(HINSTANCE module) { g_application = module; }

const char* fetchString(unsigned int id, HINSTANCE module) {
  const std::string* text = FindString(id, module);
  return SetShared(text ? std::string_view(*text).substr(0, 254) : std::string_view());
}

int fetchString(unsigned int id, char* buffer, unsigned int capacity) {
  if (!buffer || capacity == 0) return 0;
  const std::string* text = FindString(id, nullptr);
  const size_t length = text ? std::min<size_t>(text->size(), capacity - 1) : 0;
  if (length) std::memcpy(buffer, text->data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

int WritePrivateProfileInt(const char* section, const char* key, int value, const char* file, unsigned char radix) {
  SetShared(ToRadix(value, radix));
  return platform::ProfileWrite(file ? file : "", section, key, g_shared);
}

int WritePrivateProfileChar(const char* section, const char* key, char c, const char* file) {
  g_shared[0] = c;
  g_shared[1] = '\0';
  return platform::ProfileWrite(file ? file : "", section, key, g_shared);
}

void GDoEvent() { platform::Ui().PumpOne(); }

HICON GChangeIcon(CStatic* control, const char* iconName) {
  if (!control) return nullptr;
  if (HICON old = control->GetIcon()) platform::Ui().DestroyIcon(old);
  HICON icon = platform::Ui().LoadIcon(iconName ? iconName : "");
  control->SetIcon(icon);
  return icon;
}

void IdleDelay(int milliseconds, int pump) {
  auto& ui = platform::Ui();
  const std::uint64_t end = ui.TickCount() + static_cast<std::uint64_t>(std::max(milliseconds, 0));
  while (ui.TickCount() < end) {
    if (!(pump && ui.PumpOne())) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

int GMessageBoxList(HWND /*owner*/, unsigned int type, const char* caption, const char* format,
                    std::span<const text::FormatArg> args) {
  return platform::Ui().MessageBox(text::FormatText(format ? format : "", args), caption ? caption : "", type);
}

int DeleteFiles(const char* folder, const char* pattern, std::string attributes, int recurse) {
  for (char& c : attributes) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const bool mayReadOnly = attributes.find('R') != std::string::npos;
  const bool mayHidden = attributes.find('H') != std::string::npos;
  const auto allowed = [&](const platform::DirEntry& entry) {
    return (!entry.readOnly || mayReadOnly) && (!entry.hidden || mayHidden);
  };
  const auto entries = platform::ListDirectory(Join(folder, ""));
  if (!entries) return 1;  // nothing there to delete

  int result = 1;
  for (const auto& entry : *entries) {
    if (entry.directory || IsSpecialName(entry.name) || !platform::MatchesPattern(entry.name, pattern ? pattern : "")) continue;
    if (!allowed(entry)) continue;
    const std::string path = Join(folder, entry.name);
    platform::SetNormalAttributes(path);
    if (!platform::DeleteFile(path)) result = 0;
  }
  if (!recurse) return result;
  for (const auto& entry : *entries) {
    // A link to a folder leads elsewhere: neither followed nor removed.
    if (!entry.directory || entry.link || IsSpecialName(entry.name)) continue;
    const std::string path = Join(folder, entry.name);
    if (!DeleteFiles(path.c_str(), pattern, attributes, recurse)) {
      result = 0;
      continue;
    }
    if (!allowed(entry)) continue;
    platform::SetNormalAttributes(path);
    errno = 0;
    if (!platform::RemoveDirectory(path)) {
      const int error = errno;
      result = 0;
      platform::Ui().MessageBox(error ? std::strerror(error) : "Unable to remove the folder", path,
                                platform::MB_OK | platform::MB_ICONSTOP);
    }
  }
  return result;
}

char* CreateUniqueFilename(const char* folder, const char* prefix, const char* extension) {
  const std::string dir = Join(folder, "");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = platform::CreateTempFile(dir, prefix ? prefix : "");
    if (temp.empty()) break;
    ::unlink(temp.c_str());
    const std::string name = temp.substr(0, temp.rfind('.')) + (extension ? extension : "");
    // The name with the new extension must be free too.
    if (!platform::PathExists(name)) return SetShared(name.size() < sizeof g_shared ? name : std::string());
  }
  return SetShared({});
}

int ReadLine(void* file, char* buffer, unsigned long capacity, unsigned long* count, unsigned char terminator) {
  if (!file || file == INVALID_HANDLE_VALUE || !buffer || capacity == 0) return 0;
  auto* stream = static_cast<std::FILE*>(file);
  unsigned long stored = 0;
  if (count) *count = 0;
  for (;;) {
    const int c = std::fgetc(stream);
    if (c == EOF || c == terminator) {
      if (c != EOF && stored > 0 && buffer[stored - 1] == '\r') --stored;
      buffer[stored] = '\0';
      if (count) *count = stored;
      return 1;
    }
    if (stored + 1 >= capacity) {  // no room for this byte and the NUL; leave it unread
      std::ungetc(c, stream);
      return 0;
    }
    buffer[stored++] = static_cast<char>(c);
  }
}

int FileExist(const char* path, const char* pattern) {
  if (!path) return 0;
  if (!pattern || !*pattern) return platform::PathExists(path) ? 1 : 0;
  const auto entries = platform::ListDirectory(Join(path, ""), platform::ListDetail::NamesAndKinds);
  if (!entries) return 0;
  for (const auto& entry : *entries) {
    if (!IsSpecialName(entry.name) && platform::MatchesPattern(entry.name, pattern)) return 1;
  }
  return 0;
}
