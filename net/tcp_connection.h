// TIdTCPConnection: one TCP connection as a byte stream with an input buffer. It receives
// in chunks into the buffer, hands out exact numbers of bytes (32-bit values in network
// order), sends directly, notices a peer that closed, and tears down with status events.
// All socket work goes through its I/O handler.
//
// Thread-safety: one thread uses a connection at a time, except that a server stopping
// may close its socket from another thread (CloseSocketOnly); the flags that crossing
// touches are atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

#include "net/buffer.h"
#include "net/connection_intercept.h"
#include "net/id_component.h"
#include "net/io_handler.h"

namespace horalux {

// Makes the exception that RaiseWithLastReply raises, from a message.
using TIdExceptionClass = std::function<std::exception_ptr(const std::string& message)>;

template <class E>
TIdExceptionClass ExceptionClass() {
  return [](const std::string& message) { return std::make_exception_ptr(E(message)); };
}

class TIdTCPConnection : public TIdComponent {
 public:
  explicit TIdTCPConnection(TComponent* owner = nullptr);
  ~TIdTCPConnection() override;

  bool ASCIIFilter = false;
  TNotifyEvent OnDisconnected;
  std::int32_t ReadTimeout = 0;  // ms for UseDefaultTimeout; 0 waits without limit
  std::int32_t RecvBufferSize = 32768;
  std::int32_t SendBufferSize = 32768;

  TIdIOHandler* IOHandler() const noexcept { return ioHandler_; }
  // Referenced, not owned; the reference is cleared when the handler is destroyed.
  void SetIOHandler(TIdIOHandler* handler);
  TIdConnectionIntercept* Intercept() const noexcept { return intercept_; }
  void SetIntercept(TIdConnectionIntercept* intercept);

  // The time protocol's road.
  virtual void FireDisconnected();
  virtual void ResetInputState();
  // Waits for data and appends one receive to the input buffer. Returns the bytes
  // received, 0 when the connection is closed, -1 when the wait ran out and
  // raiseOnTimeout is false. Throws EIdReadTimeout, EIdConnClosedGracefully, EIdSocketError.
  virtual std::int32_t ReceiveChunk(bool raiseIfDisconnected, std::int32_t timeout,
                                    bool raiseOnTimeout);
  // Throws EIdConnClosedGracefully when disconnected, asked to, and (the buffer is empty
  // or ignoreBuffer).
  virtual void DetectDisconnect(bool raiseIfDisconnected, bool ignoreBuffer);
  virtual bool IsConnected();
  std::int32_t InputByteCount() const noexcept { return inputBuffer_.Size(); }
  // Throws EIdNotEnoughDataInBuffer when more is asked for than is buffered.
  virtual void ConsumeInput(std::int32_t count);
  void ReadExact(void* destination, std::int32_t count);
  std::uint32_t ReadUInt32(bool convert = true);
  void WriteUInt32(std::uint32_t value, bool convert = true);
  void WriteInt32(std::int32_t value, bool convert = true);
  // Sends all `count` bytes; `writeNow` has no effect (nothing is ever held back).
  void SendRaw(const void* source, std::int32_t count, bool writeNow = false);
  virtual void CloseSocketOnly();
  virtual void CloseConnection();

  // Line, text, reply and stream operations (tcp_connection_text.cpp).
  std::string ReadAvailableText();
  virtual std::string ReadAllText();
  virtual std::string TakeText(std::int32_t count);
  virtual std::string ReadLine(const std::string& terminator = {},
                               std::int32_t timeout = UseDefaultTimeout);
  std::string ReadNonBlankLine();
  void ReadReplyLines();
  std::string LastReplyLine() const;
  const std::vector<std::string>& ReplyLines() const noexcept { return replyLines_; }
  std::int32_t LastReplyCode() const noexcept { return lastReplyCode_; }
  bool ReadLineTimedOut() const noexcept { return readLineTimedOut_; }
  virtual std::int32_t ReadReplyCode(const std::vector<std::int16_t>& allowed = {});
  virtual std::int32_t CheckReplyCode(std::int32_t code, const std::vector<std::int16_t>& allowed);
  [[noreturn]] virtual void RaiseReplyError();
  [[noreturn]] virtual void RaiseWithLastReply(const TIdExceptionClass& exceptionClass);
  virtual std::int32_t SendCommandText(const std::string& text,
                                       const std::vector<std::int16_t>& allowed = {});
  virtual void WriteText(const std::string& text);
  virtual void WriteLine(const std::string& text = {});
  // Throws EIdNoDataToRead when the stream ends before its size says.
  virtual void WriteStream(std::istream& stream, bool fromStart = true, bool withLength = false);
  void WriteDotLines(const std::vector<std::string>& lines);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void SetOwnsIOHandler(bool owns) noexcept { ownsIOHandler_ = owns; }
  bool OwnsIOHandler() const noexcept { return ownsIOHandler_; }
  TIdBuffer& InputBuffer() noexcept { return inputBuffer_; }

 private:
  // Runs one receive into the input buffer; n as the I/O handler returned it.
  std::int32_t ReceiveIntoBuffer();
  void SendPiece(TIdBuffer& buffer, std::int32_t& position);

  TIdBuffer inputBuffer_;
  std::atomic<bool> closedGracefully_{false};
  std::vector<std::string> replyLines_;
  bool ownsIOHandler_ = false;
  TIdConnectionIntercept* intercept_ = nullptr;
  TIdIOHandler* ioHandler_ = nullptr;
  bool readLineTimedOut_ = false;
  TIdBuffer recvChunk_;
  std::int32_t lastReplyCode_ = 0;
};

}  // namespace horalux
