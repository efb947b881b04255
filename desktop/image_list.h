// TImageList: an ordered list of images (of the toolkit's kind, toolkit.h) that tells the
// components registered with it whenever it changes, through a TChangeLink each.
//
// Thread-safety: main thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "base/component.h"
#include "desktop/toolkit.h"

namespace horalux {

class TImageList;

// One user's registration with an image list. Leaves the list when destroyed.
class TChangeLink {
 public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  // Called after every change of the list it is registered with.
  std::function<void()> OnChange;

 private:
  friend class TImageList;
  TImageList* sender_ = nullptr;
};

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner = nullptr) : TComponent(owner) {}
  ~TImageList() override;

  int Count() const noexcept { return static_cast<int>(images_.size()); }
  // Appends a copy of `image`; returns its index.
  int Add(const TIcon& image);
  // The image at `index`; null for an index outside the list.
  const TIcon* GetIcon(int index) const;

  // A link is registered with at most one list; registering moves it.
  void RegisterChanges(TChangeLink& link);
  void UnRegisterChanges(TChangeLink& link);

 private:
  void Change();

  std::vector<std::unique_ptr<TIcon>> images_;
  std::vector<TChangeLink*> links_;  // not owned; each clears itself out when destroyed
};

}  // namespace horalux
