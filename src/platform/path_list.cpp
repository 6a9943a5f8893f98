#include "platform/path_list.h"

#include <algorithm>
#include <cstdlib>

#include "platform/filesystem.h"
#include "platform/text.h"

namespace platform {

std::string NormalisedFolder(std::string_view typed) {
  std::string path(platform::TrimBlanks(typed));
  if (path.empty()) return {};
  if (path == "~" || path.starts_with("~/")) {
    if (const char* home = std::getenv("HOME")) path = std::string(home) + path.substr(1);
  }
  if (!path.starts_with('/')) path = platform::CurrentDirectory() + path;
  std::string folder = "/";
  size_t pos = 0;
  while (pos < path.size()) {
    const size_t slash = std::min(path.find('/', pos), path.size());
    const std::string_view step = std::string_view(path).substr(pos, slash - pos);
    if (!step.empty() && step != ".") folder.append(step).append("/");
    pos = slash + 1;
  }
  return folder;
}

std::string NoTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::vector<std::string> ListedFolders(std::string_view pathList) {
  std::vector<std::string> all;
  size_t pos = 0;
  while (pos <= pathList.size()) {
    const size_t end = std::min(pathList.find(';', pos), pathList.size());
    if (std::string folder = NormalisedFolder(pathList.substr(pos, end - pos)); !folder.empty()) {
      all.push_back(std::move(folder));
    }
    pos = end + 1;
  }
  return all;
}

std::vector<std::string> LibraryFolders(std::string_view pathList) {
  const std::vector<std::string> all = ListedFolders(pathList);
  std::vector<std::string> folders;
  for (size_t i = 0; i < all.size(); ++i) {
    // Left out when another folder holds it; of two equal ones the first stays.
    const bool held = std::any_of(all.begin(), all.end(), [&](const std::string& other) {
      return &other != &all[i] && all[i].starts_with(other) && (other != all[i] || &other < &all[i]);
    });
    if (!held) folders.push_back(all[i]);
  }
  return folders;
}

bool SamePathList(std::string_view a, std::string_view b) {
  const std::vector<std::string> first = ListedFolders(a), second = ListedFolders(b);
  return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                    [](const std::string& x, const std::string& y) { return EqualsNoCase(x, y); });
}

std::string WithFolder(std::string_view pathList, std::string_view folder) {
  const std::vector<std::string> listed = ListedFolders(pathList);
  std::string list(TrimBlanks(pathList));
  if (std::find(listed.begin(), listed.end(), NormalisedFolder(folder)) != listed.end()) return list;
  if (!list.empty() && !list.ends_with(';')) list += ';';
  return list + std::string(folder);
}

std::string ParentFolder(const std::string& folder) {
  const size_t slash = folder.size() < 2 ? std::string::npos : folder.rfind('/', folder.size() - 2);
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool ScanOrderLess(std::string_view a, std::string_view b) {
  while (!a.empty() && !b.empty()) {
    const std::string_view stepA = a.substr(0, a.find('/')), stepB = b.substr(0, b.find('/'));
    if (const int order = platform::CompareNames(stepA, stepB); order != 0) return order < 0;
    a.remove_prefix(std::min(a.size(), stepA.size() + 1));
    b.remove_prefix(std::min(b.size(), stepB.size() + 1));
  }
  return a.empty() && !b.empty();
}

namespace {

// The index of the first library folder that holds the path or lies inside it.
size_t LibraryRank(const std::vector<std::string>& libraryFolders, std::string_view path) {
  for (size_t i = 0; i < libraryFolders.size(); ++i) {
    if (path.starts_with(libraryFolders[i]) || std::string_view(libraryFolders[i]).starts_with(path)) return i;
  }
  return libraryFolders.size();
}

}  // namespace

bool LibraryScanOrderLess(const std::vector<std::string>& libraryFolders, std::string_view a, std::string_view b) {
  const size_t rankA = LibraryRank(libraryFolders, a), rankB = LibraryRank(libraryFolders, b);
  return rankA != rankB ? rankA < rankB : ScanOrderLess(a, b);
}

bool InLibrary(const std::vector<std::string>& libraryFolders, std::string_view folder) {
  return std::any_of(libraryFolders.begin(), libraryFolders.end(),
                     [&](const std::string& root) { return folder.starts_with(root); });
}

}  // namespace platform
