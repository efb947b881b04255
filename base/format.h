// Fills "%d" and "%s" placeholders of a message text, in order.
// The message tables are translatable, so the pattern is data: a placeholder without
// a matching argument becomes empty text and extra arguments are ignored, instead of
// failing the way printf would.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace horalux {

class FmtArg {
 public:
  FmtArg(std::int64_t number) : value_(number) {}       // NOLINT(google-explicit-constructor)
  FmtArg(int number) : value_(std::int64_t{number}) {}  // NOLINT(google-explicit-constructor)
  FmtArg(std::string_view text) : value_(text) {}       // NOLINT(google-explicit-constructor)
  FmtArg(const std::string& text) : value_(std::string_view(text)) {}  // NOLINT
  FmtArg(const char* text) : value_(std::string_view(text)) {}         // NOLINT

  void AppendTo(std::string& out) const;

 private:
  std::variant<std::int64_t, std::string_view> value_;
};

// "%d" takes a number, "%s" a text (either kind is printed as it is), "%%" is a percent sign.
std::string Fmt(std::string_view pattern, std::initializer_list<FmtArg> args = {});

}  // namespace horalux
