#include <gtest/gtest.h>

#include "platform/os_registry.h"
#include "test_platform.h"

namespace kelvor::test {

std::string TestRegistry::KeyPath() const {
  return "HKEY_CURRENT_USER\\" + subkey_;
}

void TestRegistry::Set(std::string_view subkey, std::string_view name, std::uint32_t type,
                       std::string_view bytes) {
  std::string key = subkey_;
  if (!subkey.empty()) key += "\\" + std::string(subkey);
  Store({key, std::string(name), type, std::string(bytes)});
}

void TestRegistry::SetText(std::string_view key, std::string_view name, std::string_view text) {
  Store({std::string(key), std::string(name), os::kRegSz, std::string(text) + '\0'});
}

std::string TestKeyName() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return std::string("Software\\KelvorTest\\") + test->test_suite_name() + "." + test->name();
}

}  // namespace kelvor::test
