// Renaming: volume labels, folders, artists, albums, song files and album songs.
// Names that would act on another file than the one shown, or that a scan would show
// otherwise, are refused with a message. The final label is set on the renamed node
// here; the tree then follows the disk.
#include <algorithm>
#include <set>

#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "platform/volumes.h"
#include "res/texts.h"
#include "platform/path_list.h"
#include "tree/prop_data.h"
#include "tree/details_presenter.h"
#include "tree/library_editor.h"
#include "tree/stree_view.h"

namespace tree {

namespace {

// A song file that cannot be renamed where it is.
bool ReadOnly(const std::string& path) {
  const auto attributes = platform::GetFileAttributes(path);
  return !attributes || attributes->readOnly;
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

// Why a typed file or folder name cannot be used; "" when it can.
std::string FileNameProblem(const std::string& name) {
  if (name.find('/') != std::string::npos || HasLineBreakOrNul(name)) {
    return res::msg::kNameWithSlash;
  }
  if (name.find_first_not_of('.') == std::string::npos) return res::msg::kNameOnlyDots;
  return {};
}

// Why a song file in the folder cannot get the name (with ".mp3"); "" when it can.
// oldName is the file's present name: a change of letter case alone is no clash.
std::string SongFileNameProblem(const std::string& folder, const std::string& title, const std::string& oldName) {
  if (title.empty()) return res::msg::kNameEmptyBeforeDot;
  if (std::string problem = FileNameProblem(title); !problem.empty()) return problem;
  if (title.find(',') != std::string::npos) return res::msg::kNameWithComma;
  const std::string name = title + ".mp3";
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  for (const auto& entry : entries.value_or(std::vector<platform::DirEntry>{})) {
    if (platform::EqualsNoCase(entry.name, name) && !platform::EqualsNoCase(entry.name, oldName)) {
      return res::Fill(res::msg::kFolderHolds, {entry.name});
    }
  }
  return {};
}

// The refusal of a typed name for the problem.
CommandResult Refused(const std::string& name, const std::string& problem) {
  return CommandResult::Failed(res::Fill(res::msg::kCantRenameTo, {name, problem}));
}

// The text up to the first of the delimiter.
std::string Cut(const std::string& text, char delimiter) {
  std::string cut(platform::TrimBlanks(text.substr(0, text.find(delimiter))));
  return cut;
}

}  // namespace

bool LibraryEditor::BeginRename(const TreeItem& item, std::string& editText) {
  editText = std::string(item.Label());
  const NodeKind kind = KindOf(item);
  std::string tested;
  bool allow = true;
  switch (kind) {
    case NodeKind::Top:
      return false;
    case NodeKind::Volume:
      // The edit box starts with the bare label, without the mount point.
      editText = platform::Volumes().VolumeOf(std::string(item.Data().value_or("/"))).label;
      break;
    case NodeKind::Folder:
      break;
    case NodeKind::Artist: {
      // The catalogue of its first album.
      const TreeItem album = item.FirstChild();
      tested = catalogue::CatalogueFile(std::string(album.Data().value_or("")));
      // Gone since the scan: no read-only file, but a tree to bring up to date.
      if (!album.IsNull() && !platform::PathExists(tested)) return CheckShown(item).Report();
      allow = !album.IsNull() && catalogue::CatalogueWritable(tested);
      break;
    }
    case NodeKind::DuplicateAlbum:
      return CommandResult::Failed(std::string(res::msg::kDuplicateAlbum) + ".").Report();
    case NodeKind::Album:
      tested = catalogue::CatalogueFile(std::string(item.Data().value_or("")));
      if (!platform::PathExists(tested)) return CheckShown(item).Report();
      allow = catalogue::CatalogueWritable(tested);
      break;
    case NodeKind::AlbumSong:
    case NodeKind::LooseSong:
      tested = m_library.SongPath(item);
      allow = !ReadOnly(tested);
      if (allow && kind == NodeKind::AlbumSong) {
        tested = catalogue::CatalogueFile(std::string(item.Parent().Data().value_or("")));
        if (!platform::PathExists(tested)) return CheckShown(item.Parent(), item).Report();
        allow = catalogue::CatalogueWritable(tested);
      }
      break;
  }
  return (allow ? CommandResult::Done() : CommandResult::Failed(res::Fill(res::msg::kNodeReadOnly, {tested}))).Report();
}

bool LibraryEditor::EndRename(const TreeItem& item, const std::string& typed) {
  const std::string text(platform::TrimBlanks(typed));
  if (text.empty()) return false;
  const std::string oldLabel(item.Label());
  if (text == oldLabel) return false;  // nothing to change: nothing is written, marks stay
  if (GPropData* page = m_library.Details().DataPage()) page->UpdateData(true);
  switch (KindOf(item)) {
    case NodeKind::Volume: return RenameVolume(item, text).Report();
    case NodeKind::Folder: return RenameFolder(item, text).Report();
    case NodeKind::Artist: return RenameArtist(item, oldLabel, text).Report();
    case NodeKind::Album: return RenameAlbum(item, oldLabel, text).Report();
    case NodeKind::AlbumSong: return RenameAlbumSong(item, text).Report();
    case NodeKind::LooseSong: return RenameSongFile(item, text).Report();
    case NodeKind::Top:
    case NodeKind::DuplicateAlbum: return true;
  }
  return true;
}

CommandResult LibraryEditor::RenameVolume(const TreeItem& item, const std::string& text) {
  if (HasLineBreakOrNul(text)) return Refused(text, res::msg::kLabelLineBreak);
  // The labelling programs would take it for an option.
  if (text.starts_with('-')) return Refused(text, res::msg::kLabelDash);
  const std::string mountPoint(item.Data().value_or(""));
  if (mountPoint.empty() || !platform::Volumes().SetLabel(mountPoint, text)) {
    return CommandResult::Failed(res::Fill(res::msg::kVolumeNotLabelled, {mountPoint}));
  }
  m_pTree->SetLabel(item.m_hItem,
                    platform::VolumeDisplayName(platform::VolumeInfo{mountPoint, text, m_pTree->Facts(item.m_hItem).drive}));
  // A scan sorts the top node's children as far as the last artist; a volume among them
  // takes its new name's place there.
  std::size_t sorted = 0, row = 0;
  for (TreeItem child = m_library.Top().FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    ++row;
    if (KindOf(child) == NodeKind::Artist) sorted = row;
  }
  if (m_pTree->RowOf(item.m_hItem) < sorted) m_pTree->SortChildren(m_library.Top().m_hItem, sorted);
  return CommandResult::Done();
}

CommandResult LibraryEditor::RenameFolder(const TreeItem& item, const std::string& text) {
  if (const std::string problem = FileNameProblem(text); !problem.empty()) return Refused(text, problem);
  // A scan passes over hidden folders: the songs inside would vanish.
  if (text.starts_with('.')) return Refused(text, res::msg::kHiddenFolder);
  const std::string oldPath = platform::NoTrailingSlash(std::string(item.Data().value_or("")));
  const std::string oldPrefix = oldPath + "/";
  // The library is scanned from the folders of the path list: the next scan would
  // not find a folder above one of them under its new name.
  for (const std::string& root : platform::ListedFolders(m_library.PathList())) {
    if (root.starts_with(oldPrefix)) {
      return CommandResult::Failed(res::Fill(res::msg::kHoldsLibraryFolder, {oldPath, root}));
    }
  }
  const std::string newPath = oldPath.substr(0, oldPath.rfind('/') + 1) + text;
  if (oldPath.empty() || !platform::MoveFile(oldPath, newPath)) {
    return CommandResult::Failed(res::Fill(res::msg::kFolderNotRenamed, {oldPath}));
  }
  // Every node that names a path inside the folder follows it, here and elsewhere in
  // the tree (albums whose catalogue lies inside).
  const std::string newPrefix = newPath + "/";
  std::vector<Handle> pending{m_library.Top().m_hItem};
  while (!pending.empty()) {
    const TreeItem node = m_library.Item(pending.back());
    pending.pop_back();
    const NodeKind kind = KindOf(node);
    const bool holdsPath = kind == NodeKind::Folder || kind == NodeKind::Volume || kind == NodeKind::Album ||
                           kind == NodeKind::DuplicateAlbum || kind == NodeKind::LooseSong;
    if (holdsPath) {
      const std::string data(node.Data().value_or(""));
      if (data.starts_with(oldPrefix)) m_pTree->SetData(node.m_hItem, newPrefix + data.substr(oldPrefix.size()));
    }
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child.m_hItem);
  }
  m_pTree->SetLabel(item.m_hItem, text);
  m_library.PlaceInScanOrder({item.m_hItem}, platform::LibraryFolders(m_library.PathList()));  // among its siblings by its new name
  return CommandResult::Done();
}

CommandResult LibraryEditor::RenameArtist(const TreeItem& item, const std::string& oldLabel, const std::string& text) {
  if (HasLineBreakOrNul(text)) return Refused(text, res::msg::kArtistLineBreak);
  if (CommandResult shown = CheckShown(item); !shown.Succeeded()) return shown;
  std::set<std::string> folders;
  std::vector<std::string> files;
  for (TreeItem album = item.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
    const std::string folder(album.Data().value_or(""));
    if (!folders.insert(folder).second) continue;
    files.push_back(catalogue::CatalogueFile(folder));
  }
  // The albums the artist of the new name will have, as the next scan reads them: an
  // album of this artist meeting one of that name would hide the songs of one of them.
  // (Twins the artist has already stay as they are.)
  std::set<std::string> moving;
  std::set<std::string> existing;
  for (const std::string& file : files) {
    const auto doc = platform::ProfileOpen(file);
    for (const std::string& section : doc->SectionNames()) {
      const std::string artist = doc->Value(section, "Artist").value_or("");
      if (artist.empty()) continue;
      const std::string album = platform::UpperUtf8(GString(section).Field(2, ":"));
      if (platform::EqualsNoCase(platform::TrimBlanks(artist), platform::TrimBlanks(oldLabel))) {
        moving.insert(album);
      } else if (platform::EqualsNoCase(artist, text)) {
        existing.insert(album);
      }
    }
  }
  const TreeItem other = m_library.FindArtistNode(text);
  for (TreeItem album = other.FirstChild(); !album.IsNull() && !(other == item); album = album.NextSibling()) {
    if (!folders.contains(std::string(album.Data().value_or("")))) existing.insert(platform::UpperUtf8(album.Label()));
  }
  for (const std::string& album : moving) {
    if (existing.contains(album)) return CommandResult::Failed(res::Fill(res::msg::kTwinAlbums, {text, album}));
  }
  const auto result = catalogue::RenameArtist(files, oldLabel, text);
  if (result != catalogue::RewriteResult::Done) {
    return CommandResult::Failed(res::Fill(res::msg::kArtistNotWritten, {oldLabel}));
  }
  // The albums of those catalogues come back as a scan shows them: under the new
  // name, merged with an artist of that name, with sections whose "Artist" differed
  // only in blanks or letter case.
  m_library.ReloadCatalogues(folders, oldLabel, text);
  const TreeItem renamed = m_library.FindArtistNode(text);
  if (!renamed.IsNull()) m_library.Details().SelectAndShow(renamed);
  return CommandResult::Done();
}

CommandResult LibraryEditor::RenameAlbum(const TreeItem& item, const std::string& oldLabel, const std::string& text) {
  if (!catalogue::AlbumNameCharactersAllowed(text)) {
    return Refused(text, res::msg::kAlbumNameCharacters);
  }
  const CommandResult exists = CommandResult::Failed(res::Fill(res::msg::kAlbumExists, {text}));
  // Another album of the artist with that name would hide one of the two at the next scan.
  for (TreeItem sibling = item.Parent().FirstChild(); !sibling.IsNull(); sibling = sibling.NextSibling()) {
    if (!(sibling == item) && platform::EqualsNoCase(sibling.Label(), text)) return exists;
  }
  if (CommandResult shown = CheckShown(item); !shown.Succeeded()) return shown;
  const std::string file = catalogue::CatalogueFile(std::string(item.Data().value_or("")));
  const auto result = catalogue::RenameAlbumSections(file, oldLabel, text);
  if (result == catalogue::RewriteResult::Collides) return exists;
  if (result != catalogue::RewriteResult::Done) {
    return CommandResult::Failed(res::Fill(res::msg::kAlbumNotRenamed, {file}));
  }
  m_pTree->SetLabel(item.m_hItem, text);
  // The catalogue's twin sections (the name in other letter case) were renamed with the
  // album, and an album of the old name in another folder is no duplicate any more: the
  // albums of those folders come back as a scan shows them.
  std::set<std::string> folders;
  for (TreeItem sibling = item.Parent().FirstChild(); !sibling.IsNull(); sibling = sibling.NextSibling()) {
    if (KindOf(sibling) == NodeKind::DuplicateAlbum && platform::EqualsNoCase(AlbumName(sibling), oldLabel)) {
      folders.insert(std::string(sibling.Data().value_or("")));
    }
  }
  if (!folders.empty()) {
    folders.insert(std::string(item.Data().value_or("")));
    m_library.ReloadCatalogues(folders);
  }
  return CommandResult::Done();
}

CommandResult LibraryEditor::RenameSongFile(const TreeItem& item, const std::string& text) {
  const std::string name = Cut(text, '.');
  const std::string folder(item.Parent().Data().value_or(""));
  const std::string oldPath = m_library.SongPath(item);
  if (const std::string problem = SongFileNameProblem(folder, name, GString(oldPath).FileNamePart(true));
      !problem.empty()) {
    return Refused(text, problem);
  }
  if (!platform::MoveFile(oldPath, folder + name + ".mp3")) {
    return CommandResult::Failed(res::Fill(res::msg::kFileNotRenamed, {oldPath}));
  }
  m_pTree->SetLabel(item.m_hItem, name);
  m_library.PlaceInScanOrder({item.m_hItem}, platform::LibraryFolders(m_library.PathList()));
  m_library.SyncFolders({folder});  // a catalogue of the folder may list the new name
  return CommandResult::Done();
}

CommandResult LibraryEditor::RenameAlbumSong(const TreeItem& item, const std::string& text) {
  const bool fileNames = m_library.DisplayMode() == DisplayMode::FileNames;
  const std::string name = Cut(text, fileNames ? '.' : ',');
  const TreeItem album = item.Parent();
  const std::string folder(album.Data().value_or(""));
  const std::string oldFileName(m_library.GetNodeName(item, true));
  if (fileNames) {
    if (const std::string problem = SongFileNameProblem(folder, name, oldFileName); !problem.empty()) {
      return Refused(text, problem);
    }
  }
  if (!fileNames && HasLineBreakOrNul(name)) return Refused(text, res::msg::kTitleLineBreak);
  if (name.empty()) return CommandResult::Failed({});
  if (CommandResult shown = CheckShown(album, item); !shown.Succeeded()) return shown;

  catalogue::SongEntry entry;
  entry.oldFileName = oldFileName;
  entry.newFileName = fileNames ? name + ".mp3" : oldFileName;
  entry.title = fileNames ? std::string(m_library.GetNodeName(item, false)) : name;
  entry.position = m_pTree->RowOf(item.m_hItem);
  GPropData* page = m_library.Details().DataPage();
  if (page) {
    entry.category = page->m_strCategory;
    entry.year = page->m_nYear;
    entry.artist = page->m_strArtist;
  } else {
    // Without a details page the song keeps its own fields.
    const auto entries = catalogue::ReadSongEntries(*platform::ProfileOpen(catalogue::CatalogueFile(folder)),
                                                    catalogue::SectionOfAlbum(album.Label()));
    if (const auto* found = catalogue::FindSongEntry(entries, oldFileName, entry.position)) {
      const catalogue::SongFields fields = catalogue::ParseSongFields(found->value);
      entry.category = fields.category;
      entry.year = fields.year;
      entry.artist = fields.artist;
    }
  }
  if (page) page->AddCategory(entry.category);
  switch (catalogue::WriteSongEntry(folder, std::string(album.Label()), entry)) {
    case catalogue::SongEntryResult::Written: break;
    case catalogue::SongEntryResult::NoEntry:
      return CommandResult::Failed(res::Fill(res::msg::kNoSongEntry, {folder, oldFileName}));
    case catalogue::SongEntryResult::RenameFailed:
      return CommandResult::Failed(res::Fill(res::msg::kEntryKept, {oldFileName}));
    case catalogue::SongEntryResult::WriteFailed:
      return CommandResult::Failed(res::Fill(res::msg::kEntryNotWritten, {oldFileName}));
  }
  m_pTree->SetLabel(item.m_hItem, name);
  if (!fileNames) m_pTree->Facts(item.m_hItem).hasTitle = true;
  if (fileNames) m_library.SyncFolders({folder});  // other albums of the folder may name the old or the new file
  return CommandResult::Done();
}

}  // namespace tree
