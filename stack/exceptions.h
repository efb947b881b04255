// The exception tree of the network layer, rooted at EIdException.
// Callers tell failures apart by class; every class carries its message text, and
// EIdSocketError and EIdProtocolReplyError also carry a number. All are thrown by value
// and caught by reference.
#pragma once

#include <string>
#include <utility>

#include "base/exceptions.h"

namespace horalux {

class EIdException : public Exception {
  using Exception::Exception;
};

class EIdAlreadyConnected : public EIdException {
  using EIdException::EIdException;
};

// Marks failures that are the normal end of a conversation.
class EIdSilentException : public EIdException {
  using EIdException::EIdException;
};
class EIdConnClosedGracefully : public EIdSilentException {
  using EIdSilentException::EIdSilentException;
};

class EIdReadTimeout : public EIdException {
  using EIdException::EIdException;
};
class EIdInvalidServiceName : public EIdException {
  using EIdException::EIdException;
};

class EIdProtocolReplyError : public EIdException {
 public:
  EIdProtocolReplyError(int replyCode, std::string message)
      : EIdException(std::move(message)), replyCode_(replyCode) {}
  int replyCode() const noexcept { return replyCode_; }

 private:
  int replyCode_;
};

class EIdConnectTimeout : public EIdException {
  using EIdException::EIdException;
};
class EIdConnectException : public EIdException {
  using EIdException::EIdException;
};
class EIdNotConnected : public EIdException {
  using EIdException::EIdException;
};
class EIdInvalidSocket : public EIdException {
  using EIdException::EIdException;
};

class EIdSocketError : public EIdException {
 public:
  EIdSocketError(int errorCode, std::string message)
      : EIdException(std::move(message)), errorCode_(errorCode) {}
  // The socket error code in WinSock numbering.
  int errorCode() const noexcept { return errorCode_; }

 private:
  int errorCode_;
};

class EIdClosedSocket : public EIdException {
  using EIdException::EIdException;
};
class EIdStackCanNotLoadWinsock : public EIdException {
  using EIdException::EIdException;
};

class EIdStackError : public EIdException {
  using EIdException::EIdException;
};
class EIdStackInitializationFailed : public EIdStackError {
  using EIdStackError::EIdStackError;
};
class EIdStackSetSizeExceeded : public EIdStackError {
  using EIdStackError::EIdStackError;
};

class EIdSocketHandleError : public EIdException {
  using EIdException::EIdException;
};
class EIdCouldNotBindSocket : public EIdSocketHandleError {
  using EIdSocketHandleError::EIdSocketHandleError;
};
class EIdCanNotBindPortInRange : public EIdSocketHandleError {
  using EIdSocketHandleError::EIdSocketHandleError;
};
class EIdInvalidPortRange : public EIdSocketHandleError {
  using EIdSocketHandleError::EIdSocketHandleError;
};

class EIdTCPConnectionError : public EIdException {
  using EIdException::EIdException;
};
class EIdNotEnoughDataInBuffer : public EIdTCPConnectionError {
  using EIdTCPConnectionError::EIdTCPConnectionError;
};
class EIdNoDataToRead : public EIdTCPConnectionError {
  using EIdTCPConnectionError::EIdTCPConnectionError;
};

class EIdThreadMgrError : public EIdException {
  using EIdException::EIdException;
};
class EIdThreadClassNotSpecified : public EIdThreadMgrError {
  using EIdThreadMgrError::EIdThreadMgrError;
};

class EIdTCPServerError : public EIdException {
  using EIdException::EIdException;
};
class EIdNoExecuteSpecified : public EIdTCPServerError {
  using EIdTCPServerError::EIdTCPServerError;
};
class EIdTerminateThreadTimeout : public EIdTCPServerError {
  using EIdTCPServerError::EIdTCPServerError;
};

// Proxy negotiation errors. The program never negotiates with a proxy; the classes keep
// the tree complete for callers that catch them by base.
class EIdSocksError : public EIdException {
  using EIdException::EIdException;
};
#define HORALUX_SOCKS_ERROR(Name)       \
  class Name : public EIdSocksError {   \
    using EIdSocksError::EIdSocksError; \
  }
HORALUX_SOCKS_ERROR(EIdSocksRequestFailed);
HORALUX_SOCKS_ERROR(EIdSocksRequestServerFailed);
HORALUX_SOCKS_ERROR(EIdSocksRequestIdentFailed);
HORALUX_SOCKS_ERROR(EIdSocksUnknownError);
HORALUX_SOCKS_ERROR(EIdSocksServerRespondError);
HORALUX_SOCKS_ERROR(EIdSocksAuthMethodError);
HORALUX_SOCKS_ERROR(EIdSocksAuthError);
HORALUX_SOCKS_ERROR(EIdSocksServerGeneralError);
HORALUX_SOCKS_ERROR(EIdSocksServerPermissionError);
HORALUX_SOCKS_ERROR(EIdSocksServerNetUnreachableError);
HORALUX_SOCKS_ERROR(EIdSocksServerHostUnreachableError);
HORALUX_SOCKS_ERROR(EIdSocksServerConnectionRefusedError);
HORALUX_SOCKS_ERROR(EIdSocksServerTTLExpiredError);
HORALUX_SOCKS_ERROR(EIdSocksServerCommandError);
HORALUX_SOCKS_ERROR(EIdSocksServerAddressError);
#undef HORALUX_SOCKS_ERROR

}  // namespace horalux
