// The program's four settings in the per-user store: the key, the value names and the
// rules for reading and writing them. The start-up code calls the reads one by one and
// applies each value as soon as it is read, so a failing read leaves the earlier ones applied.
//
// Every failure is an ERegistryException with the runtime's text for the value's name:
//   kRegGetDataFailed  an integer that is missing, larger than 4 bytes or unreadable, and a
//                      string whose line in the store is damaged
//   kInvalidRegType    a value of the wrong type
//   kRegSetDataFailed  a write the store refuses (nothing of that value is written)
// A refused write also reports the system's reason (path and error) to a sink, by default
// one line on standard error: the exception's text must stay the runtime's own.
// Not thread-safe; used on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"
#include "platform/registry_store.h"

namespace horalux {

inline constexpr std::string_view kSettingsKey = "SOFTWARE\\Vantok\\Horalux";
inline constexpr std::string_view kHostValue = "Host";
inline constexpr std::string_view kIntervalValue = "Interval";
inline constexpr std::string_view kSyncOnStartupValue = "Sync on Startup";
inline constexpr std::string_view kStartServerValue = "Start Server";

// The runtime's registry failure, with the runtime's own (German) message texts.
class ERegistryException : public Exception {
  using Exception::Exception;
};

// %s is the value name. The texts are German, so they are program text only once they are in
// the user's code page (EncodeCodePage), as the window shows program text.
inline constexpr std::u16string_view kRegGetDataFailed = u"Konnte Daten f\u00fcr '%s' nicht holen";
inline constexpr std::u16string_view kRegSetDataFailed = u"Konnte Daten f\u00fcr '%s' nicht setzen";
inline constexpr std::u16string_view kInvalidRegType = u"Ung\u00fcltiger Datentyp f\u00fcr '%s'";

// Receives the system's reason when a write is refused.
using SettingsFailureSink = std::function<void(const std::string& reason)>;

// The settings key, opened (and created when missing) on construction.
class TSettingsStore {
 public:
  // Never throws. When the key cannot be opened, reads behave as for a missing value and
  // every write fails. `store` must outlive this object. Without a sink, reasons go to
  // standard error.
  explicit TSettingsStore(RegistryStore& store, std::string_view key = kSettingsKey,
                          SettingsFailureSink reportFailure = {});
  TSettingsStore(const TSettingsStore&) = delete;
  TSettingsStore& operator=(const TSettingsStore&) = delete;

  bool KeyOpen() const noexcept { return key_ != nullptr; }

  // Missing or of size 0: empty text. REG_SZ or REG_EXPAND_SZ (not expanded), cut at the
  // first NUL. Throws ERegistryException otherwise (see above).
  std::string ReadString(std::string_view name) const;
  // At most 4 bytes of type REG_DWORD (fewer bytes are widened with zeros).
  // Throws ERegistryException when missing, larger, unreadable or of another type.
  std::int32_t ReadInteger(std::string_view name) const;
  // ReadInteger() != 0.
  bool ReadBool(std::string_view name) const;

  // REG_SZ whose stored size counts the terminating NUL. Throws ERegistryException.
  void WriteString(std::string_view name, std::string_view text);
  // REG_DWORD. Throws ERegistryException.
  void WriteInteger(std::string_view name, std::int32_t value);
  // REG_DWORD 1 or 0. Throws ERegistryException.
  void WriteBool(std::string_view name, bool value);

  // From now until CommitWrites the writes only collect their values; a write still fails
  // at once when the key is not open.
  void BeginWrites();
  // Saves the collected values in one atomic replace of the store, so that a kill or a
  // power loss never leaves some of them old and some new. Throws ERegistryException for
  // the value whose name the store refuses, or for the first value when the file itself
  // cannot be read or saved; nothing is written then. Requires: BeginWrites was called.
  void CommitWrites();

 private:
  void Write(std::string_view name, const RegValue& value);
  [[noreturn]] void WriteFailed(std::string_view name, const std::string& reason);

  RegistryStore& store_;
  std::unique_ptr<RegistryKey> key_;
  SettingsFailureSink reportFailure_;
  std::optional<std::vector<RegNamedValue>> pending_;
};

// "Interval" holds the up-down position, a signed 16-bit value, widened with its sign.
std::int32_t IntervalToRegistry(std::int16_t position) noexcept;
// The up-down control keeps the low 16 bits of what it is given, as a signed position.
std::int16_t IntervalFromRegistry(std::int32_t stored) noexcept;

}  // namespace horalux
