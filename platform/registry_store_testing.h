// For tests that run against this system's settings store, the same tests on every system:
// on Linux a store file in a fresh temporary folder, on Windows the registry itself with a
// key of the test's own ("SOFTWARE\Vantok\HoraluxTest-<process id>-<n>" under the current
// user; under Wine the registry is the test prefix's), deleted again with the object.
#pragma once

#include <memory>
#include <string>

#include "platform/registry_store.h"

namespace horalux::testing {

class TestRegistry {
 public:
  virtual ~TestRegistry() = default;

  virtual RegistryStore& Store() = 0;
  // The key this object may use, for CreateKey; it does not exist yet.
  virtual const std::string& SubKey() const = 0;
  // Whether the key exists now, looked up without the store under test.
  virtual bool KeyExists() const = 0;
  // A value name that this store refuses to store.
  virtual std::string UnstorableValueName() const = 0;

  // Stores a value of any type and size as it stands, creating the key when missing.
  void Plant(const std::string& name, const RegValue& value);
};

// This system's store with a key of the test's own.
std::unique_ptr<TestRegistry> NewTestRegistry();

// Four little-endian bytes of type REG_DWORD.
RegValue Dword(std::uint32_t number);
// REG_SZ with its terminating NUL.
RegValue Sz(const std::string& text);

}  // namespace horalux::testing
