// A growable array of plain values in one block from the C library's allocator.
//
// It does what std::vector does for such values, and two things a vector cannot: its block can be
// handed to an array of another plain type (a mesh's faces become the bytes of a record without a
// copy), and it grows by realloc, which for a large block remaps the pages rather than copying
// them. A record made from an array in place is then never held twice.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>

namespace platform {

template <class T>
class HeapArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "HeapArray holds plain values only: it moves them with realloc and memcpy");

 public:
  using value_type = T;
  using size_type = std::size_t;
  using iterator = T*;
  using const_iterator = const T*;

  HeapArray() noexcept = default;
  explicit HeapArray(std::size_t count) { resize(count); }
  HeapArray(std::initializer_list<T> values) { assign(values.begin(), values.end()); }
  template <class It, class = typename std::iterator_traits<It>::iterator_category>
  HeapArray(It first, It last) {
    assign(first, last);
  }
  HeapArray(const HeapArray& other) { assign(other.begin(), other.end()); }
  HeapArray(HeapArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  HeapArray& operator=(const HeapArray& other) {
    if (this != &other) assign(other.begin(), other.end());
    return *this;
  }
  HeapArray& operator=(HeapArray&& other) noexcept {
    if (this != &other) {
      std::free(data_);
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  ~HeapArray() { std::free(data_); }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  void reserve(std::size_t count) {
    if (count > capacity_) Reallocate(count);
  }
  void shrink_to_fit() {
    if (capacity_ > size_) Reallocate(size_);
  }
  void clear() { size_ = 0; }

  void resize(std::size_t count) {
    std::size_t old = size_;
    resize_for_overwrite(count);
    for (std::size_t i = old; i < count; ++i) new (data_ + i) T();
  }
  // Grows or shrinks to exactly `count` values, leaving new ones unset, for a caller that fills
  // them at once: a large block is then touched once, not cleared first.
  void resize_for_overwrite(std::size_t count) {
    if (count > capacity_) Grow(count);
    size_ = count;
  }

  void push_back(const T& value) {
    if (size_ == capacity_) Grow(size_ + 1);
    data_[size_++] = value;
  }

  template <class It>
  void assign(It first, It last) {
    clear();
    insert(end(), first, last);
  }
  template <class It>
  T* insert(const T* position, It first, It last) {
    const auto at = static_cast<std::size_t>(position - data_);
    const auto count = static_cast<std::size_t>(std::distance(first, last));
    if (count == 0) return data_ + at;
    if (size_ + count > capacity_) Grow(size_ + count);
    std::memmove(data_ + at + count, data_ + at, (size_ - at) * sizeof(T));
    std::copy(first, last, data_ + at);
    size_ += count;
    return data_ + at;
  }

  // The block handed to an array of another plain type: the same bytes, no copy. Values that do not
  // fill a whole value of the other type are dropped from the end.
  template <class U>
  HeapArray<U> Reinterpret() && {
    static_assert(alignof(U) <= alignof(std::max_align_t) && std::is_trivially_copyable_v<U>);
    HeapArray<U> out;
    out.data_ = reinterpret_cast<U*>(std::exchange(data_, nullptr));
    out.size_ = std::exchange(size_, 0) * sizeof(T) / sizeof(U);
    out.capacity_ = std::exchange(capacity_, 0) * sizeof(T) / sizeof(U);
    return out;
  }

  friend bool operator==(const HeapArray& a, const HeapArray& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  template <class U>
  friend class HeapArray;

  void Grow(std::size_t needed) {
    Reallocate(std::max({needed, capacity_ * 2, std::size_t{16} / sizeof(T) + 1}));
  }
  void Reallocate(std::size_t count) {
    if (count == 0) {
      std::free(data_);
      data_ = nullptr;
      capacity_ = 0;
      return;
    }
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* block = std::realloc(data_, count * sizeof(T));
    if (!block) throw std::bad_alloc();
    data_ = static_cast<T*>(block);
    capacity_ = count;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace platform
