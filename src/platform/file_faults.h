// A seam for tests: makes a chosen call of one of the file layer's steps fail, so that
// every rewrite can be shown to leave the old file or the complete new one, every
// reader to cope with a file it may not read (which root always may), and a program
// that cannot be started to be reported.
#pragma once

namespace platform {

enum class FileStep {
  Write,   // writing the bytes of a new file
  Fsync,   // flushing a new file to disk
  Rename,  // putting a rewritten file in place of the old one
  Move,    // renaming a file or folder the user renamed
  Read,    // reading a file whole, as when the user may not read it
  EditStep,  // the next step of an edit of several: "failing" kills the process there
  Fork,      // starting another program, as when the system has no room for a process
  NoReplace,  // a rename told not to replace its target, on a file system that cannot
              // refuse one itself (some network and FUSE file systems): EINVAL
  NameTaken,  // a temporary file's random name, taken already by another file
  Watch,      // watching a folder, past the system's limit of watches: ENOSPC
  OpenFolder,  // opening a folder, as one the user may not enter: EACCES
  EntryKind,   // an entry's kind in a listing, on a file system that does not give it
  ListFolder,  // reading a folder's listing, as on a failing disk: EIO
  kCount,
};

// The n-th call (1 for the next) of that step from now on fails, and so do the next
// count - 1 calls after it; 0 turns it off.
void FailFileStepAt(FileStep step, int nthCall, int count = 1);
void ClearFileFaults();

// For the file layer: counts the call and says whether it is to fail. Calls may come
// from several threads at once.
bool FileStepFails(FileStep step);

}  // namespace platform
