// Fuzzing the registry path splitting: only a valid path changes anything,
// and a split path is what followed the first backslash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "probes/registry_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  std::string path = original;
  kelvor::os::RegistryKey root = 0x1234;
  kelvor::probes::SplitRegistryPath(path, root);
  bool valid = original.starts_with("HKEY_") && !original.ends_with('\\');
  if (!valid) {
    if (path != original || root != 0x1234) std::abort();
    return 0;
  }
  std::size_t backslash = original.find('\\');
  std::string expected = backslash == std::string::npos ? "" : original.substr(backslash + 1);
  if (path != expected) std::abort();
  if (root != kelvor::probes::RootKeyFromName(original.substr(0, backslash))) std::abort();
  return 0;
}
