#include "tree/node_deleter.h"

#include <set>

#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/ui_hooks.h"
#include "tree/scan_context.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

using platform::ShowError;

std::string MenuLabel(std::string_view text) {
  GString label = std::string(text);
  STreeView::MakeMenuLabel(label);
  return label;
}

std::string FolderOf(const TreeItem& node) { return std::string(node.Data().value_or("")); }

}  // namespace

bool CNodeDeleter::Confirm(const std::string& text) const {
  return platform::Ui().MessageBox(text, "Warning", platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

void CNodeDeleter::Delete(const TreeItem& item) {
  switch (m_pView->GetNodeKind(item)) {
    case kFolderNode: DeleteFolder(item); break;
    case kArtistNode: DeleteArtist(item); break;
    case kAlbumNode: DeleteAlbum(item); break;
    case kSongNode:
      if (m_pView->GetNodeKind(item.Parent()) == kAlbumNode) {
        DeleteAlbumSong(item);
      } else {
        DeleteSongFile(item);
      }
      break;
    default: break;  // the top node and volumes are never deleted
  }
}

void CNodeDeleter::DeleteNode(const TreeItem& item) {
  if (!item.IsNull()) item.m_pTree->DeleteItem(item.m_hItem);
}

void CNodeDeleter::CleanUpwards(TreeItem node) {
  while (!node.IsNull() && !(node == m_itemTop) && !node.HasChildren()) {
    const TreeItem parent = node.Parent();
    DeleteNode(node);
    node = parent;
  }
}

void CNodeDeleter::DeleteFolder(const TreeItem& item) {
  if (!Confirm("The folder \"" + std::string(item.Label()) +
               "\" together with all mp3 files\nin it that does not belong to a album.ini will be deleted!\n\nAre you sure?")) {
    return;
  }
  if (!DeleteFolderContents(item)) {
    ShowError("Unable to delete the folder!\n\nAre any mp3 files read only?");
    return;
  }
  platform::RemoveDirectory(FolderOf(item));  // goes only when nothing else is left in it
  const TreeItem parent = item.Parent();
  DeleteNode(item);
  CleanUpwards(parent);
}

int CNodeDeleter::DeleteFolderContents(const TreeItem& folder) {
  int result = 1;
  for (TreeItem child = folder.FirstChild(); !child.IsNull();) {
    const TreeItem next = child.NextSibling();
    bool gone = false;
    if (child.HasChildren()) {
      if (DeleteFolderContents(child)) {
        platform::RemoveDirectory(FolderOf(child));
        gone = true;
      } else {
        result = 0;
      }
    } else {
      gone = platform::DeleteFile(m_pView->SongPath(child));
      if (!gone) result = 0;
    }
    if (gone) DeleteNode(child);
    child = next;
  }
  return result;
}

int CNodeDeleter::RemoveAlbumSong(const TreeItem& song, const std::string& folder) {
  const std::string fileName = m_pView->GetNodeName(song, 1);
  if (!folder.empty()) {
    const auto attributes = platform::GetFileAttributes(catalogue::CatalogueFile(folder));
    if (!attributes || attributes->readOnly) {
      ShowError("Album.ini for " + MenuLabel(song.Parent().Label()) + " is read only.\n\nUnable to delete!");
      return 0;
    }
  }
  const std::string mp3 = platform::ResolveCase(folder + fileName);
  DeleteNode(song);
  if (!folder.empty() && platform::PathExists(mp3)) {
    ScanContext context;
    context.view = m_pView;
    context.top = m_itemTop;
    m_pView->AddLooseFile(context, folder, GString(mp3).FileNamePart(false));
  }
  return 1;
}

bool CNodeDeleter::RemoveAllSongs(const TreeItem& album) {
  const std::string folder = FolderOf(album);
  while (!album.FirstChild().IsNull()) {
    if (!RemoveAlbumSong(album.FirstChild(), folder)) return false;
  }
  return true;
}

void CNodeDeleter::DeleteArtist(const TreeItem& item) {
  m_pView->ExpandNode(item, 1);
  if (!Confirm("Delete all albums belonging to " + MenuLabel(item.Label()) +
               "\nThe actual song files will not be deleted.\n\nAre you sure?")) {
    return;
  }
  // Each catalogue loses this artist's sections only; albums of others stay.
  std::set<std::string> catalogues;
  for (TreeItem album = item.FirstChild(); !album.IsNull();) {
    if (!RemoveAllSongs(album)) return;
    if (!FolderOf(album).empty()) catalogues.insert(catalogue::CatalogueFile(FolderOf(album)));
    const TreeItem next = album.NextSibling();
    DeleteNode(album);
    album = next;
  }
  bool failed = false;
  for (const std::string& file : catalogues) {
    const auto result = catalogue::RemoveArtistSections(file, std::string(item.Label()));
    failed |= result == catalogue::RewriteResult::ReadOnly || result == catalogue::RewriteResult::Unwritable;
  }
  if (failed) ShowError("Unable to remove " + MenuLabel(item.Label()) + " from every album.ini!");
  if (!item.HasChildren()) DeleteNode(item);
}

void CNodeDeleter::DeleteAlbum(const TreeItem& item) {
  if (!Confirm("Delete the album " + MenuLabel(item.Label()) +
               "\nThe actual song files will not be deleted.\n\nAre you sure?")) {
    return;
  }
  const TreeItem artist = item.Parent();
  if (!RemoveAllSongs(item)) return;
  const std::string folder = FolderOf(item);
  if (!folder.empty()) {
    const std::string file = catalogue::CatalogueFile(folder);
    const std::string section = catalogue::SectionOfAlbum(item.Label());
    if (platform::ProfileWrite(file, section.c_str(), nullptr, nullptr) != 1) {
      ShowError("Unable to remove the album from the file " + file + "!");
    } else if (catalogue::HoldsOnlyBlankLines(file)) {
      platform::DeleteFile(file);
    }
  }
  DeleteNode(item);
  if (artist.HasChildren()) {
    artist.m_pTree->SelectItem(artist.FirstChild().m_hItem);
  } else {
    DeleteNode(artist);
  }
}

void CNodeDeleter::DeleteAlbumSong(const TreeItem& item) {
  if (!Confirm("The song " + MenuLabel(m_pView->GetNodeName(item, 0)) +
               " will be deleted from the album!\nThe song file itself will not be deleted.\n\nAre you sure?")) {
    return;
  }
  const TreeItem album = item.Parent();
  const std::string folder = FolderOf(album);
  const std::string fileName = m_pView->GetNodeName(item, 1);
  const std::string section = catalogue::SectionOfAlbum(album.Label());
  if (RemoveAlbumSong(item, folder)) RemoveSongEntry(fileName, catalogue::CatalogueFile(folder), section);
}

void CNodeDeleter::RemoveSongEntry(const std::string& fileName, const std::string& file, const std::string& section) {
  const auto result = catalogue::RemoveSongEntry(file, section, fileName);
  if (result == catalogue::RewriteResult::ReadOnly || result == catalogue::RewriteResult::Unwritable) {
    ShowError("Unable to remove the song from the file " + file + "!");
  }
}

void CNodeDeleter::DeleteSongFile(const TreeItem& item) {
  if (!Confirm("The file " + MenuLabel(std::string(item.Label()) + ".mp3") + " will be deleted!\n\nAre you sure?")) return;
  if (!platform::DeleteFile(m_pView->SongPath(item))) {
    ShowError("Unable to delete the file!\n\nIs it read only?");
    return;
  }
  const TreeItem parent = item.Parent();
  DeleteNode(item);
  CleanUpwards(parent);
}
