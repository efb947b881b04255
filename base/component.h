// The minimal component base: an owner frees the components it owns, newest first, and
// components that refer to one another ask to be told when the other is destroyed (free
// notification), so that references are cleared instead of left dangling.
// Not thread-safe: a component tree is built, used and destroyed on one thread at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace horalux {

enum class TOperation { opInsert, opRemove };

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const noexcept { return owner_; }
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  std::size_t ComponentCount() const noexcept { return components_.size(); }
  TComponent* Components(std::size_t index) const { return components_.at(index); }
  bool Destroying() const noexcept { return destroying_; }

  // From now on each of the two is told (Notification with opRemove) when the other one
  // is destroyed. Asking twice registers once.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Destroys a component made with `new T(owner, ...)` or MakeComponent and clears the
  // pointer. The component leaves its owner's list first, so the owner never frees it twice.
  template <class T>
  static void Free(T*& component) {
    delete component;  // component ownership: the one place a component is destroyed early
    component = nullptr;
  }

  // Tells this component and, in turn, every component it owns about a change.
  void Notify(TComponent* component, TOperation operation);

 protected:
  // Override to clear references to a component being destroyed. Runs on live objects.
  virtual void Notification(TComponent* component, TOperation operation);

  // Frees every owned component now, newest first. Derived destructors call it when owned
  // components must go while the derived object is still whole.
  void DestroyComponents();

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void SendFreeNotifications();

  TComponent* owner_;
  std::string name_;
  std::vector<TComponent*> components_;    // owned
  std::vector<TComponent*> freeNotifies_;  // referenced both ways, not owned
  bool destroying_ = false;
};

// Creates a component owned by `owner`; the owner frees it (or TComponent::Free does).
template <class T, class... Args>
T& MakeComponent(TComponent& owner, Args&&... args) {
  return *new T(&owner, std::forward<Args>(args)...);  // owner's list holds it
}

// An event that tells only who fired it.
using TNotifyEvent = std::function<void(TComponent& sender)>;

class TIdBaseComponent : public TComponent {
 public:
  using TComponent::TComponent;
};

}  // namespace horalux
