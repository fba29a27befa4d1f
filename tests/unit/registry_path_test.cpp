#include <gtest/gtest.h>

#include "probes/registry_reader.h"

namespace kelvor::probes {
namespace {

constexpr os::RegistryKey kCurrentUser = 0x80000001;
constexpr os::RegistryKey kLocalMachine = 0x80000002;
constexpr os::RegistryKey kUntouched = 0x1234;

TEST(RootKeyFromName, KnowsTheSevenNamesExactlyWithCase) {
  EXPECT_EQ(RootKeyFromName("HKEY_CLASSES_ROOT"), 0x80000000u);
  EXPECT_EQ(RootKeyFromName("HKEY_CURRENT_USER"), kCurrentUser);
  EXPECT_EQ(RootKeyFromName("HKEY_LOCAL_MACHINE"), kLocalMachine);
  EXPECT_EQ(RootKeyFromName("HKEY_USERS"), 0x80000003u);
  EXPECT_EQ(RootKeyFromName("HKEY_PERFORMANCE_DATA"), 0x80000004u);
  EXPECT_EQ(RootKeyFromName("HKEY_CURRENT_CONFIG"), 0x80000005u);
  EXPECT_EQ(RootKeyFromName("HKEY_DYN_DATA"), 0x80000006u);
  EXPECT_EQ(RootKeyFromName("hkey_current_user"), 0u);
  EXPECT_EQ(RootKeyFromName("HKCU"), 0u);
  EXPECT_EQ(RootKeyFromName(""), 0u);
}

struct Split {
  std::string path;
  os::RegistryKey root;
};

Split SplitOf(std::string path) {
  os::RegistryKey root = kUntouched;
  SplitRegistryPath(path, root);
  return {path, root};
}

TEST(SplitRegistryPath, OnlyTheFirstBackslashSplits) {
  Split split = SplitOf("HKEY_CURRENT_USER\\Control Panel\\Desktop");
  EXPECT_EQ(split.root, kCurrentUser);
  EXPECT_EQ(split.path, "Control Panel\\Desktop");
}

TEST(SplitRegistryPath, ARootNameAloneLeavesAnEmptySubkey) {
  Split split = SplitOf("HKEY_LOCAL_MACHINE");
  EXPECT_EQ(split.root, kLocalMachine);
  EXPECT_EQ(split.path, "");
}

TEST(SplitRegistryPath, InvalidPathsChangeNothing) {
  for (const char* path : {"hkey_current_user\\Software", "HKEY_CURRENT_USER\\Software\\", "HKEY",
                           "Software\\HKEY_CURRENT_USER", "", "\\"}) {
    Split split = SplitOf(path);
    EXPECT_EQ(split.root, kUntouched) << path;
    EXPECT_EQ(split.path, path);
  }
}

TEST(SplitRegistryPath, AnUnknownRootNameGivesNoRootKey) {
  Split split = SplitOf("HKEY_NOWHERE\\Software");
  EXPECT_EQ(split.root, 0u);
  EXPECT_EQ(split.path, "Software");
  split = SplitOf("HKEY_");
  EXPECT_EQ(split.root, 0u);
  EXPECT_EQ(split.path, "");
}

TEST(ReadRegistryString, InvalidPathsGiveEmptyTextWithoutAskingThePlatform) {
  // No registry file is needed: each of these ends before the key is opened.
  EXPECT_EQ(ReadRegistryString("hkey_current_user\\Control Panel\\Desktop", "Wallpaper"), "");
  EXPECT_EQ(ReadRegistryString("HKEY_CURRENT_USER\\Control Panel\\", "Wallpaper"), "");
  EXPECT_EQ(ReadRegistryString("HKEY_SOMEWHERE\\Control Panel", "Wallpaper"), "");
  EXPECT_EQ(ReadRegistryString("", ""), "");
}

}  // namespace
}  // namespace kelvor::probes
