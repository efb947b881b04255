// TIdBuffer: a growable block of bytes with a size and a read position, used as a
// connection's input buffer and receive chunk, and as the stream an intercept is handed.
// Not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace horalux {

class TIdBuffer {
 public:
  std::int32_t Size() const noexcept { return static_cast<std::int32_t>(bytes_.size()); }
  // Grows with zero bytes or cuts the end off; keeps the position within the new size.
  void SetSize(std::int32_t size);
  std::uint8_t* Memory() noexcept { return bytes_.data(); }
  const std::uint8_t* Memory() const noexcept { return bytes_.data(); }

  std::int32_t Position = 0;

  void Append(const void* data, std::int32_t count);
  // Drops `count` bytes from the front, moving the rest forward. Requires count <= Size().
  void RemoveFront(std::int32_t count);
  void Clear() noexcept;
  // Reads up to `count` bytes from the position on; returns how many were read.
  std::int32_t Read(void* destination, std::int32_t count);
  std::string ToString() const { return std::string(bytes_.begin(), bytes_.end()); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace horalux
