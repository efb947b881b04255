// TImageList: images of one size (the system's image list), each kept as an icon. The
// notification-area icon takes its image from one by index.
//
// Thread-safety: main thread only.
#pragma once

// windows.h first: the other system headers take its types.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace horalux {

// An icon handle that destroys its icon.
struct IconDeleter {
  void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

class TImageList {
 public:
  // Throws std::runtime_error when the system makes no list.
  TImageList(int width, int height);
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  // Adds a copy of `icon` at the end; the caller keeps its own.
  void AddIcon(HICON icon);
  int Count() const;
  int Width() const noexcept { return width_; }
  // A new icon of the image at `index`; empty for an index outside the list.
  UniqueIcon NewIcon(int index) const;
  HIMAGELIST Handle() const noexcept { return list_; }

 private:
  int width_;
  HIMAGELIST list_;
};

}  // namespace horalux
