// An image of the Win32 toolkit for the desktop components: an icon handle it owns.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "desktop/toolkit.h"

namespace horalux {

// An icon handle that destroys its icon.
struct IconDeleter {
  void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

class TWin32Icon : public TIcon {
 public:
  // Takes `icon` over.
  explicit TWin32Icon(UniqueIcon icon) : icon_(std::move(icon)) {}
  std::unique_ptr<TIcon> Clone() const override {
    return std::make_unique<TWin32Icon>(UniqueIcon(::CopyIcon(icon_.get())));
  }
  HICON Handle() const noexcept { return icon_.get(); }

  // The handle of an image of this toolkit; null for none.
  static HICON Of(const TIcon* image) {
    const auto* own = dynamic_cast<const TWin32Icon*>(image);
    return own != nullptr ? own->Handle() : nullptr;
  }

 private:
  UniqueIcon icon_;
};

}  // namespace horalux
