// The registry reader against the real registry (under Wine) and against
// ".reg" files (natively), through the same tests.
#include "probes/registry_reader.h"

#include <gtest/gtest.h>

#include "test_platform.h"

namespace kelvor::probes {
namespace {

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
  test::TestRegistry registry_;
};

// Only blanks count as blanks; key and value names are found whatever their
// case (only the root must match); the default value has the empty name.
TEST_F(RegistryReader, ReadsAStringWithOuterBlanksRemoved) {
  registry_.Set("Control Panel\\Desktop", "Wallpaper", os::kRegSz,
                Sz("  C:\\Pictures\\my  photo.bmp  "));
  registry_.Set("", "Tabs", os::kRegSz, Sz("\tvalue\t"));
  registry_.Set("", "Blanks", os::kRegSz, Sz("     "));
  registry_.Set("Sub", "", os::kRegSz, Sz("default"));
  EXPECT_EQ(Read("control panel\\DESKTOP", "wallpaper"), "C:\\Pictures\\my  photo.bmp");
  EXPECT_EQ(Read("", "Tabs"), "\tvalue\t");
  EXPECT_EQ(Read("", "Blanks"), "");
  EXPECT_EQ(Read("Sub", ""), "default");
  std::string path = registry_.KeyPath();
  EXPECT_EQ(ReadRegistryString("hkey_current_user" + path.substr(17), "Tabs"), "");
}

TEST_F(RegistryReader, EveryValueTypeIsReadAsBytesUpToTheFirstZeroAndUpTo2047Bytes) {
  registry_.Set("", "Multi", os::kRegMultiSz, std::string("first\0second\0\0", 14));
  registry_.Set("", "Expand", os::kRegExpandSz, Sz("%SystemRoot%\\web.bmp"));
  registry_.Set("", "Number", os::kRegDword, std::string("ABC\0", 4));
  registry_.Set("", "Binary", os::kRegBinary, std::string(2047, 'a'));
  registry_.Set("", "TooLong", os::kRegBinary, std::string(2048, 'b'));
  registry_.Set("", "TooLongText", os::kRegSz, Sz(std::string(2047, 'd')));
  EXPECT_EQ(Read("", "Multi"), "first");
  EXPECT_EQ(Read("", "Expand"), "%SystemRoot%\\web.bmp");
  EXPECT_EQ(Read("", "Number"), "ABC");
  EXPECT_EQ(Read("", "Binary"), std::string(2047, 'a'));
  EXPECT_EQ(Read("", "TooLong"), "");
  EXPECT_EQ(Read("", "TooLongText"), "");
}

TEST_F(RegistryReader, MissingKeysAndValuesGiveEmptyTextAndARootNameReadsTheRoot) {
  registry_.Set("Sub", "Present", os::kRegSz, Sz("here"));
  registry_.SetText("", "KelvorTestRootValue", "at the root");
  EXPECT_EQ(Read("Sub", "Absent"), "");
  EXPECT_EQ(Read("Nowhere", "Present"), "");
  EXPECT_EQ(Read("Sub\\Deeper", "Present"), "");
  EXPECT_EQ(ReadRegistryString(registry_.KeyPath() + "\\Sub\\", "Present"), "");
  EXPECT_EQ(ReadRegistryString("HKEY_CURRENT_USER", "KelvorTestRootValue"), "at the root");
}

}  // namespace
}  // namespace kelvor::probes
