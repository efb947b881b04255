#include "app/settings_store.h"

#include <cstdio>

#include "base/format.h"
#include "base/notice_name.h"
#include "platform/code_page.h"

namespace horalux {
namespace {

[[noreturn]] void Fail(std::u16string_view pattern, std::string_view name) {
  throw ERegistryException(Fmt(EncodeCodePage(pattern), {name}));
}

void ReportToStandardError(const std::string& reason) {
  std::fprintf(stderr, "%ssettings not saved: %s\n", NoticePrefix().c_str(), reason.c_str());
}

}  // namespace

TSettingsStore::TSettingsStore(RegistryStore& store, std::string_view key,
                               SettingsFailureSink reportFailure)
    : store_(store),
      key_(store.CreateKey(key)),
      reportFailure_(reportFailure ? std::move(reportFailure) : ReportToStandardError) {}

std::string TSettingsStore::ReadString(std::string_view name) const {
  if (!key_) return {};
  const RegQueryResult result = key_->QueryValue(name);
  if (result.status == RegQueryResult::Status::Missing) return {};
  // A damaged line has no size to ask for; reading it fails like any read the store refuses.
  if (result.status == RegQueryResult::Status::Unreadable) Fail(kRegGetDataFailed, name);
  const std::string& data = result.value.data;
  if (data.empty()) return {};
  if (result.value.type != kRegSz && result.value.type != kRegExpandSz) {
    Fail(kInvalidRegType, name);
  }
  return data.substr(0, data.find('\0'));
}

std::int32_t TSettingsStore::ReadInteger(std::string_view name) const {
  if (!key_) Fail(kRegGetDataFailed, name);
  const RegQueryResult result = key_->QueryValue(name);
  if (result.status != RegQueryResult::Status::Found || result.value.data.size() > 4) {
    Fail(kRegGetDataFailed, name);
  }
  if (result.value.type != kRegDword) Fail(kInvalidRegType, name);
  std::uint32_t number = 0;
  const std::string& data = result.value.data;
  for (std::size_t i = data.size(); i > 0; --i) {
    number = (number << 8) | static_cast<unsigned char>(data[i - 1]);
  }
  return static_cast<std::int32_t>(number);
}

bool TSettingsStore::ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

void TSettingsStore::WriteString(std::string_view name, std::string_view text) {
  std::string data(text);
  data += '\0';
  Write(name, {kRegSz, std::move(data)});
}

void TSettingsStore::WriteInteger(std::string_view name, std::int32_t value) {
  const auto number = static_cast<std::uint32_t>(value);
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xff);
  Write(name, {kRegDword, std::move(data)});
}

void TSettingsStore::WriteBool(std::string_view name, bool value) {
  WriteInteger(name, value ? 1 : 0);
}

void TSettingsStore::BeginWrites() { pending_.emplace(); }

void TSettingsStore::CommitWrites() {
  std::vector<RegNamedValue> values = std::move(pending_).value_or(std::vector<RegNamedValue>{});
  pending_.reset();
  if (values.empty()) return;
  std::size_t refused = 0;
  if (!key_->SetValues(values, &refused)) WriteFailed(values[refused].name, store_.LastError());
}

void TSettingsStore::Write(std::string_view name, const RegValue& value) {
  if (!key_) WriteFailed(name, store_.LastError());
  if (pending_) {
    pending_->push_back({std::string(name), value});
    return;
  }
  if (!key_->SetValue(name, value)) WriteFailed(name, store_.LastError());
}

void TSettingsStore::WriteFailed(std::string_view name, const std::string& reason) {
  pending_.reset();
  reportFailure_(reason);
  Fail(kRegSetDataFailed, name);
}

std::int32_t IntervalToRegistry(std::int16_t position) noexcept { return position; }

std::int16_t IntervalFromRegistry(std::int32_t stored) noexcept {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(stored & 0xffff));
}

}  // namespace horalux
