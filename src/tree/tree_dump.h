// The tree as text, depth first, one node per line: two blanks per level, the kind,
// the quoted label, then data="..." and mark=N where there are any. melodeck-tool
// prints this; tests compare whole trees with it.
#pragma once

#include <string>

class STreeView;
class TreeItem;

std::string DumpTree(STreeView& view, const TreeItem& item);
