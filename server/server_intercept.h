// TIdServerIntercept: gives each connection a server accepts an intercept of its own
// (a setting of the server; the program sets none).
//
// Thread-safety: Accept runs on the peer threads, several at a time; implementations
// must allow that.
#pragma once

#include <memory>

#include "base/component.h"
#include "net/connection_intercept.h"

namespace horalux {

class TIdTCPConnection;

class TIdServerIntercept : public TIdBaseComponent {
 public:
  using TIdBaseComponent::TIdBaseComponent;

  // A new intercept for `connection`, which owns it from then on; null for none.
  virtual std::unique_ptr<TIdConnectionIntercept> Accept(TIdTCPConnection& connection) = 0;
};

}  // namespace horalux
