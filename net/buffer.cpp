#include "net/buffer.h"

#include <algorithm>
#include <cstring>

namespace horalux {

void TIdBuffer::SetSize(std::int32_t size) {
  bytes_.resize(static_cast<std::size_t>(std::max(0, size)));
  Position = std::min(Position, Size());
}

void TIdBuffer::Append(const void* data, std::int32_t count) {
  if (count <= 0) return;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void TIdBuffer::RemoveFront(std::int32_t count) {
  if (count <= 0) return;
  if (count >= Size()) {
    Clear();
    return;
  }
  bytes_.erase(bytes_.begin(), bytes_.begin() + count);
  Position = std::max(0, Position - count);
}

void TIdBuffer::Clear() noexcept {
  bytes_.clear();
  Position = 0;
}

std::int32_t TIdBuffer::Read(void* destination, std::int32_t count) {
  const std::int32_t available = std::max(0, Size() - Position);
  const std::int32_t n = std::clamp(count, 0, available);
  if (n > 0) std::memcpy(destination, bytes_.data() + Position, static_cast<std::size_t>(n));
  Position += n;
  return n;
}

}  // namespace horalux
