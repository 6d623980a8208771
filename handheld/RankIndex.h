#pragma once
// Positions in an append-only sequence, each live or removed, with logarithmic
// conversion between a position and its rank among the live positions (a
// Fenwick tree).  CPdbFile uses it to address records by index while removed
// records still occupy their slots.

#include <cstddef>
#include <cstdint>
#include <vector>

class CRankIndex {
 public:
  // `count` positions, all live.
  void Reset(std::size_t count);
  // Makes room for `count` positions, so that Append up to it cannot fail.
  void Reserve(std::size_t count);
  // One more live position at the end.
  void Append();
  // Marks a live position removed.
  void Remove(std::size_t position);
  std::size_t Size() const { return m_size; }
  // Number of live positions before `position`.
  std::size_t Rank(std::size_t position) const;
  // Position of the live position of rank `rank`; the caller ensures rank < live count.
  std::size_t Select(std::size_t rank) const;

 private:
  void Build(std::size_t capacity);

  std::vector<std::uint32_t> m_tree;  // 1-based Fenwick tree over m_capacity positions
  std::vector<std::uint8_t> m_live;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
};
