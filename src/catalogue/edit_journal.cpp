#include "catalogue/edit_journal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string_view>

#include "catalogue/catalogue_rewrite.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/xdg.h"

namespace catalogue {
namespace {

constexpr std::string_view kSignature = "melodeck journal 1\n";
constexpr std::string_view kEnd = "end\n";

std::string JournalFolder() { return platform::CacheFolder() + "journal/"; }

void PutField(std::string& out, std::string_view field) {
  out += std::to_string(field.size());
  out += ':';
  out += field;
}

bool TakeField(std::string_view& in, std::string& field) {
  const size_t colon = in.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 12) return false;
  size_t length = 0;
  for (const char c : in.substr(0, colon)) {
    if (c < '0' || c > '9') return false;
    length = length * 10 + static_cast<size_t>(c - '0');
  }
  if (in.size() - colon - 1 < length) return false;
  field.assign(in.substr(colon + 1, length));
  in.remove_prefix(colon + 1 + length);
  return true;
}

std::string Serialise(const std::vector<JournalStep>& steps) {
  std::string out(kSignature);
  for (const JournalStep& step : steps) {
    out += step.kind == JournalStep::Kind::Move ? 'M' : step.kind == JournalStep::Kind::Write ? 'W' : 'R';
    for (const std::string* field : {&step.file, &step.to, &step.section, &step.key, &step.value, &step.oldBytes,
                                     &step.newBytes}) {
      PutField(out, *field);
    }
    out += '\n';
  }
  out += kEnd;
  return out;
}

// The steps of a whole note; nothing for a note cut short while it was written (its
// edit had not begun) or one that is none of ours.
std::optional<std::vector<JournalStep>> Parse(std::string_view in) {
  if (!in.starts_with(kSignature)) return std::nullopt;
  in.remove_prefix(kSignature.size());
  std::vector<JournalStep> steps;
  while (!in.starts_with(kEnd)) {
    if (in.empty()) return std::nullopt;
    JournalStep step;
    const char kind = in.front();
    if (kind != 'M' && kind != 'W' && kind != 'R') return std::nullopt;
    step.kind = kind == 'M' ? JournalStep::Kind::Move : kind == 'W' ? JournalStep::Kind::Write : JournalStep::Kind::Replace;
    in.remove_prefix(1);
    for (std::string* field : {&step.file, &step.to, &step.section, &step.key, &step.value, &step.oldBytes,
                               &step.newBytes}) {
      if (!TakeField(in, *field)) return std::nullopt;
    }
    if (!in.starts_with('\n')) return std::nullopt;
    in.remove_prefix(1);
    steps.push_back(std::move(step));
  }
  return steps;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

EditJournal::EditJournal(const std::vector<JournalStep>& steps) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = JournalFolder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string name = std::to_string(::getpid()) + "-" + std::to_string(counter++);
  const std::string writing = folder + "tmp-" + name;
  // Locked before it is written and renamed into place once whole, so no one finishes
  // an edit from a note in the making.
  const int fd = ::open(writing.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  m_path = folder + "edit-" + name;
  if (::flock(fd, LOCK_EX) != 0 || !WriteAll(fd, Serialise(steps)) || ::fsync(fd) != 0 ||
      ::rename(writing.c_str(), m_path.c_str()) != 0) {
    ::unlink(writing.c_str());
    ::close(fd);
    return;
  }
  m_fd = fd;
}

EditJournal::~EditJournal() {
  if (m_fd < 0) return;
  ::unlink(m_path.c_str());
  ::close(m_fd);
}

void EditJournal::BeforeStep() {
  if (platform::FileStepFails(platform::FileStep::EditStep)) ::kill(::getpid(), SIGKILL);
}

void FinishStep(const JournalStep& step) {
  switch (step.kind) {
    case JournalStep::Kind::Move:
      if (platform::PathExists(step.file) && !platform::PathExists(step.to)) platform::MoveFile(step.file, step.to);
      return;
    case JournalStep::Kind::Write:
      if (platform::PathExists(step.file)) {
        platform::ProfileWrite(step.file, step.section.c_str(), step.key.c_str(), step.value.c_str());
      }
      return;
    case JournalStep::Kind::Replace: {
      std::string current;
      if (platform::ReadRegularFile(step.file, current, platform::kMaxProfileSize) != platform::ReadResult::Done ||
          current != step.oldBytes) {
        return;  // done already, gone, or changed by another program since
      }
      if (IsBlankCatalogue(step.newBytes)) {
        platform::DeleteFile(step.file);
      } else {
        platform::ReplaceFileAtomically(step.file, step.newBytes);
      }
      return;
    }
  }
}

void EditJournal::FinishLeftEdits() {
  const std::string folder = JournalFolder();
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  for (const platform::DirEntry& entry : entries.value_or(std::vector<platform::DirEntry>{})) {
    if (!entry.name.starts_with("edit-") && !entry.name.starts_with("tmp-")) continue;
    const std::string path = folder + entry.name;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // an edit in progress
      ::close(fd);
      continue;
    }
    std::string contents;
    char buffer[1 << 16];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) contents.append(buffer, static_cast<size_t>(got));
    if (entry.name.starts_with("edit-")) {
      if (const auto steps = Parse(contents)) {
        for (const JournalStep& step : *steps) FinishStep(step);
      }
    }
    ::unlink(path.c_str());
    ::close(fd);
  }
}

}  // namespace catalogue
