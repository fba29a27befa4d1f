// The registry reader against the real registry (under Wine) and against
// ".reg" files (natively), through the same test. How a path splits is
// registry_path_test's.
#include "probes/registry_reader.h"

#include <gtest/gtest.h>

#include "test_platform.h"

namespace kelvor::probes {
namespace {

std::string Sz(std::string_view text) {
  return std::string(text) + '\0';
}

// Subkeys of the test key. Only blanks count as blanks; key and value names are found whatever
// their case; the default value has the empty name. Every value type is read as bytes up to the
// first zero and up to 2047 bytes. Missing keys and values give empty text, and a root name alone
// reads the root.
TEST(RegistryReader, ReadsAValueAsTextWithOuterBlanksRemoved) {
  test::TestRegistry registry;
  struct Case {
    const char* subkey;
    const char* name;
    std::uint32_t type;
    std::string bytes;
    const char* read_subkey;
    const char* read_name;
    std::string text;
  };
  const Case cases[] = {
      {"\\Control Panel\\Desktop", "Wallpaper", os::kRegSz, Sz("  C:\\my  photo.bmp  "),
       "\\control panel\\DESKTOP", "wallpaper", "C:\\my  photo.bmp"},
      {"", "Tabs", os::kRegSz, Sz("\tvalue\t"), "", "Tabs", "\tvalue\t"},
      {"", "Blanks", os::kRegSz, Sz("     "), "", "Blanks", ""},
      {"\\Sub", "", os::kRegSz, Sz("default"), "\\Sub", "", "default"},
      {"", "Multi", os::kRegMultiSz, std::string("first\0second\0\0", 14), "", "Multi", "first"},
      {"", "Expand", os::kRegExpandSz, Sz("%SystemRoot%\\web.bmp"), "", "Expand",
       "%SystemRoot%\\web.bmp"},
      {"", "Number", os::kRegDword, std::string("ABC\0", 4), "", "Number", "ABC"},
      {"", "Binary", os::kRegBinary, std::string(2047, 'a'), "", "Binary", std::string(2047, 'a')},
      {"", "TooLong", os::kRegBinary, std::string(2048, 'b'), "", "TooLong", ""},
      {"", "TooLongText", os::kRegSz, Sz(std::string(2047, 'd')), "", "TooLongText", ""},
      {"\\Sub", "Present", os::kRegSz, Sz("here"), "\\Sub", "Absent", ""},
      {"", "", 0, "", "\\Nowhere", "Present", ""},
      {"", "", 0, "", "\\Sub\\Deeper", "Present", ""}};
  for (const Case& c : cases) {
    if (c.type != 0) registry.Set(registry.test_key + c.subkey, c.name, c.type, c.bytes);
  }
  for (const Case& c : cases) {
    std::string path = "HKEY_CURRENT_USER\\" + registry.test_key + c.read_subkey;
    EXPECT_EQ(ReadRegistryString(path, c.read_name), c.text) << c.read_subkey << " " << c.read_name;
  }
  registry.Set("", "KelvorTestRootValue", os::kRegSz, Sz("at the root"));
  EXPECT_EQ(ReadRegistryString("HKEY_CURRENT_USER", "KelvorTestRootValue"), "at the root");
}

}  // namespace
}  // namespace kelvor::probes
