// The common base of the desktop components.
#pragma once

#include <utility>

#include "base/component.h"

namespace horalux {

class TabfComponent : public TComponent {
 public:
  using TComponent::TComponent;

  // The after-loading step: the owner calls it once every component of its window is
  // created and references between them are set, in creation order.
  virtual void Loaded() {}
};

// Fires an optional event.
template <class Event, class... Args>
void Fire(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

}  // namespace horalux
