// Rewrites of an album.ini that change whole lines: renaming an album's section
// header, removing a song entry, removing an artist's sections. Each writes a
// temporary file beside the catalogue and puts it in place in one step; every line it
// does not change comes out byte for byte as it was; on any failure the catalogue
// stays as it was.
#pragma once

#include <string>

namespace catalogue {

enum class RewriteResult {
  Done,
  NotFound,    // nothing to change: the file is untouched
  ReadOnly,    // the catalogue is read-only (or missing): untouched
  Unwritable,  // the new name cannot be stored in the file, or writing failed: untouched
};

// Every header whose album name (after the first ":") equals oldName without regard
// to case becomes "[Album:newName]".
RewriteResult RenameAlbumSections(const std::string& catalogue, const std::string& oldName,
                                  const std::string& newName);

// Removes the entry of fileName (its first field) from the section of that album and
// renumbers the song keys after it in that section.
RewriteResult RemoveSongEntry(const std::string& catalogue, const std::string& section, const std::string& fileName);

// Removes every section whose "Artist" is artist (without regard to case); a
// catalogue left with nothing but blank lines is deleted.
RewriteResult RemoveArtistSections(const std::string& catalogue, const std::string& artist);

// Whether the file holds nothing but blank lines (or cannot be read).
bool HoldsOnlyBlankLines(const std::string& file);

}  // namespace catalogue
