#include "tree/play_time_reader.h"

#include <algorithm>

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

void PlayTimeReader::Request(std::vector<std::string> paths) {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(paths, [this](const std::string& path) { return m_known.contains(path); });
    std::reverse(paths.begin(), paths.end());  // the first asked is read first
    m_pending = std::move(paths);
  }
  m_wake.notify_one();
}

std::optional<catalogue::PlayTime> PlayTimeReader::Known(const std::string& path) const {
  const std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_known.find(path);
  if (found == m_known.end()) return std::nullopt;
  return found->second;
}

bool PlayTimeReader::Busy() const {
  const std::lock_guard<std::mutex> lock(m_mutex);
  return !m_pending.empty() || m_reading;
}

void PlayTimeReader::Run() {
  constexpr auto kWakeEvery = std::chrono::milliseconds(200);
  auto lastWake = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || !m_pending.empty(); });
    if (m_stop) return;
    const std::string path = std::move(m_pending.back());
    m_pending.pop_back();
    m_reading = true;
    lock.unlock();
    const catalogue::PlayTime playTime = catalogue::ReadPlayTime(m_cache, path);
    lock.lock();
    m_known[path] = playTime;
    m_reading = false;
    const bool done = m_pending.empty();
    if (done) {
      lock.unlock();
      m_cache.Save();  // the cache alone is the thread's: the window need not wait
      lock.lock();
    }
    const auto now = std::chrono::steady_clock::now();
    if (m_woken && (done || now - lastWake >= kWakeEvery)) {
      lastWake = now;
      lock.unlock();
      m_woken();
      lock.lock();
    }
  }
}

}  // namespace tree
