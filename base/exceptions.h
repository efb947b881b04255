// The runtime's exceptions that are not the network layer's: the general one, with a
// message text, which every failure of the program derives from, and the conversion error.
// Thrown by value, caught by reference.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace horalux {

// The runtime's general exception: a message text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// The runtime's conversion error (a text that is not a number where one is required).
class EConvertError : public Exception {
  using Exception::Exception;
};

}  // namespace horalux
