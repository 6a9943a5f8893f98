// The library folders a ";"-separated path list names, read one way everywhere: the
// scan, the rename guard, what an edit may show, and the window's path box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One path of the list as a folder path: blanks and tabs trimmed, "~" the home folder,
// a relative path taken from the current folder, "." steps and runs of "/" dropped,
// ending in "/". Empty for a blank path.
std::string NormalisedFolder(std::string_view path);

// Every folder of the list, normalised, in order.
std::vector<std::string> ListedFolders(std::string_view pathList);

// Whether two path lists name the same folders in the same order, read as above and
// letter case aside (as the path history has always matched its entries): the history
// keeps one entry for both.
bool SamePathList(std::string_view a, std::string_view b);

// The list with the folder added at its end, unless the list names it already.
std::string WithFolder(std::string_view pathList, std::string_view folder);

// The path without the "/" at its end ("/" stays).
std::string NoTrailingSlash(std::string path);
// The folder (ending in "/") a folder path ending in "/" lies in; empty for "/".
std::string ParentFolder(const std::string& folder);

// The folders of the list, normalised, in order; a folder named twice, or lying inside
// another folder of the list, is left out (the other one's scan holds it).
std::vector<std::string> LibraryFolders(std::string_view pathList);

// Whether a scan reads folder a before folder b: depth first, each folder's entries in
// listing order (CompareNames), a folder before the folders inside it.
bool ScanOrderLess(std::string_view a, std::string_view b);

// Whether a scan of the library folders meets path a (a folder ending in "/", or a
// file) before path b: the library folder it lies in or leads to first, in the list's
// order (paths outside them last), then ScanOrderLess.
bool LibraryScanOrderLess(const std::vector<std::string>& libraryFolders, std::string_view a, std::string_view b);

// Whether the folder (ending in "/") is one of the library folders or lies inside one.
bool InLibrary(const std::vector<std::string>& libraryFolders, std::string_view folder);

}  // namespace platform
