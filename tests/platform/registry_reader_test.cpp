// The registry reader against the real registry (under Wine) and against
// ".reg" files (natively), through the same tests.
#include "probes/registry_reader.h"

#include <gtest/gtest.h>

#include "test_platform.h"

namespace kelvor::probes {
namespace {

using test::TestRegistry;

std::string Sz(std::string_view text) {
  return std::string(text) + '\0';
}

class RegistryReader : public testing::Test {
 protected:
  std::string Read(std::string_view subkey, const std::string& name) {
    std::string path = registry_.KeyPath();
    if (!subkey.empty()) path += "\\" + std::string(subkey);
    return ReadRegistryString(path, name);
  }
  TestRegistry registry_;
};

TEST_F(RegistryReader, ReadsAStringWithOuterBlanksRemoved) {
  registry_.Set("Control Panel\\Desktop", "Wallpaper", os::kRegSz,
                Sz("  C:\\Pictures\\my  photo.bmp  "));
  EXPECT_EQ(Read("Control Panel\\Desktop", "Wallpaper"), "C:\\Pictures\\my  photo.bmp");
  // Key and value names are found whatever their case; only the root must match.
  EXPECT_EQ(Read("control panel\\DESKTOP", "wallpaper"), "C:\\Pictures\\my  photo.bmp");
}

TEST_F(RegistryReader, OnlyBlanksCountAsBlanks) {
  registry_.Set("", "Tabs", os::kRegSz, Sz("\tvalue\t"));
  registry_.Set("", "Blanks", os::kRegSz, Sz("     "));
  EXPECT_EQ(Read("", "Tabs"), "\tvalue\t");
  EXPECT_EQ(Read("", "Blanks"), "");
}

TEST_F(RegistryReader, EveryValueTypeIsReadAsBytesUpToTheFirstZero) {
  registry_.Set("", "Multi", os::kRegMultiSz, std::string("first\0second\0\0", 14));
  registry_.Set("", "Expand", os::kRegExpandSz, Sz("%SystemRoot%\\web.bmp"));
  registry_.Set("", "Number", os::kRegDword, std::string("ABC\0", 4));
  registry_.Set("", "Zero", os::kRegDword, std::string("\0ABC", 4));
  registry_.Set("", "Binary", os::kRegBinary, "xyz");
  EXPECT_EQ(Read("", "Multi"), "first");
  EXPECT_EQ(Read("", "Expand"), "%SystemRoot%\\web.bmp");
  EXPECT_EQ(Read("", "Number"), "ABC");
  EXPECT_EQ(Read("", "Zero"), "");
  EXPECT_EQ(Read("", "Binary"), "xyz");
}

TEST_F(RegistryReader, ValuesOfUpTo2047BytesFitAndLongerOnesGiveNothing) {
  registry_.Set("", "Fits", os::kRegBinary, std::string(2047, 'a'));
  registry_.Set("", "TooLong", os::kRegBinary, std::string(2048, 'b'));
  registry_.Set("", "LongText", os::kRegSz, Sz(std::string(2046, 'c')));
  registry_.Set("", "TooLongText", os::kRegSz, Sz(std::string(2047, 'd')));
  EXPECT_EQ(Read("", "Fits"), std::string(2047, 'a'));
  EXPECT_EQ(Read("", "TooLong"), "");
  EXPECT_EQ(Read("", "LongText"), std::string(2046, 'c'));
  EXPECT_EQ(Read("", "TooLongText"), "");
}

TEST_F(RegistryReader, TheDefaultValueHasTheEmptyName) {
  registry_.Set("Sub", "", os::kRegSz, Sz("default"));
  EXPECT_EQ(Read("Sub", ""), "default");
}

TEST_F(RegistryReader, MissingKeysAndValuesGiveEmptyText) {
  registry_.Set("Sub", "Present", os::kRegSz, Sz("here"));
  EXPECT_EQ(Read("Sub", "Absent"), "");
  EXPECT_EQ(Read("Nowhere", "Present"), "");
  EXPECT_EQ(Read("Sub\\Deeper", "Present"), "");
}

TEST_F(RegistryReader, ARootNameAloneReadsTheRootKeysOwnValue) {
  registry_.SetText("", "KelvorTestRootValue", "at the root");
  EXPECT_EQ(ReadRegistryString("HKEY_CURRENT_USER", "KelvorTestRootValue"), "at the root");
}

TEST_F(RegistryReader, NoRootKeyCarriesOverFromAnEarlierRead) {
  registry_.Set("", "Value", os::kRegSz, Sz("found"));
  EXPECT_EQ(Read("", "Value"), "found");
  std::string path = registry_.KeyPath();
  path.replace(0, 17, "hkey_current_user");
  EXPECT_EQ(ReadRegistryString(path, "Value"), "");
  EXPECT_EQ(ReadRegistryString(registry_.KeyPath() + "\\", "Value"), "");
}

}  // namespace
}  // namespace kelvor::probes
