#include "probes/registry_reader.h"

#include <array>

#include "files/blanks.h"

namespace kelvor::probes {
namespace {

constexpr std::string_view kRootPrefix = "HKEY_";
constexpr std::size_t kMaxNameLength = 255;  // subkey path and value name
constexpr std::size_t kDataBufferSize = 2048;
constexpr std::uint32_t kDataSizeGiven = 2047;  // one byte short: a zero always follows the data
constexpr std::uint32_t kKeyRead = 0x20019;     // KEY_READ
constexpr os::WinError kSuccessCode = 0;

}  // namespace

os::RegistryKey RootKeyFromName(std::string_view name) {
  for (const os::PredefinedKey& root : os::kPredefinedKeys) {
    if (name == root.name) return root.key;
  }
  return 0;
}

void SplitRegistryPath(std::string& path, os::RegistryKey& root) {
  std::size_t backslash = path.find('\\');
  if (!path.starts_with(kRootPrefix) || path.ends_with('\\')) return;
  if (backslash == std::string::npos) {
    root = RootKeyFromName(path);
    path.clear();
  } else {
    root = RootKeyFromName(std::string_view(path).substr(0, backslash));
    path.erase(0, backslash + 1);
  }
}

std::string ReadRegistryString(const std::string& key_path, const std::string& value_name) {
  std::string subkey = key_path;
  os::RegistryKey root = 0;
  SplitRegistryPath(subkey, root);
  subkey.resize(std::min(subkey.size(), kMaxNameLength));
  std::string name = value_name.substr(0, kMaxNameLength);
  if (root == 0) return {};

  os::RegistryKey key = 0;
  if (os::OpenRegistryKey(root, subkey.c_str(), 0, kKeyRead, &key) != kSuccessCode) return {};
  std::array<unsigned char, kDataBufferSize> data{};
  std::uint32_t size = kDataSizeGiven;
  std::uint32_t type = os::kRegSz;
  os::WinError result = os::QueryRegistryValue(key, name.c_str(), &type, data.data(), &size);
  os::CloseRegistryKey(key);
  if (result != kSuccessCode) return {};

  // The buffer always holds a zero after the data, so this stops in bounds.
  std::string_view text(reinterpret_cast<const char*>(data.data()));
  return std::string(files::TrimBlanks(text));
}

}  // namespace kelvor::probes
