#include "reg_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/os_registry.h"

namespace kelvor::os {
namespace {

const std::string kDesktop = "hkey_current_user\\control panel\\desktop";

std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// What the registry reader's own tests do not write: numbers, continued
// lines, the default value (strings and hex data they read back through it).
TEST(ParseRegFile, ReadsTheValueKindsOfAnExport) {
  RegKeys keys = ParseRegFile(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
      "@=\"default\"\r\n"
      "\"Count\"=dword:0000001f\r\n"
      "\"Long\"=hex:41,42,\\\r\n"
      "  43,44\r\n"
      "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n");
  const RegValues& values = keys.at(kDesktop);
  EXPECT_EQ(values.at("").data, std::string("default\0", 8));
  EXPECT_EQ(values.at("count").type, 4u);
  EXPECT_EQ(values.at("count").data, std::string("\x1f\0\0\0", 4));
  EXPECT_EQ(values.at("long").data, "ABCD");
  EXPECT_EQ(values.at("qword").type, 0xbu);
}

TEST(ParseRegFile, ReadsUtf16FilesWithAByteOrderMark) {
  std::string file = "\xFF\xFE" + Utf16Le(
                                      u"Windows Registry Editor Version 5.00\r\n"
                                      u"[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                      u"\"Wallpaper\"=\"C:\\\\Bilder\\\\Gr\u00fcn.bmp\"\r\n");
  RegKeys keys = ParseRegFile(file);
  EXPECT_EQ(keys.at(kDesktop).at("wallpaper").data,
            "C:\\Bilder\\Gr\xc3\xbcn.bmp" + std::string(1, '\0'));
}

TEST(ParseRegFile, DeletionsAndKeysOfTheOlderFormat) {
  RegKeys keys = ParseRegFile(
      "REGEDIT4\n"
      "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n\"y\"=-\n"
      "[HKEY_CURRENT_USER\\A\\B]\n\"z\"=\"3\"\n"
      "[HKEY_CURRENT_USER\\C]\n\"w\"=\"4\"\n"
      "[-HKEY_CURRENT_USER\\C]\n");
  EXPECT_EQ(keys.at("hkey_current_user\\a").count("x"), 1u);
  EXPECT_EQ(keys.at("hkey_current_user\\a").count("y"), 0u);
  EXPECT_EQ(keys.count("hkey_current_user\\a\\b"), 1u);
  EXPECT_EQ(keys.count("hkey_current_user\\c"), 0u);
}

// A line that cannot be read is left out, and so is a file without a header.
TEST(ParseRegFile, WhatCannotBeReadIsLeftOut) {
  EXPECT_TRUE(ParseRegFile("[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n").empty());
  RegKeys keys = ParseRegFile(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\A]\n"
      "\"bad hex\"=hex:zz,01\n"
      "\"trailing\"=\"x\" junk\n"
      "\"good\"=\"yes\"\n");
  EXPECT_EQ(keys.at("hkey_current_user\\a").size(), 1u);
}

// The file that stands in for the registry is read only when it is a plain
// file: a pipe would hold the start for ever, a device never end.
TEST(RegistryFile, OnlyAPlainFileIsRead) {
  std::filesystem::path fifo =
      std::filesystem::temp_directory_path() / ("kelvor-registry-" + std::to_string(getpid()));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const char* path : {fifo.c_str(), "/dev/zero"}) {
    setenv("KELVOR_REGISTRY", path, 1);
    RegistryKey key = 0;
    EXPECT_EQ(OpenRegistryKey(kPredefinedKeys[1].key, "Control Panel", 0, 0, &key), kFileNotFound)
        << path;
  }
  unsetenv("KELVOR_REGISTRY");
  std::filesystem::remove(fifo);
}

}  // namespace
}  // namespace kelvor::os
