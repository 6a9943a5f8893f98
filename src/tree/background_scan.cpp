#include "tree/background_scan.h"

#include <vector>

#include "tree/library_scanner.h"

namespace tree {

BackgroundScan::BackgroundScan(std::string pathList, ScanContext context)
    : m_pathList(std::move(pathList)), m_context(std::move(context)) {
  m_top = TreeItem(kNullHandle, &m_model).AddChild("", NodeKind::Top);
  m_context.progress = &m_progress;
  m_context.stamps = &m_stamps;
}

BackgroundScan::~BackgroundScan() {
  Stop();
  if (m_thread.joinable()) m_thread.join();
}

void BackgroundScan::Start(std::function<void()> finished) {
  m_onFinished = std::move(finished);
  m_thread = std::thread([this] { Run(); });
}

void BackgroundScan::Run() {
  LibraryScanner(m_top, m_context).ScanPaths(m_pathList);
  // Every node with songs beneath it: one listing of its folder each.
  std::vector<TreeItem> pending{m_top};
  while (!pending.empty() && !Stopped()) {
    const TreeItem node = pending.back();
    pending.pop_back();
    bool songs = false;
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      if (IsSong(KindOf(child))) {
        songs = true;
      } else {
        pending.push_back(child);
      }
    }
    if (songs) m_librarySize += ListSongSizes(node, m_context.displayMode);
  }
  m_finished.store(true, std::memory_order_release);
  if (m_onFinished) m_onFinished();
}

}  // namespace tree
