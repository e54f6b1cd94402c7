// One table of the element store: elements in input order, kept in blocks of about 16 KB.
//
// A drawing with millions of elements then grows without copying a table and without holding
// an old and a new copy at once, and without an allocation every few elements: a block holds
// hundreds of small elements. Index it like a vector.
#pragma once

#include <bit>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace sorea {

template <typename T>
class BlockTable {
  // A power of two, so that an index splits into block and place with a shift and a mask.
  static constexpr std::size_t kPerBlock =
      std::bit_floor(sizeof(T) >= 16384 ? std::size_t{1} : 16384 / sizeof(T));
  static constexpr int kShift = std::countr_zero(kPerBlock);

 public:
  template <bool Const>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = std::conditional_t<Const, const T*, T*>;
    using reference = std::conditional_t<Const, const T&, T&>;
    using Owner = std::conditional_t<Const, const BlockTable, BlockTable>;

    Iterator() = default;
    Iterator(Owner* table, std::size_t index) : table_(table), index_(index) {}
    reference operator*() const { return (*table_)[index_]; }
    pointer operator->() const { return &(*table_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++index_;
      return before;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    Owner* table_ = nullptr;
    std::size_t index_ = 0;
  };

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](std::size_t i) { return blocks_[i >> kShift][i & (kPerBlock - 1)]; }
  const T& operator[](std::size_t i) const { return blocks_[i >> kShift][i & (kPerBlock - 1)]; }
  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }

  Iterator<false> begin() { return {this, 0}; }
  Iterator<false> end() { return {this, size_}; }
  Iterator<true> begin() const { return {this, 0}; }
  Iterator<true> end() const { return {this, size_}; }

  // Out of memory leaves the table as it was.
  template <typename... Args>
  T& emplace_back(Args&&... args) {
    if ((size_ & (kPerBlock - 1)) == 0) {
      std::vector<T> block;
      block.reserve(kPerBlock);
      block.emplace_back(std::forward<Args>(args)...);
      blocks_.push_back(std::move(block));
    } else {
      blocks_.back().emplace_back(std::forward<Args>(args)...);
    }
    ++size_;
    return back();
  }
  void push_back(const T& value) { emplace_back(value); }
  void push_back(T&& value) { emplace_back(std::move(value)); }

  void pop_back() {
    blocks_.back().pop_back();
    if (blocks_.back().empty()) blocks_.pop_back();
    --size_;
  }

  // Empties the table and gives its memory back.
  void Release() {
    std::vector<std::vector<T>>().swap(blocks_);
    size_ = 0;
  }

 private:
  std::vector<std::vector<T>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace sorea
