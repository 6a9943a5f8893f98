#include "tree/tree_dump.h"

#include <ostream>

#include "tree/stree_view.h"

namespace {

const char* KindName(int kind) {
  static const char* const kNames[] = {"top", "volume", "folder", "artist", "album", "song", "other"};
  return kNames[kind];
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '"' && text[i] != '\\') continue;
    out.append(text, start, i - start).append(1, '\\');
    start = i;
  }
  out.append(text, start, text.size() - start);
  out += '"';
}

// Appends the lines of the node and its descendants to out; when a stream is given,
// hands out over to it whenever a block has gathered, so memory stays small.
void Dump(STreeView& view, const TreeItem& item, int depth, std::string& out, std::ostream* stream) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += KindName(view.GetNodeKind(item));
  out += ' ';
  AppendQuoted(out, item.Label());
  if (const auto data = item.Data()) {
    out += " data=";
    AppendQuoted(out, *data);
  }
  if (const int mark = view.GetMark(item)) {
    out += " mark=";
    out += std::to_string(mark);
  }
  out += '\n';
  constexpr size_t kBlock = 1 << 16;
  if (stream && out.size() >= kBlock) {
    stream->write(out.data(), static_cast<std::streamsize>(out.size()));
    out.clear();
  }
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    Dump(view, child, depth + 1, out, stream);
  }
}

}  // namespace

std::string DumpTree(STreeView& view, const TreeItem& item) {
  std::string out;
  if (!item.IsNull()) Dump(view, item, 0, out, nullptr);
  return out;
}

void WriteTree(std::ostream& stream, STreeView& view, const TreeItem& item) {
  std::string out;
  if (!item.IsNull()) Dump(view, item, 0, out, &stream);
  stream.write(out.data(), static_cast<std::streamsize>(out.size()));
}
