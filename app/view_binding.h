// The tie between a view and the controller bound to it, for work the view runs later
// (posted from a connection's thread, or after a delay): such work belongs to the
// controller that asked, so it is dropped once that controller is unbound, also when
// another one is bound meanwhile.
//
// Thread-safety: Keep may be called from any thread; Bind and Unbind belong to the main
// thread, where the kept work runs.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

namespace horalux {

class TViewBinding {
 public:
  void Bind();
  void Unbind();
  // `work`, to run only while this binding lasts.
  std::function<void()> Keep(std::function<void()> work);

 private:
  std::mutex mutex_;
  std::shared_ptr<const int> token_;  // guarded by mutex_; a binding's identity
};

}  // namespace horalux
