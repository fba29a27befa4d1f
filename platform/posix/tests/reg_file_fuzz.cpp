// Fuzzing the ".reg" reader with any bytes: it never fails, and what it keeps
// is found whatever the case. (hex(N) values may carry any type and bytes.)
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kelvor::os::RegKeys keys = kelvor::os::ParseRegFile(text);
  // Keys and value names are folded to lower case: the registry ignores case.
  auto folded = [](const std::string& text) {
    for (char c : text) {
      if (std::isupper(static_cast<unsigned char>(c))) return false;
    }
    return true;
  };
  for (const auto& [key, values] : keys) {
    if (!folded(key)) std::abort();
    for (const auto& [name, value] : values) {
      if (!folded(name)) std::abort();
    }
  }
  return 0;
}
