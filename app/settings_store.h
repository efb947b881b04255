// The program's four settings in the per-user store: the key, the value names and the
// rules for reading and writing them. The start-up code calls the reads one by one and
// applies each value as soon as it is read, so a failing read leaves the earlier ones applied.
//
// Every failure is an ERegistryException with the runtime's text for the value's name:
//   kRegGetDataFailed  an integer that is missing, larger than 4 bytes or unreadable, and a
//                      string whose line in the store is damaged
//   kInvalidRegType    a value of the wrong type
//   kRegSetDataFailed  a write the store refuses (nothing of that value is written)
// Not thread-safe; used on the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/registry_exception.h"
#include "platform/registry_store.h"

namespace horalux {

inline constexpr std::string_view kSettingsKey = "SOFTWARE\\Vantok\\Horalux";
inline constexpr std::string_view kHostValue = "Host";
inline constexpr std::string_view kIntervalValue = "Interval";
inline constexpr std::string_view kSyncOnStartupValue = "Sync on Startup";
inline constexpr std::string_view kStartServerValue = "Start Server";

// The settings key, opened (and created when missing) on construction.
class SettingsStore {
 public:
  // Never throws. When the key cannot be opened, reads behave as for a missing value and
  // every write fails. `store` must outlive this object.
  explicit SettingsStore(RegistryStore& store, std::string_view key = kSettingsKey);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

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

 private:
  void Write(std::string_view name, const RegValue& value);

  std::unique_ptr<RegistryKey> key_;
};

// "Interval" holds the up-down position, a signed 16-bit value, widened with its sign.
std::int32_t IntervalToRegistry(std::int16_t position) noexcept;
// The up-down control keeps the low 16 bits of what it is given, as a signed position.
std::int16_t IntervalFromRegistry(std::int32_t stored) noexcept;

}  // namespace horalux
