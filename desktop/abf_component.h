// The common base of the desktop components, with its after-loading step, and the way
// their optional events are fired.
#pragma once

#include <string>
#include <utility>

#include "base/component.h"

namespace horalux {

class TabfComponent : public TComponent {
 public:
  using TComponent::TComponent;

  // The after-loading step: the owner calls it once every component of its window is
  // created and references between them are set, in creation order.
  virtual void Loaded() {}

  // Published and never stored: the components' credits.
  std::string About() const { return "Horalux desktop components"; }
};

// Fires an optional event.
template <class Event, class... Args>
void Fire(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

}  // namespace horalux
