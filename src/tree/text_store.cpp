#include "tree/text_store.h"

#include <algorithm>
#include <cstring>

namespace tree {

std::string_view TextStore::Add(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return std::string_view("", 0);
  if (text.size() > m_left) {
    // A long text gets a block of its own; the last block keeps its free end.
    const std::size_t size = std::max(text.size(), kBlockSize);
    auto block = std::make_unique<char[]>(size);
    char* start = block.get();
    m_capacity += size;
    if (size > kBlockSize) {
      m_blocks.push_back(std::move(block));
      std::memcpy(start, text.data(), text.size());
      return {start, text.size()};
    }
    m_blocks.push_back(std::move(block));
    m_free = start;
    m_left = size;
  }
  char* start = m_free;
  std::memcpy(start, text.data(), text.size());
  m_free += text.size();
  m_left -= text.size();
  return {start, text.size()};
}

}  // namespace tree
