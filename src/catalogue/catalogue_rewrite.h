// Rewrites of an album.ini that change whole lines: renaming an album's section
// header, removing a song entry, removing an artist's sections. Each writes a
// temporary file beside the catalogue and puts it in place in one step; every line it
// does not change comes out byte for byte as it was; on any failure the catalogue
// stays as it was.
#pragma once

#include <string>
#include <vector>

namespace catalogue {

enum class RewriteResult {
  Done,
  NotFound,    // nothing to change: the file is untouched
  ReadOnly,    // the catalogue is read-only (or missing): untouched
  Unwritable,  // the new name cannot be stored in the file, or writing failed: untouched
  Collides,    // another section already has the new name: untouched
};

// Whether a rewrite of the file could start: it exists, is a regular file we may
// write and can be read whole (Done), or why not (ReadOnly).
RewriteResult CheckRewritable(const std::string& catalogue);

// Every header of the section "Album:oldName" (without regard to case) becomes
// "[Album:newName]". Refused when another section names the album newName.
RewriteResult RenameAlbumSections(const std::string& catalogue, const std::string& oldName,
                                  const std::string& newName);

// Removes the entry of fileName (its first field) from the section of that album and
// renumbers the song keys after it in that section.
// position: the song's place in its album, for a section that lists the file twice.
RewriteResult RemoveSongEntry(const std::string& catalogue, const std::string& section, const std::string& fileName,
                              size_t position);

// Removes every section whose "Artist" is artist (without regard to case); a
// catalogue left with nothing but blank lines is deleted. RemoveArtist does it in
// several catalogues as one change, as RenameArtist does.
RewriteResult RemoveArtistSections(const std::string& catalogue, const std::string& artist);
RewriteResult RemoveArtist(const std::vector<std::string>& catalogues, const std::string& artist);

// Rewrites "Artist" where it equals oldName (both trimmed, without regard to case)
// in every section of every file, as one change: every file is checked first, and
// when a later file fails the earlier ones are put back; a kill half way is finished
// by the next scan (EditJournal).
RewriteResult RenameArtist(const std::vector<std::string>& catalogues, const std::string& oldName,
                           const std::string& newName);

// Whether the file holds nothing but blank lines. A file that cannot be read is not
// known to: false.
bool HoldsOnlyBlankLines(const std::string& file);
// Whether a catalogue's bytes hold nothing but blank lines, in any encoding.
bool IsBlankCatalogue(std::string bytes);

}  // namespace catalogue
