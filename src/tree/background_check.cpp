#include "tree/background_check.h"

#include <utility>

#include "platform/filesystem.h"
#include "tree/saved_tree.h"

namespace tree {

BackgroundCheck::BackgroundCheck(std::vector<FolderStamp> stamps, First first)
    : m_stamps(std::move(stamps)), m_first(std::move(first)) {}

BackgroundCheck::~BackgroundCheck() {
  if (m_thread.joinable()) m_thread.join();
}

void BackgroundCheck::Start(std::function<void()> finished) {
  m_thread = std::thread([this, finished = std::move(finished)] {
    if (m_first) m_first(m_stamps);
    m_startedNs = platform::WallClockNs();
    m_changed = ChangedFolders(m_stamps, &m_stop);
    m_finished.store(true, std::memory_order_release);
    if (finished) finished();
  });
}

}  // namespace tree
