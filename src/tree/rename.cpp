// Renaming by editing a node's label: volume labels, folders, artists, albums, song
// files and album songs. Names that would act on another file than the one shown are
// refused with a message.
#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "platform/volumes.h"
#include "tree/prop_data.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

using platform::ShowError;

bool ReadOnly(const std::string& path) {
  const auto attributes = platform::GetFileAttributes(path);
  return !attributes || attributes->readOnly;
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

// Why a typed file or folder name cannot be used; "" when it can.
std::string FileNameProblem(const std::string& name) {
  if (name.find('/') != std::string::npos || HasLineBreakOrNul(name)) {
    return "A name can't hold \"/\", a line break or a NUL character.";
  }
  if (name.find_first_not_of('.') == std::string::npos) return "A name can't be only dots.";
  return {};
}

bool RefuseName(const std::string& name, const std::string& problem) {
  if (problem.empty()) return false;
  ShowError("Can't rename to \"" + name + "\"!\n\n" + problem);
  return true;
}

// The text up to the first of the delimiter.
std::string Cut(const std::string& text, char delimiter) {
  std::string cut(platform::TrimBlanks(text.substr(0, text.find(delimiter))));
  return cut;
}

}  // namespace

bool STreeView::OnBeginLabelEdit(const TreeItem& item, std::string& editText) {
  editText = std::string(item.Label());
  const int kind = GetNodeKind(item);
  std::string tested;
  bool allow = true;
  switch (kind) {
    case kTopNode:
      return false;
    case kVolumeNode:
      // The edit box starts with the bare label, without the mount point.
      editText = platform::Volumes().VolumeOf(std::string(item.Data().value_or("/"))).label;
      break;
    case kFolderNode:
      break;
    case kArtistNode: {
      // The first album with a catalogue of its own (a duplicate album has none).
      TreeItem album = item.FirstChild();
      while (!album.IsNull() && album.Data().value_or("").empty()) album = album.NextSibling();
      tested = catalogue::CatalogueFile(std::string(album.Data().value_or("")));
      allow = !album.IsNull() && !ReadOnly(tested);
      break;
    }
    case kAlbumNode:
      tested = catalogue::CatalogueFile(std::string(item.Data().value_or("")));
      allow = !item.Data().value_or("").empty() && !ReadOnly(tested);
      break;
    case kSongNode:
      tested = SongPath(item);
      allow = !ReadOnly(tested);
      if (allow && GetNodeKind(item.Parent()) == kAlbumNode) {
        tested = catalogue::CatalogueFile(std::string(item.Parent().Data().value_or("")));
        allow = !ReadOnly(tested);
      }
      break;
    default:
      return false;
  }
  if (!allow) ShowError("Can't rename the treenode!\n\nThe file " + tested + " is read only!");
  return allow;
}

bool STreeView::OnEndLabelEdit(const TreeItem& item, const char* typed) {
  const std::string text(platform::TrimBlanks(typed ? typed : ""));
  if (text.empty()) return false;
  const std::string oldLabel(item.Label());
  if (m_pDataPage) m_pDataPage->UpdateData(true);
  switch (GetNodeKind(item)) {
    case kVolumeNode: return RenameVolume(item, text);
    case kFolderNode: return RenameFolder(item, text);
    case kArtistNode: return RenameArtist(item, oldLabel, text);
    case kAlbumNode: return RenameAlbum(item, oldLabel, text);
    case kSongNode:
      if (GetNodeKind(item.Parent()) == kAlbumNode) return RenameAlbumSong(item, oldLabel, text);
      return RenameSongFile(item, text);
    default: return true;
  }
}

bool STreeView::RenameVolume(const TreeItem& item, const std::string& text) {
  if (HasLineBreakOrNul(text)) return !RefuseName(text, "A label can't hold a line break.");
  const std::string mountPoint(item.Data().value_or(""));
  if (mountPoint.empty() || !platform::Volumes().SetLabel(mountPoint, text)) {
    ShowError("Unable to change the label of the volume " + mountPoint + "!");
    return false;
  }
  m_strScratch = platform::VolumeDisplayName(platform::VolumeInfo{mountPoint, text, platform::DriveType::Fixed});
  PostSetCaretLabel(m_strScratch);
  return true;
}

bool STreeView::RenameFolder(const TreeItem& item, const std::string& text) {
  if (RefuseName(text, FileNameProblem(text))) return false;
  std::string oldPath(item.Data().value_or(""));
  while (oldPath.size() > 1 && oldPath.back() == '/') oldPath.pop_back();
  const std::string newPath = oldPath.substr(0, oldPath.rfind('/') + 1) + text;
  if (oldPath.empty() || !platform::MoveFile(oldPath, newPath)) {
    ShowError("Unable to rename the folder " + oldPath + "!");
    return false;
  }
  // Every node that names a path inside the folder follows it, here and elsewhere in
  // the tree (albums whose catalogue lies inside).
  const std::string oldPrefix = oldPath + "/";
  const std::string newPrefix = newPath + "/";
  std::vector<Handle> pending{m_itemTop.m_hItem};
  while (!pending.empty()) {
    const TreeItem node = Item(pending.back());
    pending.pop_back();
    const int kind = GetNodeKind(node);
    const bool holdsPath = kind == kFolderNode || kind == kVolumeNode || kind == kAlbumNode ||
                           (kind == kSongNode && GetNodeKind(node.Parent()) != kAlbumNode);
    if (holdsPath) {
      const std::string data(node.Data().value_or(""));
      if (data.starts_with(oldPrefix)) m_pTree->SetData(node.m_hItem, newPrefix + data.substr(oldPrefix.size()));
    }
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child.m_hItem);
  }
  m_pTree->SetLabel(item.m_hItem, text);
  return true;
}

bool STreeView::RenameArtist(const TreeItem& item, const std::string& oldLabel, const std::string& text) {
  if (HasLineBreakOrNul(text)) return !RefuseName(text, "An artist's name can't hold a line break.");
  bool failed = false;
  for (TreeItem album = item.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
    const std::string folder(album.Data().value_or(""));
    if (folder.empty()) continue;  // a duplicate album has no catalogue of its own
    const std::string file = catalogue::CatalogueFile(folder);
    const auto doc = platform::ProfileOpen(file);
    for (const std::string& section : doc->SectionNames()) {
      const std::string artist(platform::TrimBlanks(doc->Value(section, "Artist").value_or("")));
      if (artist.empty() || !platform::EqualsNoCase(artist, oldLabel)) continue;
      failed |= platform::ProfileWrite(file, section.c_str(), "Artist", text.c_str()) != 1;
    }
  }
  if (failed) ShowError("Unable to write the new artist to every album.ini of " + oldLabel + "!");
  m_pTree->SetLabel(item.m_hItem, text);
  return true;
}

bool STreeView::RenameAlbum(const TreeItem& item, const std::string& oldLabel, const std::string& text) {
  if (text.find_first_of("[]:") != std::string::npos || HasLineBreakOrNul(text)) {
    return !RefuseName(text, "An album's name can't hold \"[\", \"]\", \":\" or a line break.");
  }
  const std::string file = catalogue::CatalogueFile(std::string(item.Data().value_or("")));
  const auto result = catalogue::RenameAlbumSections(file, oldLabel, text);
  if (result == catalogue::RewriteResult::ReadOnly || result == catalogue::RewriteResult::Unwritable) {
    ShowError("Unable to rename the album in the file " + file + "!");
    return false;
  }
  m_pTree->SetLabel(item.m_hItem, text);
  return true;
}

bool STreeView::RenameSongFile(const TreeItem& item, const std::string& text) {
  const std::string name = Cut(text, '.');
  if (RefuseName(text, name.empty() ? "The name is empty before its first dot." : FileNameProblem(name))) return false;
  const std::string folder(item.Parent().Data().value_or(""));
  const std::string oldPath = SongPath(item);
  if (!platform::MoveFile(oldPath, folder + name + ".mp3")) {
    ShowError("Unable to rename the file " + oldPath + "!");
    return false;
  }
  m_strScratch = name;
  PostSetCaretLabel(name);
  return true;
}

bool STreeView::RenameAlbumSong(const TreeItem& item, const std::string& oldLabel, const std::string& text) {
  const bool fileNames = m_nDisplayMode == 1;
  const std::string name = Cut(text, fileNames ? '.' : ',');
  if (fileNames && RefuseName(text, name.empty() ? "The name is empty before its first dot." : FileNameProblem(name))) {
    return false;
  }
  if (!fileNames && HasLineBreakOrNul(name)) return !RefuseName(text, "A title can't hold a line break.");
  if (name.empty()) return false;
  const std::string oldFileName = fileNames ? oldLabel + ".mp3" : std::string(GetNodeName(item, 1));
  m_pTree->SetLabel(item.m_hItem, name);
  const std::string category = m_pDataPage ? std::string(m_pDataPage->m_strCategory) : "";
  const int year = m_pDataPage ? m_pDataPage->m_nYear : 0;
  const std::string artist = m_pDataPage ? std::string(m_pDataPage->m_strArtist) : "";
  const auto result = WriteSongEntry(item.Parent(), item, oldFileName, category, year, artist);
  if (result == catalogue::SongEntryResult::RenameFailed || result == catalogue::SongEntryResult::WriteFailed) {
    m_pTree->SetLabel(item.m_hItem, oldLabel);
    ShowError(result == catalogue::SongEntryResult::RenameFailed
                  ? "Unable to rename the file " + oldFileName + "!\n\nThe album.ini entry was left as it was."
                  : "Unable to write the album.ini entry of " + oldFileName + "!");
    return false;
  }
  m_strScratch = name;
  PostSetCaretLabel(name);
  return true;
}
