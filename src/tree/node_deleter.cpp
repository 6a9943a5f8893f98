#include "tree/node_deleter.h"

#include <algorithm>
#include <set>

#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
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

void ReportReadOnly(const TreeItem& album) {
  ShowError("Album.ini for " + MenuLabel(album.Label()) + " is read only.\n\nUnable to delete!");
}

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

void CNodeDeleter::DeleteFolder(const TreeItem& item) {
  if (!Confirm("The folder \"" + std::string(item.Label()) +
               "\" together with all mp3 files\nin it that does not belong to a album.ini will be deleted!\n\nAre you sure?")) {
    return;
  }
  m_visitedFolders.clear();
  const bool deleted = DeleteFolderContents(item);
  platform::RemoveDirectory(FolderOf(item));  // goes only when nothing else is left in it
  m_pView->SyncFolders(m_visitedFolders);
  if (!deleted) ShowError("Unable to delete the folder!\n\nAre any mp3 files read only?");
}

bool CNodeDeleter::DeleteFolderContents(const TreeItem& folder) {
  bool result = true;
  const std::string path = FolderOf(folder);
  // The catalogue on disk decides, in any letter case and whatever the settings say.
  const auto listed = catalogue::ListedFileTitles(*platform::ProfileOpen(catalogue::CatalogueFile(path)));
  for (TreeItem child = folder.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (m_pView->GetNodeKind(child) != kSongNode) {
      if (DeleteFolderContents(child)) {
        platform::RemoveDirectory(FolderOf(child));
      } else {
        result = false;
      }
      continue;
    }
    if (std::find(listed.begin(), listed.end(), platform::UpperUtf8(child.Label())) != listed.end()) continue;
    if (!platform::DeleteFile(m_pView->SongPath(child))) result = false;
  }
  m_visitedFolders.push_back(path);
  return result;
}

void CNodeDeleter::DeleteArtist(const TreeItem& item) {
  m_pView->ExpandNode(item, true);
  if (!Confirm("Delete all albums belonging to " + MenuLabel(item.Label()) +
               "\nThe actual song files will not be deleted.\n\nAre you sure?")) {
    return;
  }
  // Every catalogue is checked before anything changes; a refusal changes nothing.
  std::set<std::string> folders;
  for (TreeItem album = item.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
    const std::string folder = FolderOf(album);
    if (folder.empty()) continue;  // a duplicate album has no section of its own
    if (catalogue::CheckRewritable(catalogue::CatalogueFile(folder)) != catalogue::RewriteResult::Done) {
      return ReportReadOnly(album);
    }
    folders.insert(folder);
  }
  // Each catalogue loses this artist's sections only; albums of others stay.
  const std::string artist(item.Label());
  bool failed = false;
  for (const std::string& folder : folders) {
    const auto result = catalogue::RemoveArtistSections(catalogue::CatalogueFile(folder), artist);
    failed |= result == catalogue::RewriteResult::ReadOnly || result == catalogue::RewriteResult::Unwritable;
  }
  for (TreeItem album = item.FirstChild(); !album.IsNull();) {
    const TreeItem next = album.NextSibling();
    if (FolderOf(album).empty()) DeleteNode(album);
    album = next;
  }
  m_pView->ReloadCatalogues(folders);
  if (m_pView->Tree()->IsValid(item.m_hItem) && !item.HasChildren()) DeleteNode(item);
  if (failed) ShowError("Unable to remove " + MenuLabel(artist) + " from every album.ini!");
}

void CNodeDeleter::DeleteAlbum(const TreeItem& item) {
  if (!Confirm("Delete the album " + MenuLabel(item.Label()) +
               "\nThe actual song files will not be deleted.\n\nAre you sure?")) {
    return;
  }
  const std::string folder = FolderOf(item);
  const std::string artist(item.Parent().Label());
  if (folder.empty()) {
    ShowError("A duplicate album has no section of its own in an album.ini: rename or delete the album it repeats.");
    return;
  }
  const std::string file = catalogue::CatalogueFile(folder);
  if (catalogue::CheckRewritable(file) != catalogue::RewriteResult::Done) return ReportReadOnly(item);
  const std::string section = catalogue::SectionOfAlbum(item.Label());
  if (platform::ProfileWrite(file, section.c_str(), nullptr, nullptr) != 1) {
    ShowError("Unable to remove the album from the file " + file + "!");
    return;
  }
  if (catalogue::HoldsOnlyBlankLines(file)) platform::DeleteFile(file);
  m_pView->ReloadCatalogues({folder});
  // The artist's first remaining album is selected; an artist left empty is gone.
  const TreeItem artistNode = m_pView->FindArtistNode(artist);
  if (artistNode.HasChildren()) m_pView->SelectAndShow(artistNode.FirstChild());
}

void CNodeDeleter::DeleteAlbumSong(const TreeItem& item) {
  if (!Confirm("The song " + MenuLabel(m_pView->GetNodeName(item, false)) +
               " will be deleted from the album!\nThe song file itself will not be deleted.\n\nAre you sure?")) {
    return;
  }
  const TreeItem album = item.Parent();
  const std::string folder = FolderOf(album);
  const std::string file = catalogue::CatalogueFile(folder);
  const auto result = catalogue::RemoveSongEntry(file, catalogue::SectionOfAlbum(album.Label()),
                                                 m_pView->GetNodeName(item, true), item.m_pTree->RowOf(item.m_hItem));
  switch (result) {
    case catalogue::RewriteResult::ReadOnly: return ReportReadOnly(album);
    case catalogue::RewriteResult::Unwritable:
    case catalogue::RewriteResult::Collides:
      ShowError("Unable to remove the song from the file " + file + "!");
      return;
    case catalogue::RewriteResult::Done:
      DeleteNode(item);
      m_pView->SyncFolder(folder);
      return;
    case catalogue::RewriteResult::NotFound:  // the tree was stale: show what is there
      m_pView->ReloadCatalogues({folder});
      return;
  }
}

void CNodeDeleter::DeleteSongFile(const TreeItem& item) {
  if (!Confirm("The file " + MenuLabel(std::string(item.Label()) + ".mp3") + " will be deleted!\n\nAre you sure?")) return;
  if (!platform::DeleteFile(m_pView->SongPath(item))) {
    ShowError("Unable to delete the file!\n\nIs it read only?");
    return;
  }
  m_pView->SyncFolder(FolderOf(item.Parent()));
}
