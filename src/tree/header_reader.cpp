#include "tree/header_reader.h"

#include "catalogue/mp3_header.h"
#include "catalogue/song_tags.h"
#include "res/texts.h"

namespace tree {

SongFileTexts ReadSongFileTexts(const std::string& path) {
  SongFileTexts texts;
  const GMp3Header header(path.c_str());
  if (header.Found()) {
    texts.header =
        header.BitrateText() + (header.IsStereo() ? res::label::kStereo : res::label::kMono) + header.FrequencyText();
  }
  if (const auto tags = catalogue::ReadSongTags(path)) {
    const auto line = [&](const char* name, const std::string& value) {
      if (value.empty()) return;
      if (!texts.tags.empty()) texts.tags += '\n';
      texts.tags += name + value;
    };
    line(res::label::kTagArtist, tags->artist);
    line(res::label::kTagTitle, tags->title);
    line(res::label::kTagAlbum, tags->album);
    line(res::label::kTagTrack, tags->track ? std::to_string(tags->track) : std::string());
  }
  return texts;
}

HeaderReader::HeaderReader(std::function<void()> woken) : m_woken(std::move(woken)), m_thread([this] { Run(); }) {}

HeaderReader::~HeaderReader() {
  {
    const std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
  m_thread.join();
}

void HeaderReader::Request(Handle song, std::string path) {
  {
    const std::lock_guard lock(m_mutex);
    m_request.emplace(song, std::move(path));
  }
  m_wake.notify_one();
}

std::optional<std::pair<Handle, SongFileTexts>> HeaderReader::TakeResult() {
  const std::lock_guard lock(m_mutex);
  return std::exchange(m_result, std::nullopt);
}

void HeaderReader::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || m_request; });
    if (m_stop) return;
    const auto [song, path] = *std::exchange(m_request, std::nullopt);
    lock.unlock();
    SongFileTexts texts = ReadSongFileTexts(path);
    lock.lock();
    m_result.emplace(song, std::move(texts));
    if (m_woken) {
      lock.unlock();
      m_woken();
      lock.lock();
    }
  }
}

}  // namespace tree
