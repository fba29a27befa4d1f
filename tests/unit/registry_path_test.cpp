// How a registry path splits into its root key and subkey (paths with
// subkeys are read back through the registry in registry_reader_test).
#include <gtest/gtest.h>

#include "probes/registry_reader.h"

namespace kelvor::probes {
namespace {

TEST(RegistryPath, OnlyTheSevenRootNamesWrittenExactlyAndOnlyValidPaths) {
  EXPECT_EQ(RootKeyFromName("HKEY_CLASSES_ROOT"), 0x80000000u);
  EXPECT_EQ(RootKeyFromName("HKEY_DYN_DATA"), 0x80000006u);
  for (const char* name : {"hkey_current_user", "HKCU", ""}) EXPECT_EQ(RootKeyFromName(name), 0u);
  std::string path = "HKEY_LOCAL_MACHINE";
  os::RegistryKey root = 0;
  SplitRegistryPath(path, root);
  EXPECT_EQ(root, 0x80000002u);  // a root name alone leaves an empty subkey
  EXPECT_EQ(path, "");
  // Each of these ends before a key is opened: no registry is needed.
  for (const char* invalid :
       {"hkey_current_user\\Control Panel\\Desktop", "HKEY_CURRENT_USER\\Control Panel\\",
        "HKEY_SOMEWHERE\\Control Panel", ""}) {
    EXPECT_EQ(ReadRegistryString(invalid, "Wallpaper"), "") << invalid;
  }
}

}  // namespace
}  // namespace kelvor::probes
