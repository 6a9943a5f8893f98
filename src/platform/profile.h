// Profile (INI) files with the observable behaviour of the Windows private-profile
// functions. Values cross this interface as UTF-8. A null pointer argument has the
// meaning it has for the Windows functions (list section names, list key names,
// delete a key, delete a section, flush).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_document.h"

namespace platform {

// Larger profile files are not read (a catalogue of 100,000 songs takes 5 MB): they
// read as empty and every write to them fails.
inline constexpr std::uint64_t kMaxProfileSize = 64ull << 20;

// The file's current content, parsed; an empty document when the file is missing.
// Parsed once and served from a cache until the file changes on disk.
std::shared_ptr<const ProfileDocument> ProfileOpen(const std::string& file);

// What a read gives a caller with an unlimited buffer. A list holds every name
// followed by a NUL, then one final NUL; a value holds its bytes only.
struct ProfileReadResult {
  std::string text;
  bool isList = false;
};
// section null: the section-name list; key null: the key-name list of the section
// (or the default when it has no key); otherwise the value or the default.
ProfileReadResult ProfileRead(const std::string& file, const char* section, const char* key,
                              const char* defaultValue);

// What a caller with a buffer of the given size in characters receives.
struct ProfileBufferResult {
  std::uint32_t returned = 0;
  std::string written;  // every byte stored in the buffer, NULs included
};
ProfileBufferResult FitProfileResult(const ProfileReadResult& result, std::size_t bufferSize);

// Returns 1 on success and 0 on failure (nothing changed). value null deletes the key,
// key null deletes the section, all three null flushes.
int ProfileWrite(const std::string& file, const char* section, const char* key, const char* value);

// Several keys of one section written (a value) or deleted (nothing) in one change of
// the file, after the section itself is deleted when deleteSection is set: either
// every change is made or none is. The results of ProfileWrite.
int ProfileWriteValues(const std::string& file, const std::string& section,
                       const std::vector<std::pair<std::string, std::optional<std::string>>>& values,
                       bool deleteSection);

// Convenience forms used by the program.
std::string ProfileGetString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue = "");
// Empty when the section is missing or has no keys.
std::vector<std::string> ProfileKeyNames(const std::string& file, const std::string& section);

}  // namespace platform
