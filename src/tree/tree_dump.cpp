#include "tree/tree_dump.h"

#include "tree/stree_view.h"

namespace {

const char* KindName(int kind) {
  static const char* const kNames[] = {"top", "volume", "folder", "artist", "album", "song", "other"};
  return kNames[kind];
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

void Dump(STreeView& view, const TreeItem& item, int depth, std::string& out) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += KindName(view.GetNodeKind(item));
  out += ' ' + Quoted(item.Label());
  if (const auto data = item.Data()) out += " data=" + Quoted(*data);
  if (const int mark = view.GetMark(item)) out += " mark=" + std::to_string(mark);
  out += '\n';
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    Dump(view, child, depth + 1, out);
  }
}

}  // namespace

std::string DumpTree(STreeView& view, const TreeItem& item) {
  std::string out;
  if (!item.IsNull()) Dump(view, item, 0, out);
  return out;
}
