// The tree as text, depth first, one node per line: two blanks per level, the kind,
// the quoted label, then data="..." and mark=N where there are any. melodeck-tool
// prints this; tests compare whole trees with it.
#pragma once

#include <iosfwd>
#include <string>

class STreeView;
class TreeItem;

std::string DumpTree(STreeView& view, const TreeItem& item);
// The same text written to the stream as it is made.
void WriteTree(std::ostream& stream, STreeView& view, const TreeItem& item);
