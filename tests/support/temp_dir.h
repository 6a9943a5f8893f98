// A fresh temporary folder for one test, removed with everything in it afterwards
// (read-only entries included).
#pragma once

#include <string>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path, ending in "/".
  const std::string& path() const { return m_path; }
  // path() + relative
  std::string operator/(const std::string& relative) const { return m_path + relative; }

 private:
  std::string m_path;
};

// Writes the bytes to the file, creating missing parent folders.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
void MakeDirs(const std::string& path);
void MakeReadOnly(const std::string& path);

// Sets an environment variable for one scope and puts back what was there before.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* m_name;
  bool m_had;
  std::string m_old;
};

}  // namespace testing_support
