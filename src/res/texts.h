// Every text the user reads: message boxes, menus, captions and control labels.
// "%1", "%2" ... stand for what Fill puts in; a "&" marks the key of a menu item or
// label. The command prompts and What's This texts are in strings.h.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace res {

// The pattern with "%1" ... "%9" replaced by the arguments in order; any other "%"
// stays as it is, and so does a "%" inside an argument.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> arguments);

namespace caption {
inline constexpr char kProgram[] = "Melodeck";
inline constexpr char kError[] = "Error";
inline constexpr char kWarning[] = "Warning";
inline constexpr char kAbout[] = "About Melodeck";
inline constexpr char kAddAlbum[] = "Add album";
inline constexpr char kPlayOrder[] = "Play order";
inline constexpr char kSettings[] = "Settings";
inline constexpr char kToolbar[] = "Toolbar";
inline constexpr char kDataTab[] = "Data";
inline constexpr char kChooseAlbumFile[] = "Choose a path for the album.ini file";
inline constexpr char kChooseDecoder[] = "Choose your decoder";
inline constexpr char kSongsAndAlbumFiles[] = "Songs and album files";
inline constexpr char kExecutableFiles[] = "Executable Files";
inline constexpr char kAllFiles[] = "All Files";
}  // namespace caption

// Labels of the tree and the play-order lists.
namespace node {
inline constexpr char kTop[] = "Artists";
inline constexpr char kScanning[] = "Scanning...";
inline constexpr char kLooseArtist[] = "<Folders without album.ini>";
inline constexpr char kUnknownArtist[] = "<Unknown artist>";
}  // namespace node

namespace menu {
inline constexpr char kFile[] = "&File";
inline constexpr char kView[] = "&View";
inline constexpr char kHelp[] = "&Help";
inline constexpr char kNewAlbum[] = "&New album";
inline constexpr char kPlayOrder[] = "P&lay order...";
inline constexpr char kAddFolder[] = "&Add folder...";
inline constexpr char kFind[] = "&Filter";
inline constexpr char kSettings[] = "&Settings...";
inline constexpr char kExit[] = "E&xit";
inline constexpr char kToolbar[] = "&Toolbar";
inline constexpr char kStatusBar[] = "&Status Bar";
inline constexpr char kSplit[] = "S&plit";
inline constexpr char kShowSongnames[] = "Show s&ongnames";
inline constexpr char kShowFilenames[] = "Show &filenames";
inline constexpr char kRefresh[] = "&Refresh";
inline constexpr char kRescanAll[] = "Rescan everything";
inline constexpr char kStop[] = "S&top";
inline constexpr char kHelpTopics[] = "&Help Topics";
inline constexpr char kAbout[] = "&About Melodeck...";
inline constexpr char kWhatsThis[] = "What's This?";
inline constexpr char kNextPane[] = "Next Pane";
inline constexpr char kPreviousPane[] = "Previous Pane";
// The tree's context menu.
inline constexpr char kPlayNow[] = "&Play %1 now";
inline constexpr char kPlaySelected[] = "Play &selected song(s) now";
inline constexpr char kAddAlbum[] = "&Add album";
inline constexpr char kDelete[] = "&Delete %1";
inline constexpr char kRename[] = "&Rename";
inline constexpr char kAllSongs[] = "all songs";
inline constexpr char kAllSongsInVolume[] = "all songs in volume %1";
inline constexpr char kAllSongsIn[] = "all songs in %1";
inline constexpr char kFolderAndSongs[] = "the folder and all songs in it";
inline constexpr char kArtistEntries[] = "artist (all album.ini files)";
inline constexpr char kAlbumEntries[] = "album information (album.ini)";
inline constexpr char kSongEntry[] = "song from album.ini";
inline constexpr char kSongFile[] = "the file \"%1.mp3\"";
}  // namespace menu

// Labels and buttons of the window's panes and dialogs.
namespace label {
inline constexpr char kReady[] = "Ready";
inline constexpr char kScanning[] = "Scanning: %1 folders, %2 songs so far (Esc stops)";
inline constexpr char kScanStopped[] = "Refresh stopped: the tree shows the library as before";
inline constexpr char kChecking[] = "Checking the tree against the disk (Esc stops)";
inline constexpr char kNotWatched[] =
    "%1 folder(s) cannot be watched (too many folders, network drives or FUSE mounts): they are checked when the "
    "window is "
    "activated and on F5";
inline constexpr char kStopTip[] = "Stop the scan and keep the tree as it was";
inline constexpr char kSplitterKeys[] = "Move the splitter bar with the arrow keys; Enter or Escape ends";
inline constexpr char kVersion[] = "Melodeck version %1";
inline constexpr char kTagline[] = "A music library browser and playlist launcher";
inline constexpr char kWeb[] = "WWW:";
inline constexpr char kMail[] = "E-Mail:";
inline constexpr char kSettingsFile[] = "Settings:";
// The filter box.
inline constexpr char kFilterPlaceholder[] = "Filter (Ctrl+F)";
inline constexpr char kFilterStatus[] =
    "%1 song(s) match the filter. A mark acts on the whole node, hidden songs included; Esc shows all.";
// The empty tree's hint.
inline constexpr char kEmptyLibrary[] =
    "No songs here yet.\n\nType one or more folders into the path box above, separated by \";\", and press F5 or "
    "Enter; or choose File > \"Add folder...\" to pick a folder.";
// The caption of the folder chooser.
inline constexpr char kAddFolderTitle[] = "Add folder";
inline constexpr char kCategory[] = "&Category:";
inline constexpr char kYear[] = "&Year:";
inline constexpr char kSongArtist[] = "A&rtist:";
// The brackets: the marked songs under the selected node, and all marked songs.
inline constexpr char kPlaytime[] = "Playtime (marked here):";
inline constexpr char kBitrate[] = "Bitrate:";
inline constexpr char kTags[] = "Its tags:";
inline constexpr char kTagArtist[] = "Artist: ";
inline constexpr char kTagTitle[] = "Title: ";
inline constexpr char kTagAlbum[] = "Album: ";
inline constexpr char kTagTrack[] = "Track: ";
inline constexpr char kSize[] = "Size (all marked):";
inline constexpr char kArtist[] = "&Artist:";
inline constexpr char kAlbumFile[] = "Al&bum.ini file:";
inline constexpr char kAlbumName[] = "Album&name:";
inline constexpr char kSongsToAdd[] = "&Songs to add:";
// Below the song list of Add album, when tag titles cannot go into the catalogue.
inline constexpr char kTitlesLeftOut[] =
    "Titles a catalogue cannot hold (with a \",\" or a line end) are left out, the file names stand instead: %1";
inline constexpr char kArtists[] = "&Artists:";
inline constexpr char kAlbums[] = "Albu&ms:";
inline constexpr char kSongs[] = "S&ongs:";
inline constexpr char kAlbumsCounted[] = "Albu&ms (%1)";
inline constexpr char kSongsCounted[] = "S&ongs (%1)";
inline constexpr char kShuffleSongs[] = "Shuffle songs";
inline constexpr char kShuffleAlbums[] = "Shuffle albums";
inline constexpr char kShuffleArtists[] = "Shuffle artists";
inline constexpr char kMixAlbums[] = "Mix/show all albums";
inline constexpr char kMixSongs[] = "Mix/show all songs";
inline constexpr char kPlay[] = "&Play";
inline constexpr char kShuffle[] = "&Shuffle";
inline constexpr char kCancel[] = "Cancel";
inline constexpr char kCancelKey[] = "&Cancel";
inline constexpr char kLongFilenames[] = "&Supports long filenames";
inline constexpr char kReadAlbumIni[] = "&Read album.ini files during scan";
inline constexpr char kDecoder[] = "&Decoder";
inline constexpr char kPlaylistFilename[] = "Playlist filename:";
inline constexpr char kOther[] = "Other";
inline constexpr char kStereo[] = ", Stereo, ";
// A field whose value is still being read.
inline constexpr char kReading[] = "\u2026";
inline constexpr char kMono[] = ", Mono, ";
}  // namespace label

// What message boxes say. A label in "%1" comes quoted where the text quotes it.
namespace msg {
// Asked before a delete.
inline constexpr char kConfirmFolderDelete[] =
    "The folder \"%1\" together with all mp3 files\nin it that does not belong to a album.ini will be deleted!\n\n"
    "Are you sure?";
inline constexpr char kConfirmArtistDelete[] =
    "Delete all albums belonging to %1\nThe actual song files will not be deleted.\n\nAre you sure?";
inline constexpr char kConfirmAlbumDelete[] =
    "Delete the album %1\nThe actual song files will not be deleted.\n\nAre you sure?";
inline constexpr char kConfirmSongEntryDelete[] =
    "The song %1 will be deleted from the album!\nThe song file itself will not be deleted.\n\nAre you sure?";
inline constexpr char kConfirmFileDelete[] = "The file %1 will be deleted!\n\nAre you sure?";
// A delete that failed or was refused.
inline constexpr char kCatalogueReadOnly[] = "Album.ini for %1 is read only.\n\nUnable to delete!";
inline constexpr char kFolderNotDeleted[] = "Unable to delete the folder!\n\nAre any mp3 files read only?";
// An edit found the catalogue changed by another program since the tree showed it.
inline constexpr char kCatalogueChanged[] =
    "%1 was changed by another program: it no longer holds what the tree showed.\n\n"
    "Nothing was changed; the tree now shows the file as it is.";
// What a folder delete kept, one line each after kFolderPartlyDeleted.
inline constexpr char kFolderPartlyDeleted[] = "Some files were kept:";
inline constexpr char kKeptBehindLink[] = "%1 is a link: neither it nor what it points to was deleted.";
inline constexpr char kKeptUnreadCatalogue[] =
    "%1 could not be read: every mp3 file in its folder was kept, as it may list them.";
inline constexpr char kArtistNotRemoved[] = "Unable to remove %1 from every album.ini!";
inline constexpr char kDuplicateAlbum[] =
    "A duplicate album has no section of its own in an album.ini: rename or delete the album it repeats";
inline constexpr char kAlbumNotRemoved[] = "Unable to remove the album from the file %1!";
inline constexpr char kSongEntryNotRemoved[] = "Unable to remove the song from the file %1!";
inline constexpr char kFileNotDeleted[] = "Unable to delete the file!\n\nIs it read only?";
// A rename that failed or was refused.
inline constexpr char kNodeReadOnly[] = "Can't rename the treenode!\n\nThe file %1 is read only!";
inline constexpr char kCantRenameTo[] = "Can't rename to \"%1\"!\n\n%2";
inline constexpr char kNameWithSlash[] = "A name can't hold \"/\", a line break or a NUL character.";
inline constexpr char kNameOnlyDots[] = "A name can't be only dots.";
inline constexpr char kNameEmptyBeforeDot[] = "The name is empty before its first dot.";
inline constexpr char kNameWithComma[] = "A song file's name can't hold \",\": album.ini could not name it.";
inline constexpr char kFolderHolds[] = "The folder already holds %1.";
inline constexpr char kLabelLineBreak[] = "A label can't hold a line break.";
inline constexpr char kLabelDash[] = "A label can't begin with \"-\".";
inline constexpr char kVolumeNotLabelled[] = "Unable to change the label of the volume %1!";
inline constexpr char kHiddenFolder[] = "A folder whose name begins with \".\" is hidden from the library.";
inline constexpr char kHoldsLibraryFolder[] = "The folder %1 holds the library folder %2 and keeps its name.";
inline constexpr char kFolderNotRenamed[] = "Unable to rename the folder %1!";
inline constexpr char kArtistLineBreak[] = "An artist's name can't hold a line break.";
inline constexpr char kTwinAlbums[] =
    "Can't rename to \"%1\"!\n\nThat artist would have two albums named %2: one would hide the other.";
inline constexpr char kArtistNotWritten[] =
    "Unable to write the new artist to every album.ini of %1!\n\nNothing was changed.";
inline constexpr char kAlbumNameCharacters[] = "An album's name can't hold \"[\", \"]\", \":\" or a line break.";
inline constexpr char kAlbumExists[] = "The album name \"%1\" already exists in the albumfile!";
inline constexpr char kAlbumNotRenamed[] = "Unable to rename the album in the file %1!";
inline constexpr char kFileNotRenamed[] = "Unable to rename the file %1!";
inline constexpr char kTitleLineBreak[] = "A title can't hold a line break.";
inline constexpr char kNoSongEntry[] = "The album.ini in %1 has no entry for %2!\n\nNothing was renamed.";
inline constexpr char kEntryKept[] = "Unable to rename the file %1!\n\nThe album.ini entry was left as it was.";
inline constexpr char kEntryNotWritten[] = "Unable to write the album.ini entry of %1!\n\nNothing was renamed.";
// Details, display mode and scan.
inline constexpr char kYearNotNumber[] =
    "The year must be a number: the year of \"%1\" was not saved, it keeps its year. Its other details were saved.";
inline constexpr char kYearField[] = "The year must be a number, or left empty.";
inline constexpr char kDetailsNotWritten[] = "Unable to write the details of %1 to %2!";
inline constexpr char kDetailsChanged[] =
    "The details of %1 were not written: %2 was changed by another program since it was read.\n\n"
    "Refresh to see it as it is.";
inline constexpr char kSongnamesNeedCatalogues[] = "You must use album.ini files to be\nable to view and edit songnames.";
inline constexpr char kCataloguesTooLarge[] =
    "These album.ini files are larger than 64 MB and were not read; their songs show as files:\n";
// Playing.
inline constexpr char kPlaylistNotCreated[] = "Unable to create the playlistfile '%1'";
inline constexpr char kPlaylistNotAFile[] =
    "The playlistfile '%1' is no regular file (a pipe or a device?): nothing was written to it.";
inline constexpr char kSongsLeftOut[] =
    "%1 song(s) were left out of the playlist: a line break in a file name can't stand in a playlist.";
inline constexpr char kNoSongsToPlay[] = "Found no songs to play!";
inline constexpr char kNoProgram[] = "No program was given.";
inline constexpr char kCannotStart[] = "Cannot start \"%1\".";
inline constexpr char kCannotStartBecause[] = "Cannot start \"%1\": %2";
inline constexpr char kNoSuchProgram[] = "no such program";
inline constexpr char kNotExecutable[] = "not an executable file";
// Dialogs.
inline constexpr char kMustBeAlbumIni[] = "The file must be named album.ini!";
inline constexpr char kUnableToWriteThere[] = "Unable to write to that file!";
inline constexpr char kEnterArtist[] = "Please enter artistname!";
inline constexpr char kEnterAlbum[] = "Please enter album name!";
inline constexpr char kAlbumFileNotWritten[] = "Unable to write to the file \"%1\"";
inline constexpr char kNoSuchDecoder[] = "Sorry - Can't find such a program :-(";
}  // namespace msg

}  // namespace res
