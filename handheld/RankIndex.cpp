#include "handheld/RankIndex.h"

#include <algorithm>

void CRankIndex::Build(std::size_t capacity) {
  std::vector<std::uint32_t> tree(capacity + 1, 0);
  for (std::size_t i = 1; i <= capacity; ++i) {
    if (i <= m_size) tree[i] += m_live[i - 1];
    const std::size_t parent = i + (i & (~i + 1));
    if (parent <= capacity) tree[parent] += tree[i];
  }
  m_tree.swap(tree);
  m_capacity = capacity;
}

void CRankIndex::Reset(std::size_t count) {
  // Callers reset to at most the size they had, so no memory is needed here
  // beyond what is held already.
  m_size = count;
  m_live.assign(count, 1);
  std::size_t capacity = 16;
  while (capacity < count) capacity *= 2;
  Build(capacity);
}

void CRankIndex::Reserve(std::size_t count) {
  if (count > m_live.capacity()) m_live.reserve(std::max(count, m_live.capacity() * 2));
  if (count > m_capacity) {
    std::size_t capacity = m_capacity == 0 ? 16 : m_capacity;
    while (capacity < count) capacity *= 2;
    Build(capacity);
  }
}

void CRankIndex::Append() {
  Reserve(m_size + 1);
  m_live.push_back(1);
  ++m_size;
  for (std::size_t i = m_size; i <= m_capacity; i += i & (~i + 1)) ++m_tree[i];
}

void CRankIndex::Remove(std::size_t position) {
  if (position >= m_size || m_live[position] == 0) return;
  m_live[position] = 0;
  for (std::size_t i = position + 1; i <= m_capacity; i += i & (~i + 1)) --m_tree[i];
}

std::size_t CRankIndex::Rank(std::size_t position) const {
  std::size_t sum = 0;
  for (std::size_t i = position; i > 0; i -= i & (~i + 1)) sum += m_tree[i];
  return sum;
}

std::size_t CRankIndex::Select(std::size_t rank) const {
  std::size_t position = 0;
  std::size_t remaining = rank + 1;
  std::size_t step = 1;
  while (step * 2 <= m_capacity) step *= 2;
  for (; step > 0; step /= 2) {
    const std::size_t next = position + step;
    if (next <= m_capacity && m_tree[next] < remaining) {
      position = next;
      remaining -= m_tree[next];
    }
  }
  return position;  // 0-based: the 1-based answer is position + 1
}
