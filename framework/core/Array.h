#pragma once
// Zero-based array with an upper bound, as the system's properties use them.
// An index outside 0..Ubound raises OutOfBoundsException.
#include <cstdint>
#include <vector>

#include "framework/core/Exceptions.h"

namespace fw {

template <class T>
class Array {
 public:
  Array() = default;
  // ubound -1 gives an empty array; n gives n + 1 default elements.
  explicit Array(int32_t ubound) : cells_(ubound < 0 ? 0 : static_cast<size_t>(ubound) + 1) {}
  explicit Array(std::vector<T> values) {
    cells_.reserve(values.size());
    for (auto& v : values) cells_.push_back(Cell{std::move(v)});
  }

  int32_t Ubound() const { return static_cast<int32_t>(cells_.size()) - 1; }
  int32_t Count() const { return static_cast<int32_t>(cells_.size()); }

  T& operator()(int32_t i) { return cells_[Checked(i)].value; }
  const T& operator()(int32_t i) const { return cells_[Checked(i)].value; }

  // The element, or `fallback` when i lies outside the array.
  T ValueOr(int32_t i, T fallback) const {
    if (i < 0 || i > Ubound()) return fallback;
    return cells_[static_cast<size_t>(i)].value;
  }

  void Append(T value) { cells_.push_back(Cell{std::move(value)}); }

 private:
  struct Cell {
    T value{};
  };
  size_t Checked(int32_t i) const {
    if (i < 0 || i > Ubound())
      throw OutOfBoundsException("index " + std::to_string(i) + " outside 0.." +
                                 std::to_string(Ubound()));
    return static_cast<size_t>(i);
  }
  std::vector<Cell> cells_;
};

}  // namespace fw
