#include "search/held_text.h"

#include <algorithm>

namespace varsik {

std::string& THeldText::NewChunk(size_t size) {
  Before += Chunks[Used - 1].size();
  if (Used == Chunks.size()) Chunks.emplace_back();
  const size_t room = std::min(kFirstChunk << std::min<size_t>(Used, 8), kChunk);
  std::string& chunk = Chunks[Used++];
  chunk.clear();
  chunk.reserve(std::max(room, size));
  return chunk;
}

void THeldText::GiveBack() {
  Clear();
  Chunks.resize(1);
  if (Chunks.front().capacity() > kChunk) std::string().swap(Chunks.front());
}

}  // namespace varsik
