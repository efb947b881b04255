#include "app/view_binding.h"

namespace horalux {

void TViewBinding::Bind() {
  const std::lock_guard lock(mutex_);
  token_ = std::make_shared<const int>(0);
}

void TViewBinding::Unbind() {
  const std::lock_guard lock(mutex_);
  token_.reset();
}

std::function<void()> TViewBinding::Keep(std::function<void()> work) {
  const std::lock_guard lock(mutex_);
  return [binding = std::weak_ptr(token_), work = std::move(work)] {
    if (binding.lock() != nullptr) work();
  };
}

}  // namespace horalux
