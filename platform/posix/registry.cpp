// The registry on POSIX: a read-only view of a ".reg" file, found through
// KELVOR_REGISTRY or $XDG_CONFIG_HOME/kelvor/registry.reg.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "places.h"
#include "platform/os_files.h"
#include "platform/os_registry.h"
#include "reg_file.h"

namespace kelvor::os {
namespace {

constexpr const char* kRegistryVariable = "KELVOR_REGISTRY";
constexpr const char* kRegistryFile = "/kelvor/registry.reg";
// Far more than an export of the keys a program reads takes.
constexpr off_t kLargestRegistryFile = 64 << 20;

struct OpenKey {
  std::string path;  // folded to lower case
  RegValues values;
};

// An opened key's handle is its own state, as a real handle would be: the
// program keeps no table of them. Heap addresses never equal the predefined
// root keys' numbers.
OpenKey* AsOpenKey(RegistryKey key) {
  return reinterpret_cast<OpenKey*>(key);
}

bool IsRootKey(RegistryKey key) {
  for (const PredefinedKey& root : kPredefinedKeys) {
    if (root.key == key) return true;
  }
  return false;
}

std::string RegistryFilePath() {
  if (const char* path = std::getenv(kRegistryVariable)) return path;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + kRegistryFile;
  }
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config" + kRegistryFile;
}

// The file is read only when it is a plain file of a sensible size: a pipe
// would never let the start go on, a device never end.
RegKeys LoadRegistry() {
  Descriptor file(open(RegistryFilePath().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat info;
  if (!file.valid() || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size > kLargestRegistryFile) {
    return {};
  }
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t read = 0;
  if (ReadFromFile(file.get(), text.data(), text.size(), &read) != kSuccess) return {};
  text.resize(read);
  return ParseRegFile(text);
}

// The lower-case path of a root or opened key, or nothing for no key.
std::optional<std::string> PathOfKey(RegistryKey key) {
  for (const PredefinedKey& root : kPredefinedKeys) {
    if (root.key == key) return FoldCase(root.name);
  }
  if (key == 0) return std::nullopt;
  return AsOpenKey(key)->path;
}

}  // namespace

WinError OpenRegistryKey(RegistryKey root, const char* subkey, std::uint32_t, std::uint32_t,
                         RegistryKey* opened) {
  *opened = 0;
  std::optional<std::string> parent = PathOfKey(root);
  if (!parent) return kInvalidHandle;
  std::string path = *parent;
  if (subkey && *subkey) path += "\\" + FoldCase(subkey);

  RegKeys keys = LoadRegistry();
  // A key exists when the file names it or any key below it.
  auto found = keys.lower_bound(path);
  bool exists =
      found != keys.end() && (found->first == path || found->first.starts_with(path + "\\"));
  if (!exists) return kFileNotFound;

  *opened = reinterpret_cast<RegistryKey>(
      new OpenKey{path, found->first == path ? found->second : RegValues{}});
  return kSuccess;
}

WinError QueryRegistryValue(RegistryKey key, const char* value_name, std::uint32_t* type,
                            unsigned char* buffer, std::uint32_t* size) {
  if (key == 0 || IsRootKey(key)) return kInvalidHandle;
  const RegValues& values = AsOpenKey(key)->values;
  auto value = values.find(FoldCase(value_name ? value_name : ""));
  if (value == values.end()) return kFileNotFound;

  const std::string& data = value->second.data;
  *type = value->second.type;
  std::uint32_t capacity = *size;
  *size = static_cast<std::uint32_t>(data.size());
  if (!buffer) return kSuccess;
  if (data.size() > capacity) return kMoreData;
  std::memcpy(buffer, data.data(), data.size());
  return kSuccess;
}

WinError CloseRegistryKey(RegistryKey key) {
  if (IsRootKey(key)) return kSuccess;
  if (key == 0) return kInvalidHandle;
  delete AsOpenKey(key);
  return kSuccess;
}

}  // namespace kelvor::os
