// EditJournal: an edit that takes several steps (a song file moved, then its entry
// rewritten; an artist renamed in several catalogues) writes down what it will do
// before its first step and removes that note after its last. Should the program die
// in between, the next scan finishes the edit from the note. Notes are kept in the
// cache folder's "journal/"; a running edit holds a lock on its own.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace catalogue {

// One step, stated so that doing it twice does no harm.
struct JournalStep {
  enum class Kind { Move, Write, Replace };
  Kind kind = Kind::Move;
  std::string file;     // Move: from; Write and Replace: the catalogue
  std::string to;       // Move: to
  std::string section;  // Write: the profile value written
  std::string key;
  std::string value;
  std::string oldBytes;  // Replace: the file as the edit found it, and as it leaves it
  std::string newBytes;  // (nothing but blank lines: the file is deleted)

  static JournalStep Move(std::string from, std::string to) {
    JournalStep step;
    step.file = std::move(from);
    step.to = std::move(to);
    return step;
  }
  static JournalStep Write(std::string file, std::string section, std::string key, std::string value) {
    JournalStep step;
    step.kind = Kind::Write;
    step.file = std::move(file);
    step.section = std::move(section);
    step.key = std::move(key);
    step.value = std::move(value);
    return step;
  }
  static JournalStep Replace(std::string file, std::string oldBytes, std::string newBytes) {
    JournalStep step;
    step.kind = Kind::Replace;
    step.file = std::move(file);
    step.oldBytes = std::move(oldBytes);
    step.newBytes = std::move(newBytes);
    return step;
  }
};

class EditJournal {
 public:
  // Writes the note; Started() says whether it could (without one the edit must not start).
  explicit EditJournal(const std::vector<JournalStep>& steps);
  ~EditJournal();  // removes the note: the edit ended, done or undone
  EditJournal(const EditJournal&) = delete;
  EditJournal& operator=(const EditJournal&) = delete;

  bool Started() const { return m_fd >= 0; }
  // Called before each step: where tests kill the process (FileStep::EditStep).
  static void BeforeStep();

  // Finishes the edits whose notes no running edit holds, then removes the notes.
  static void FinishLeftEdits();

 private:
  std::string m_path;
  int m_fd = -1;
};

// Carries out one step as the finishing of a left edit does: a move when the file is
// still where it was and its new name is free; a value write; a replacement when the
// file is as the edit found it (a file another program changed since is left alone).
void FinishStep(const JournalStep& step);

}  // namespace catalogue
