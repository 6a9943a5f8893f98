#include "tree/tree_dump.h"

#include <ostream>

#include "tree/stree_view.h"

namespace {

const char* KindName(tree::NodeKind kind) {
  switch (kind) {
    case tree::NodeKind::Top: return "top";
    case tree::NodeKind::Volume: return "volume";
    case tree::NodeKind::Folder: return "folder";
    case tree::NodeKind::Artist: return "artist";
    case tree::NodeKind::Album:
    case tree::NodeKind::DuplicateAlbum: return "album";
    case tree::NodeKind::AlbumSong:
    case tree::NodeKind::LooseSong: return "song";
  }
  return "?";  // not reached: every kind is named above
}

// In double quotes, with '"' and '\\' behind a backslash and line ends as "\\n" and
// "\\r", so every node stays one line.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
  }
  out += '"';
}

void DumpNode(STreeView& view, const TreeItem& item, size_t depth, std::string& out) {
  out.append(depth * 2, ' ');
  out += KindName(tree::KindOf(item));
  out += ' ';
  AppendQuoted(out, item.Label());
  if (const auto data = item.Data()) {
    out += " data=";
    AppendQuoted(out, *data);
  }
  if (const tree::Mark mark = view.Tree()->GetMark(item.m_hItem); mark != tree::Mark::None) {
    out += " mark=";
    out += std::to_string(static_cast<int>(mark));
  }
  out += '\n';
}

// Appends the lines of the node and its descendants to out, depth first without
// recursion (folders nest thousands deep); when a stream is given, hands out over to
// it whenever a block has gathered, so memory stays small.
void Dump(STreeView& view, const TreeItem& top, std::string& out, std::ostream* stream) {
  constexpr size_t kBlock = 1 << 16;
  TreeItem item = top;
  size_t depth = 0;
  for (;;) {
    DumpNode(view, item, depth, out);
    if (stream && out.size() >= kBlock) {
      stream->write(out.data(), static_cast<std::streamsize>(out.size()));
      out.clear();
    }
    if (const TreeItem child = item.FirstChild(); !child.IsNull()) {
      item = child;
      ++depth;
      continue;
    }
    // Up to the nearest ancestor with a next sibling.
    while (depth > 0 && item.NextSibling().IsNull()) {
      item = item.Parent();
      --depth;
    }
    if (depth == 0) return;
    item = item.NextSibling();
  }
}

}  // namespace

std::string DumpTree(STreeView& view, const TreeItem& item) {
  std::string out;
  if (!item.IsNull()) Dump(view, item, out, nullptr);
  return out;
}

void WriteTree(std::ostream& stream, STreeView& view, const TreeItem& item) {
  std::string out;
  if (!item.IsNull()) Dump(view, item, out, &stream);
  stream.write(out.data(), static_cast<std::streamsize>(out.size()));
}
