#include "tree/play_time_reader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace tree {

PlayTimeReader::PlayTimeReader(std::string cacheFile, std::function<void()> woken)
    : m_cache(std::move(cacheFile)), m_woken(std::move(woken)), m_thread([this] { Run(); }) {}

PlayTimeReader::~PlayTimeReader() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
  m_thread.join();
  m_cache.Save();
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
  constexpr auto kWakeEvery = std::chrono::milliseconds(200);
  // The whole cache file is written each time: not more often than this while reading.
  constexpr auto kSaveEvery = std::chrono::seconds(5);
  auto lastWake = std::chrono::steady_clock::now();
  auto lastSave = lastWake - kSaveEvery;
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || !m_pending.empty(); });
    if (m_stop) return;
    const auto [song, path] = std::move(m_pending.back());
    m_pending.pop_back();
    m_reading = true;
    lock.unlock();
    const catalogue::PlayTime playTime = catalogue::ReadPlayTime(m_cache, path);
    lock.lock();
    m_reading = false;
    m_results.emplace_back(song, playTime ? static_cast<std::int64_t>(*playTime) : NodeFacts::kPlayTimeNone);
    const bool done = m_pending.empty();
    const auto now = std::chrono::steady_clock::now();
    if (done && now - lastSave >= kSaveEvery) {
      lastSave = now;
      lock.unlock();
      m_cache.Save();  // the cache alone is the thread's: the window need not wait
      lock.lock();
    }
    if (m_woken && (done || now - lastWake >= kWakeEvery)) {
      lastWake = now;
      lock.unlock();
      m_woken();
      lock.lock();
    }
  }
}

}  // namespace tree
