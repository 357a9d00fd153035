// The arrays a mesh loader fills: flags, vertex streams, faces and materials.
// Plain data; it cannot fail.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "assets/cMaterial.h"
#include "assets/mesh_flags.h"

// The corner indices of one face, a growing list like a vector. Up to four
// live inside the object, so that triangles and quads, nearly every face of
// a mesh, cost no allocation of their own.
class corner_list {
public:
  using value_type = uint16_t;
  using iterator = uint16_t *;
  using const_iterator = const uint16_t *;

  corner_list() = default;
  corner_list(std::initializer_list<uint16_t> values) { assign(values.begin(), values.end()); }
  corner_list(const corner_list &other) { assign(other.begin(), other.end()); }
  corner_list(corner_list &&other) noexcept { take(other); }
  corner_list &operator=(const corner_list &other) {
    if (this != &other)
      assign(other.begin(), other.end());
    return *this;
  }
  corner_list &operator=(corner_list &&other) noexcept {
    if (this != &other) {
      free_heap();
      take(other);
    }
    return *this;
  }
  corner_list &operator=(std::initializer_list<uint16_t> values) {
    assign(values.begin(), values.end());
    return *this;
  }
  ~corner_list() { free_heap(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint16_t *data() { return on_heap() ? heap_ : local_; }
  const uint16_t *data() const { return on_heap() ? heap_ : local_; }
  iterator begin() { return data(); }
  iterator end() { return data() + size_; }
  const_iterator begin() const { return data(); }
  const_iterator end() const { return data() + size_; }
  uint16_t &operator[](size_t i) { return data()[i]; }
  const uint16_t &operator[](size_t i) const { return data()[i]; }

  void clear() { size_ = 0; }
  void push_back(uint16_t value) {
    if (size_ == capacity_)
      reserve(size_t(capacity_) * 2);
    data()[size_++] = value;
  }
  void pop_back() { --size_; }
  void resize(size_t count, uint16_t value = 0) {
    reserve(count);
    std::fill(data() + std::min(count, size_t(size_)), data() + count, value);
    size_ = static_cast<uint32_t>(count);
  }
  void assign(size_t count, uint16_t value) {
    size_ = 0;
    resize(count, value);
  }
  void assign(const uint16_t *first, const uint16_t *last) {
    size_ = 0;
    reserve(static_cast<size_t>(last - first));
    std::copy(first, last, data());
    size_ = static_cast<uint32_t>(last - first);
  }
  void reserve(size_t count) {
    if (count <= capacity_)
      return;
    uint16_t *grown = new uint16_t[count];
    std::copy(begin(), end(), grown);
    free_heap();
    heap_ = grown;
    capacity_ = static_cast<uint32_t>(count);
  }

  friend bool operator==(const corner_list &a, const corner_list &b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
  friend bool operator!=(const corner_list &a, const corner_list &b) { return !(a == b); }
  friend bool operator==(const corner_list &a, const std::vector<uint16_t> &b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
  friend bool operator!=(const corner_list &a, const std::vector<uint16_t> &b) { return !(a == b); }

private:
  static constexpr uint32_t kLocal = 4;
  bool on_heap() const { return capacity_ > kLocal; }
  void free_heap() {
    if (on_heap())
      delete[] heap_;
    capacity_ = kLocal;
  }
  // Moves other's corners here and leaves other empty; this holds no heap.
  void take(corner_list &other) {
    size_ = other.size_;
    capacity_ = other.capacity_;
    if (other.on_heap())
      heap_ = other.heap_;
    else
      std::copy(other.local_, other.local_ + other.size_, local_);
    other.size_ = 0;
    other.capacity_ = kLocal;
  }

  uint32_t size_ = 0;
  uint32_t capacity_ = kLocal;
  union {
    uint16_t local_[kLocal] = {};
    uint16_t *heap_;
  };
};

// One face: zero-based indices into the position, texcoord and normal lists
// (the last two empty when the face has none) and its material, -1 for none.
struct obj_face {
  corner_list positions;
  corner_list texcoords;
  corner_list normals;
  int32_t material = -1;
};

class cMeshData {
public:
  virtual ~cMeshData() = default;

  uint8_t flags = 0;
  std::vector<float> positions; // x, y, z, w per position
  std::vector<float> normals;   // x, y, z per normal
  std::vector<float> texcoords; // u, v per texcoord
  std::vector<obj_face> faces;
  material_list materials;
};
