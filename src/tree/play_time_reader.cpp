#include "tree/play_time_reader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/halves.h"

namespace tree {

PlayTimeReader::PlayTimeReader(std::string cacheFile, std::function<void()> woken)
    : m_cacheFile(std::move(cacheFile)), m_woken(std::move(woken)), m_thread([this] { Run(); }) {}

PlayTimeReader::~PlayTimeReader() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
  m_thread.join();
  if (m_cache) m_cache->Save();
}

void PlayTimeReader::Request(std::vector<std::pair<Handle, std::string>> songs) {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    // The newest request is read first, its first song first.
    m_pending.insert(m_pending.end(), std::make_move_iterator(songs.rbegin()), std::make_move_iterator(songs.rend()));
  }
  m_wake.notify_one();
}

void PlayTimeReader::Forget() {
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_pending.clear();
  m_results.clear();
  ++m_forgotten;  // what is being read now is dropped too
}

std::vector<std::pair<Handle, std::int64_t>> PlayTimeReader::TakeResults() {
  const std::lock_guard<std::mutex> lock(m_mutex);
  return std::exchange(m_results, {});
}

bool PlayTimeReader::Busy() const {
  const std::lock_guard<std::mutex> lock(m_mutex);
  return !m_pending.empty() || m_reading || !m_results.empty();
}

void PlayTimeReader::Run() {
  // Reading yields to the window: this thread runs at a lower priority.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
  m_cache.emplace(m_cacheFile);
  constexpr auto kWakeEvery = std::chrono::milliseconds(200);
  // The whole cache file is written each time: not more often than this while reading.
  constexpr auto kSaveEvery = std::chrono::seconds(5);
  // The files of this many songs are looked at together, on two threads: most play
  // times come from the cache, and the look at the file is most of their cost.
  constexpr std::size_t kBatch = 4096;
  auto lastWake = std::chrono::steady_clock::now();
  auto lastSave = lastWake - kSaveEvery;
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || !m_pending.empty(); });
    if (m_stop) return;
    // The next songs to read, the first of them last, as in m_pending.
    const std::size_t count = std::min(m_pending.size(), kBatch);
    const auto taken = m_pending.end() - static_cast<std::ptrdiff_t>(count);
    std::vector<std::pair<Handle, std::string>> batch(std::make_move_iterator(taken),
                                                      std::make_move_iterator(m_pending.end()));
    m_pending.erase(taken, m_pending.end());
    const std::size_t olderRequests = m_pending.size();
    const std::uint64_t forgotten = m_forgotten;
    m_reading = true;
    lock.unlock();
    std::vector<std::optional<catalogue::SongFileStamp>> stamps(count);
    platform::InHalves(count, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) stamps[i] = catalogue::SongFileStampOf(batch[i].second);
    });
    lock.lock();
    for (std::size_t left = count; left > 0 && !m_stop && m_forgotten == forgotten; --left) {
      // A newer request is read first; the rest of the batch waits beneath it.
      if (m_pending.size() > olderRequests) {
        m_pending.insert(m_pending.begin() + static_cast<std::ptrdiff_t>(olderRequests),
                         std::make_move_iterator(batch.begin()),
                         std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(left)));
        break;
      }
      const auto& [song, path] = batch[left - 1];
      lock.unlock();
      const catalogue::PlayTime playTime = catalogue::ReadPlayTime(*m_cache, path, stamps[left - 1]);
      lock.lock();
      if (m_forgotten != forgotten) break;
      m_results.emplace_back(song, playTime ? static_cast<std::int64_t>(*playTime) : NodeFacts::kPlayTimeNone);
      const auto now = std::chrono::steady_clock::now();
      if (m_woken && now - lastWake >= kWakeEvery) {
        lastWake = now;
        lock.unlock();
        m_woken();
        lock.lock();
      }
    }
    m_reading = false;
    if (m_stop) return;
    const bool done = m_pending.empty();
    const auto now = std::chrono::steady_clock::now();
    if (done && now - lastSave >= kSaveEvery) {
      lastSave = now;
      lock.unlock();
      m_cache->Save();  // the cache alone is the thread's: the window need not wait
      lock.lock();
    }
    if (m_woken && done) {
      lastWake = now;
      lock.unlock();
      m_woken();
      lock.lock();
    }
  }
}

}  // namespace tree
