// Folders nested thousands deep, made and removed through descriptors: their paths
// outgrow what one system call takes.
#pragma once

#include <string>

namespace testing_support {

// depth folders named "d", one inside the other, below parent, and the file
// "deep.mp3" holding bytes in the deepest; with besides, beside each "d" a folder "e"
// holding "x.mp3" with those bytes too.
void MakeNestedFolders(const std::string& parent, int depth, const std::string& bytes, bool besides = false);
// Removes what MakeNestedFolders made below parent.
void RemoveNestedFolders(const std::string& parent);

}  // namespace testing_support
