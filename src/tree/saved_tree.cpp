#include "tree/saved_tree.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/halves.h"
#include "platform/xdg.h"
#include "tree/stree_view.h"

namespace tree {
namespace {

// The first bytes of a saved tree and the version of what follows; a file of another
// version is read as none.
constexpr std::string_view kMagic = "melodeck saved tree\n";
constexpr std::uint64_t kVersion = 3;
// Far more than a library of a million songs needs; a larger file is none of ours.
constexpr std::uint64_t kMaxFileSize = 4ull << 30;

std::uint64_t Checksum(std::string_view bytes) {  // FNV-1a, 64 bits
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  return hash;
}

class Writer {
 public:
  void Byte(std::uint8_t value) { out += static_cast<char>(value); }
  void Number(std::uint64_t value) {  // seven bits a byte, the lowest first
    for (; value >= 0x80; value >>= 7) Byte(static_cast<std::uint8_t>(value | 0x80));
    Byte(static_cast<std::uint8_t>(value));
  }
  void Signed(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    Number((bits << 1) ^ (value < 0 ? ~std::uint64_t{0} : 0));
  }
  void Text(std::string_view text) {
    Number(text.size());
    out += text;
  }
  void Stamp(const std::optional<platform::ChangeStamp>& stamp) {
    Byte(stamp ? 1 : 0);
    if (!stamp) return;
    Signed(stamp->modifiedNs);
    Signed(stamp->changedNs);
    Number(stamp->inode);
    Number(stamp->size);
  }
  std::string out;
};

// Reads what Writer wrote, and only that: every read fails at the end of the bytes, on a
// number written in more bytes than the writer takes or past 64 bits, and on a text
// holding a NUL byte.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_rest(bytes) {}
  bool Byte(std::uint8_t& value) {
    if (m_rest.empty()) return false;
    value = static_cast<std::uint8_t>(m_rest.front());
    m_rest.remove_prefix(1);
    return true;
  }
  bool Number(std::uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      std::uint8_t byte = 0;
      if (!Byte(byte)) return false;
      if (shift == 63 && byte > 1) return false;
      value |= std::uint64_t{byte & 0x7Fu} << shift;
      if (byte < 0x80) return byte != 0 || shift == 0;
    }
    return false;
  }
  bool Signed(std::int64_t& value) {
    std::uint64_t bits = 0;
    if (!Number(bits)) return false;
    value = static_cast<std::int64_t>((bits >> 1) ^ (~(bits & 1) + 1));
    return true;
  }
  // No name or path holds a NUL byte.
  bool Text(std::string_view& text) {
    std::uint64_t size = 0;
    if (!Number(size) || size > m_rest.size()) return false;
    text = m_rest.substr(0, size);
    m_rest.remove_prefix(size);
    return text.find('\0') == std::string_view::npos;
  }
  bool Stamp(std::optional<platform::ChangeStamp>& stamp) {
    std::uint8_t present = 0;
    if (!Byte(present) || present > 1) return false;
    if (present == 0) {
      stamp.reset();
      return true;
    }
    stamp.emplace();
    return Signed(stamp->modifiedNs) && Signed(stamp->changedNs) && Number(stamp->inode) && Number(stamp->size);
  }
  std::size_t Left() const { return m_rest.size(); }

 private:
  std::string_view m_rest;
};

// Flags of a node beside its kind and mark.
constexpr std::uint8_t kExpanded = 1, kHasData = 2, kHasTitle = 4, kSelected = 8;

void WriteNodes(Writer& writer, const TreeItem& top) {
  const TreeModel& model = *top.m_pTree;
  std::vector<Handle> pending;
  for (Handle child = model.GetChild(top.m_hItem); child != kNullHandle; child = model.GetNextSibling(child)) {
    pending.push_back(child);
  }
  writer.Number(pending.size());
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {  // depth first, each node followed by its children
    const Handle node = pending.back();
    pending.pop_back();
    const NodeFacts& facts = model.Facts(node);
    const auto data = model.GetData(node);
    writer.Byte(static_cast<std::uint8_t>(model.GetKind(node)));
    writer.Byte(static_cast<std::uint8_t>(model.GetMark(node)));
    writer.Byte(static_cast<std::uint8_t>((model.State().IsExpanded(node) ? kExpanded : 0) | (data ? kHasData : 0) |
                                          (facts.hasTitle ? kHasTitle : 0) |
                                          (model.State().GetSelection() == node ? kSelected : 0)));
    writer.Byte(static_cast<std::uint8_t>(facts.drive));
    writer.Text(model.GetLabel(node));
    if (data) writer.Text(*data);
    if (IsSong(model.GetKind(node))) writer.Signed(facts.size);
    const std::size_t before = pending.size();
    for (Handle child = model.GetChild(node); child != kNullHandle; child = model.GetNextSibling(child)) {
      pending.push_back(child);
    }
    writer.Number(pending.size() - before);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(before), pending.end());
  }
}

bool ReadNodes(Reader& reader, SavedTree& tree) {
  struct Open {
    Handle node;
    std::uint64_t childrenLeft;
  };
  std::vector<Open> open(1, {tree.top.m_hItem, 0});
  if (!reader.Number(open.back().childrenLeft)) return false;
  std::vector<Handle> expanded;
  Handle selected = kNullHandle;
  while (!open.empty()) {
    if (open.back().childrenLeft == 0) {
      open.pop_back();
      continue;
    }
    --open.back().childrenLeft;
    std::uint8_t kind = 0, mark = 0, flags = 0, drive = 0;
    std::string_view label, data;
    std::int64_t size = -1;
    // Only a node with children is open, and one node at most is selected.
    if (!reader.Byte(kind) || kind > static_cast<std::uint8_t>(NodeKind::LooseSong) || !reader.Byte(mark) ||
        mark > static_cast<std::uint8_t>(Mark::Missing) || !reader.Byte(flags) ||
        flags > (kExpanded | kHasData | kHasTitle | kSelected) || ((flags & kSelected) && selected != kNullHandle) ||
        !reader.Byte(drive) ||
        drive > static_cast<std::uint8_t>(platform::DriveType::CdRom) || !reader.Text(label) ||
        ((flags & kHasData) && !reader.Text(data)) ||
        (IsSong(static_cast<NodeKind>(kind)) && (!reader.Signed(size) || size < -1))) {
      return false;
    }
    const Handle node = tree.model.InsertItem(open.back().node, label, static_cast<NodeKind>(kind),
                                              static_cast<platform::DriveType>(drive));
    if (flags & kHasData) tree.model.SetData(node, data);
    tree.model.SetMark(node, static_cast<Mark>(mark));
    tree.model.Facts(node).hasTitle = (flags & kHasTitle) != 0;
    if (IsSong(static_cast<NodeKind>(kind))) {
      tree.model.Facts(node).size = size;
      tree.librarySize = size < 0 || tree.librarySize < 0 ? -1 : tree.librarySize + size;
    }
    if (flags & kExpanded) expanded.push_back(node);
    if (flags & kSelected) selected = node;
    open.push_back({node, 0});
    if (!reader.Number(open.back().childrenLeft) || ((flags & kExpanded) && open.back().childrenLeft == 0)) {
      return false;
    }
  }
  for (const Handle node : expanded) tree.model.State().Expand(node, ExpandAction::Expand);
  if (selected != kNullHandle) tree.model.State().SelectItem(selected);
  return true;
}

}  // namespace

std::string SavedTreeKey::Text() const {
  std::string text = "path list " + pathList;
  text += displayMode == DisplayMode::FileNames ? "\nfile names" : "\nsong titles";
  text += "\nsettings " + settingsFile;
  text += readCatalogues ? "\nReadAlbumIni 1" : "\nReadAlbumIni 0";
  return text;
}

SavedTree::SavedTree() : top(TreeItem(kNullHandle, &model).AddChild("", NodeKind::Top)) {}

std::string SavedTreeFile(const SavedTreeKey& key) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name = "tree-";
  for (std::uint64_t hash = Checksum(key.Text()), i = 0; i < 16; ++i, hash >>= 4) name += kHex[hash & 15];
  return platform::CacheFolder() + name;
}

bool SaveTree(const std::string& file, const SavedTreeKey& key, const TreeItem& top, DisplayMode labelledIn,
              const std::vector<FolderStamp>& folders) {
  Writer writer;
  writer.out = kMagic;
  writer.Number(kVersion);
  writer.Text(key.Text());
  writer.Byte(labelledIn == DisplayMode::FileNames ? 1 : 0);
  writer.Number(folders.size());
  for (const FolderStamp& folder : folders) {
    writer.Text(folder.folder);
    writer.Signed(folder.readAtNs);
    writer.Stamp(folder.stamp);
    writer.Text(folder.catalogue);
    writer.Stamp(folder.catalogueStamp);
    writer.Byte(folder.throughLink ? 1 : 0);
  }
  writer.Byte(top.m_pTree->State().IsExpanded(top.m_hItem) ? kExpanded : 0);
  WriteNodes(writer, top);
  const std::uint64_t checksum = Checksum(writer.out);
  for (int i = 0; i < 8; ++i) writer.Byte(static_cast<std::uint8_t>(checksum >> (8 * i)));
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
  return platform::ReplaceFileAtomically(file, writer.out, platform::AtLink::ReplaceLink);
}

std::unique_ptr<SavedTree> LoadTree(const std::string& file, const SavedTreeKey& key) {
  std::string bytes;
  if (platform::ReadRegularFile(file, bytes, kMaxFileSize) != platform::ReadResult::Done) return nullptr;
  if (bytes.size() < kMagic.size() + 8 || !bytes.starts_with(kMagic)) return nullptr;
  const std::string_view body = std::string_view(bytes).substr(0, bytes.size() - 8);
  std::uint64_t stored = 0;
  for (int i = 7; i >= 0; --i) stored = (stored << 8) | static_cast<unsigned char>(bytes[body.size() + static_cast<std::size_t>(i)]);
  if (stored != Checksum(body)) return nullptr;

  Reader reader(body.substr(kMagic.size()));
  std::uint64_t version = 0, folderCount = 0;
  std::string_view keyText;
  std::uint8_t fileNames = 0;
  auto tree = std::make_unique<SavedTree>();
  if (!reader.Number(version) || version != kVersion || !reader.Text(keyText) || keyText != key.Text() ||
      !reader.Byte(fileNames) || fileNames > 1 || !reader.Number(folderCount) ||
      folderCount > reader.Left()) {
    return nullptr;
  }
  tree->labelledIn = fileNames ? DisplayMode::FileNames : DisplayMode::SongTitles;
  tree->folders.reserve(folderCount);
  for (std::uint64_t i = 0; i < folderCount; ++i) {
    FolderStamp& folder = tree->folders.emplace_back();
    std::string_view path, catalogueName;
    std::uint8_t throughLink = 0;
    if (!reader.Text(path) || !reader.Signed(folder.readAtNs) || !reader.Stamp(folder.stamp) || !reader.Text(catalogueName) ||
        !reader.Stamp(folder.catalogueStamp) || !reader.Byte(throughLink) || throughLink > 1) {
      return nullptr;
    }
    folder.throughLink = throughLink == 1;
    folder.folder = path;
    folder.catalogue = catalogueName;
  }
  std::uint8_t topFlags = 0;
  if (!reader.Byte(topFlags) || topFlags > kExpanded || !ReadNodes(reader, *tree) || reader.Left() != 0 ||
      (topFlags == kExpanded && !tree->top.HasChildren())) {
    return nullptr;
  }
  if (topFlags == kExpanded) ExpandItem(tree->top, true);
  return tree;
}

std::vector<std::string> ChangedFolders(const std::vector<FolderStamp>& folders, const std::atomic<bool>* stop,
                                        std::int64_t settleNs) {
  const std::int64_t now = platform::WallClockNs();
  std::vector<char> differs(folders.size(), 0);
  platform::InHalves(folders.size(), [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      if (stop && stop->load(std::memory_order_relaxed)) return;
      const FolderStamp& folder = folders[i];
      const auto trusted = [&](const platform::ChangeStamp& stamp) {
        return stamp.modifiedNs > 0 && stamp.changedNs > 0 && stamp.changedNs <= folder.readAtNs - settleNs &&
               stamp.modifiedNs <= now;
      };
      const auto stamp = platform::StampOf(folder.folder);
      bool same = stamp == folder.stamp && (!stamp || trusted(*stamp));
      if (same && !folder.catalogue.empty()) {
        const auto catalogueStamp = platform::StampOf(folder.folder + folder.catalogue);
        same = catalogueStamp == folder.catalogueStamp && (!catalogueStamp || trusted(*catalogueStamp));
      }
      differs[i] = same ? 0 : 1;
    }
  });
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (differs[i]) changed.push_back(folders[i].folder);
  }
  return changed;
}

SavedTreeKey KeyOf(const STreeView& view, const std::string& pathList) {
  std::error_code error;
  const std::filesystem::path settings = std::filesystem::absolute(view.Settings().file, error);
  return {pathList, view.ChosenDisplayMode(), error ? view.Settings().file : settings.string(),
          catalogue::ReadScanAlbumIni(view.Settings().file)};
}

TreeSource RefreshFromSavedTree(STreeView& view, const std::string& pathList) {
  const SavedTreeKey key = KeyOf(view, pathList);
  const std::string file = SavedTreeFile(key);
  TreeSource source = TreeSource::Scanned;
  if (const auto saved = LoadTree(file, key)) {
    view.AdoptSavedTree(*saved, pathList);
    const std::vector<std::string> changed = ChangedFolders(view.FolderStamps());
    if (changed.empty()) return TreeSource::Saved;
    if (view.ReadFoldersAgain(changed)) source = TreeSource::SavedAndReadAgain;
  }
  if (source == TreeSource::Scanned) view.Refresh(pathList);
  // A cache that cannot be written costs only the next start its head start.
  SaveTree(file, key, view.Top(), view.DisplayMode(), view.FolderStamps());
  return source;
}

}  // namespace tree
