// The texts of the tree's nodes, packed into blocks that never move: a text handed
// out stays where it is until the store is cleared. Texts replaced or deleted stay
// too, until the owner gathers the live ones into a new store.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace tree {

class TextStore {
 public:
  // A copy of the text, cut at its first NUL as a C string would be.
  std::string_view Add(std::string_view text);
  // Bytes of all blocks.
  std::size_t Capacity() const { return m_capacity; }

 private:
  static constexpr std::size_t kBlockSize = 1 << 16;
  std::vector<std::unique_ptr<char[]>> m_blocks;
  char* m_free = nullptr;  // the unused end of the last block
  std::size_t m_left = 0;
  std::size_t m_capacity = 0;
};

}  // namespace tree
