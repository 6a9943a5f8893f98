// The general-purpose functions the executable exports to other programs, with fixed
// parameter types. Windows handle types are stood in for by the types below.
#pragma once

#include <map>
#include <string>

#include "text/gstring.h"

#define MELODECK_EXPORT __attribute__((visibility("default")))

// A module's string resources; a null module means the application's own.
struct GResourceModule {
  std::map<unsigned int, std::string> strings;
};
using HINSTANCE = const GResourceModule*;
using HWND = void*;
using HICON = void*;
using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(-1);

// A control that shows one icon.
class CStatic {
 public:
  virtual ~CStatic() = default;
  virtual HICON GetIcon() const = 0;
  virtual HICON SetIcon(HICON icon) = 0;  // returns the previous icon
};

// The application's string resources (the string table), for fetchString.
MELODECK_EXPORT void SetApplicationResources(HINSTANCE module);

// The string resource id, in a buffer shared with WritePrivateProfileInt,
// WritePrivateProfileChar and CreateUniqueFilename (valid until the next call of any
// of them); at most 254 characters. "" when there is no such string.
MELODECK_EXPORT const char* fetchString(unsigned int id, HINSTANCE module);
// The string resource id of the application into the caller's buffer; the count copied.
MELODECK_EXPORT int fetchString(unsigned int id, char* buffer, unsigned int capacity);

// Writes the value as text in the radix (10: signed decimal; others: unsigned digits).
MELODECK_EXPORT int WritePrivateProfileInt(const char* section, const char* key, int value, const char* file,
                                           unsigned char radix);
MELODECK_EXPORT int WritePrivateProfileChar(const char* section, const char* key, char c, const char* file);

// Handles at most one pending message.
MELODECK_EXPORT void GDoEvent();
// Replaces the control's icon with the named one and frees the old icon.
MELODECK_EXPORT HICON GChangeIcon(CStatic* control, const char* iconName);
// Waits the milliseconds, handling pending messages one a turn when pump is non-zero.
MELODECK_EXPORT void IdleDelay(int milliseconds, int pump);

// A message box with a printf-formatted text; the button chosen.
MELODECK_EXPORT int GMessageBoxList(HWND owner, unsigned int type, const char* caption, const char* format,
                                    std::span<const text::FormatArg> args);
template <typename... Args>
int GMessageBox(HWND owner, unsigned int type, const char* caption, const char* format, const Args&... args) {
  const text::FormatArg list[] = {text::FormatArg(args)..., text::FormatArg(0)};
  return GMessageBoxList(owner, type, caption, format, std::span<const text::FormatArg>(list, sizeof...(Args)));
}

// Deletes the files in folder that match the pattern, and with recurse the matching
// files of every subfolder and the subfolders that end up allowed to go. Read-only,
// hidden and system entries are kept unless attributes holds "R", "H" or "S".
// 1 when everything attempted succeeded; the folder itself always stays.
MELODECK_EXPORT int DeleteFiles(const char* folder, const char* pattern, std::string attributes, int recurse);

// A file name in folder that does not exist yet: prefix, hex digits and extension
// (appended as given). In the shared buffer; "" on failure.
MELODECK_EXPORT char* CreateUniqueFilename(const char* folder, const char* prefix, const char* extension);

// Reads one line of the file (a std::FILE*) up to the terminator byte, which is stored
// as a NUL, a CR before it too. count gets the length of the line. 1 when the line and
// its NUL fit in capacity (also at the end of the file), 0 otherwise.
MELODECK_EXPORT int ReadLine(void* file, char* buffer, unsigned long capacity, unsigned long* count,
                             unsigned char terminator);

// With no pattern: whether path exists. Otherwise whether the folder path holds an
// entry matching the pattern (files and folders, hidden ones too).
MELODECK_EXPORT int FileExist(const char* path, const char* pattern);
