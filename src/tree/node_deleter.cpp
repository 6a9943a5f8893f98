#include "tree/node_deleter.h"

#include <algorithm>
#include <optional>
#include <set>

#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "res/texts.h"
#include "tree/library_scanner.h"
#include "platform/path_list.h"
#include "tree/context_menu.h"
#include "tree/details_presenter.h"
#include "tree/library_editor.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

std::string MenuLabel(std::string_view text) {
  GString label = std::string(text);
  ContextMenu::MakeMenuLabel(label);
  return label;
}

std::string FolderOf(const TreeItem& node) { return std::string(node.Data().value_or("")); }

CommandResult ReadOnly(const TreeItem& album) {
  return CommandResult::Failed(res::Fill(res::msg::kCatalogueReadOnly, {MenuLabel(album.Label())}));
}

const CommandResult kDeclined = CommandResult::Failed({});

// A folder opened for a delete: the library folder that holds it as the path list names
// it (the user may have named a link), then each step below without going through a
// link. Nothing when a step is a link (LastOpenHitLink tells) or cannot be opened.
std::optional<platform::FolderHandle> OpenForDelete(const std::string& folder, const std::string& pathList) {
  using Links = platform::FolderHandle::Links;
  std::string root;
  for (const std::string& libraryFolder : platform::LibraryFolders(pathList)) {
    if (folder.starts_with(libraryFolder)) root = libraryFolder;
  }
  if (root.empty()) return platform::FolderHandle::Open(folder, Links::Refuse);  // above the library
  auto handle = platform::FolderHandle::Open(root, Links::Follow);
  for (size_t pos = root.size(); handle && pos < folder.size();) {
    const size_t slash = folder.find('/', pos);
    handle = handle->OpenChild(folder.substr(pos, slash - pos), Links::Refuse);
    pos = slash + 1;
  }
  return handle;
}

}  // namespace

bool CNodeDeleter::Confirm(const std::string& text) const {
  return platform::Ui().MessageBox(text, res::caption::kWarning, platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

CommandResult CNodeDeleter::Delete(const TreeItem& item) {
  switch (KindOf(item)) {
    case NodeKind::Folder: return DeleteFolder(item);
    case NodeKind::Artist: return DeleteArtist(item);
    case NodeKind::Album: return DeleteAlbum(item);
    case NodeKind::AlbumSong: return DeleteAlbumSong(item);
    case NodeKind::LooseSong: return DeleteSongFile(item);
    case NodeKind::DuplicateAlbum: return CommandResult::Failed(std::string(res::msg::kDuplicateAlbum) + ".");
    case NodeKind::Top:  // the top node and volumes are never deleted
    case NodeKind::Volume: return CommandResult::Failed({});
  }
  return CommandResult::Failed({});
}

void CNodeDeleter::DeleteNode(const TreeItem& item) {
  if (!item.IsNull()) item.m_pTree->DeleteItem(item.m_hItem);
}

CommandResult CNodeDeleter::DeleteFolder(const TreeItem& item) {
  if (!Confirm(res::Fill(res::msg::kConfirmFolderDelete, {item.Label()}))) return kDeclined;
  const std::string path = FolderOf(item);
  m_visitedFolders.clear();
  m_kept.clear();
  bool deleted = true;
  if (const auto folder = OpenForDelete(path, m_pView->PathList())) {
    deleted = DeleteFolderContents(item, *folder);
    platform::RemoveDirectory(path);  // goes only when nothing else is left in it
  } else if (platform::FolderHandle::LastOpenHitLink()) {
    m_kept.push_back(res::Fill(res::msg::kKeptBehindLink, {platform::NoTrailingSlash(path)}));
  } else {
    deleted = !platform::PathExists(path);
    m_visitedFolders.push_back(path);
  }
  m_pView->SyncFolders(m_visitedFolders);
  if (!m_kept.empty()) {
    std::string text = res::msg::kFolderPartlyDeleted;
    for (const std::string& line : m_kept) text += "\n" + line;
    return CommandResult::Failed(text);
  }
  return deleted ? CommandResult::Done() : CommandResult::Failed(res::msg::kFolderNotDeleted);
}

bool CNodeDeleter::DeleteFolderContents(const TreeItem& node, const platform::FolderHandle& folder) {
  const std::string path = FolderOf(node);
  const auto entries = folder.List(platform::ListDetail::NamesAndKinds).value_or(std::vector<platform::DirEntry>{});
  // The catalogue on disk decides, in any letter case and whatever the settings say;
  // one that cannot be read might list any of the files.
  std::vector<std::string> listed;
  bool keepSongs = false;
  if (const platform::DirEntry* catalogueEntry = catalogue::CatalogueEntry(entries)) {
    std::string raw;
    const auto read = folder.ReadFile(*catalogueEntry, raw, platform::kMaxProfileSize);
    if (read == platform::ReadResult::Done) {
      listed = catalogue::ListedFileTitles(*platform::ProfileDocument::Parse(std::move(raw)));
    } else if (read != platform::ReadResult::Missing) {
      keepSongs = true;
      m_kept.push_back(res::Fill(res::msg::kKeptUnreadCatalogue, {path + catalogueEntry->name}));
    }
  }
  bool result = true;
  std::set<std::string> shownSongs;
  for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (KindOf(child) == NodeKind::LooseSong) {
      shownSongs.emplace(child.Label());
      continue;
    }
    const std::string name = platform::NoTrailingSlash(FolderOf(child)).substr(path.size());
    const auto subfolder = folder.OpenChild(name, platform::FolderHandle::Links::Refuse);
    if (!subfolder) {
      if (platform::FolderHandle::LastOpenHitLink()) {
        m_kept.push_back(res::Fill(res::msg::kKeptBehindLink, {path + name}));
        m_visitedFolders.push_back(FolderOf(child));  // shown as a scan shows what it points to
      }
      continue;
    }
    if (DeleteFolderContents(child, *subfolder)) {
      folder.RemoveDirectory(name);
    } else {
      result = false;
    }
  }
  // The files on disk that the shown songs stand for, case twins included.
  for (const platform::DirEntry& entry : entries) {
    if (keepSongs || entry.directory || !IsSongFileName(entry.name)) continue;
    const std::string title = entry.name.substr(0, entry.name.rfind('.'));
    if (!shownSongs.contains(title)) continue;
    if (std::find(listed.begin(), listed.end(), platform::UpperUtf8(title)) != listed.end()) continue;
    if (!folder.DeleteFile(entry.name)) result = false;
  }
  m_visitedFolders.push_back(path);
  return result;
}

CommandResult CNodeDeleter::DeleteArtist(const TreeItem& item) {
  ExpandItem(item, true);
  if (!Confirm(res::Fill(res::msg::kConfirmArtistDelete, {MenuLabel(item.Label())}))) return kDeclined;
  if (CommandResult shown = m_pView->Editor().CheckShown(item); !shown.Succeeded()) return shown;
  // Every catalogue is checked before anything changes; a refusal changes nothing.
  std::set<std::string> folders;
  for (TreeItem album = item.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
    const std::string folder = FolderOf(album);
    if (catalogue::CheckRewritable(catalogue::CatalogueFile(folder)) != catalogue::RewriteResult::Done) {
      return ReadOnly(album);
    }
    folders.insert(folder);
  }
  // Each catalogue loses this artist's sections only; albums of others stay.
  const std::string artist(item.Label());
  std::vector<std::string> files;
  for (const std::string& folder : folders) files.push_back(catalogue::CatalogueFile(folder));
  const auto result = catalogue::RemoveArtist(files, artist);
  const bool failed = result == catalogue::RewriteResult::ReadOnly || result == catalogue::RewriteResult::Unwritable;
  m_pView->ReloadCatalogues(folders);
  if (m_pView->Tree()->IsValid(item.m_hItem) && !item.HasChildren()) DeleteNode(item);
  if (failed) return CommandResult::Failed(res::Fill(res::msg::kArtistNotRemoved, {MenuLabel(artist)}));
  return CommandResult::Done();
}

CommandResult CNodeDeleter::DeleteAlbum(const TreeItem& item) {
  if (!Confirm(res::Fill(res::msg::kConfirmAlbumDelete, {MenuLabel(item.Label())}))) return kDeclined;
  const std::string folder = FolderOf(item);
  const std::string artist(item.Parent().Label());
  if (CommandResult shown = m_pView->Editor().CheckShown(item); !shown.Succeeded()) return shown;
  const std::string file = catalogue::CatalogueFile(folder);
  if (catalogue::CheckRewritable(file) != catalogue::RewriteResult::Done) return ReadOnly(item);
  const std::string section = catalogue::SectionOfAlbum(item.Label());
  if (platform::ProfileWrite(file, section.c_str(), nullptr, nullptr) != 1) {
    return CommandResult::Failed(res::Fill(res::msg::kAlbumNotRemoved, {file}));
  }
  if (catalogue::HoldsOnlyBlankLines(file)) platform::DeleteFile(file);
  m_pView->ReloadCatalogues({folder});
  // The artist's first remaining album is selected; an artist left empty is gone.
  const TreeItem artistNode = m_pView->FindArtistNode(artist);
  if (artistNode.HasChildren()) m_pView->Details().SelectAndShow(artistNode.FirstChild());
  return CommandResult::Done();
}

CommandResult CNodeDeleter::DeleteAlbumSong(const TreeItem& item) {
  if (!Confirm(res::Fill(res::msg::kConfirmSongEntryDelete, {MenuLabel(m_pView->GetNodeName(item, false))}))) {
    return kDeclined;
  }
  const TreeItem album = item.Parent();
  const std::string folder = FolderOf(album);
  if (CommandResult shown = m_pView->Editor().CheckShown(album, item); !shown.Succeeded()) return shown;
  const std::string file = catalogue::CatalogueFile(folder);
  const auto result = catalogue::RemoveSongEntry(file, catalogue::SectionOfAlbum(album.Label()),
                                                 m_pView->GetNodeName(item, true), item.m_pTree->RowOf(item.m_hItem));
  switch (result) {
    case catalogue::RewriteResult::ReadOnly: return ReadOnly(album);
    case catalogue::RewriteResult::Unwritable:
    case catalogue::RewriteResult::Collides:
      return CommandResult::Failed(res::Fill(res::msg::kSongEntryNotRemoved, {file}));
    case catalogue::RewriteResult::Done:
      DeleteNode(item);
      m_pView->SyncFolders({folder});
      return CommandResult::Done();
    case catalogue::RewriteResult::NotFound:  // changed since the check: show what is there
      m_pView->ReloadCatalogues({folder});
      return CommandResult::Failed(res::Fill(res::msg::kCatalogueChanged, {file}));
  }
  return CommandResult::Done();
}

CommandResult CNodeDeleter::DeleteSongFile(const TreeItem& item) {
  if (!Confirm(res::Fill(res::msg::kConfirmFileDelete, {MenuLabel(std::string(item.Label()) + ".mp3")}))) return kDeclined;
  const std::string folder = FolderOf(item.Parent());
  const auto opened = OpenForDelete(folder, m_pView->PathList());
  if (!opened) {
    if (!platform::FolderHandle::LastOpenHitLink()) return CommandResult::Failed(res::msg::kFileNotDeleted);
    m_pView->SyncFolders({folder});
    return CommandResult::Failed(res::Fill(res::msg::kKeptBehindLink, {platform::NoTrailingSlash(folder)}));
  }
  const std::string path = m_pView->SongPath(item);
  if (!opened->DeleteFile(path.substr(path.rfind('/') + 1))) {
    return CommandResult::Failed(res::msg::kFileNotDeleted);
  }
  m_pView->SyncFolders({folder});
  return CommandResult::Done();
}
