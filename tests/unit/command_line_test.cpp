#include "ui/command_line.h"

#include <gtest/gtest.h>

namespace kelvor::ui {
namespace {

TEST(CommandTail, TheProgramNameEndsAtItsQuoteOrTheFirstBlank) {
  EXPECT_EQ(CommandTail("Kelvor.exe C: /0"), "C: /0");
  EXPECT_EQ(CommandTail("\"C:\\Program Files\\Kelvor.exe\"   D:"), "D:");
  EXPECT_EQ(CommandTail("\"C:\\Program Files\\Kelvor.exe\"D:"), "D:");
  EXPECT_EQ(CommandTail("Kelvor.exe\tD:"), "\tD:");  // a tab ends the name but is kept
  EXPECT_EQ(CommandTail("Kelvor.exe"), "");
  EXPECT_EQ(CommandTail("\"unclosed name D:"), "");
  EXPECT_EQ(CommandTail("Kelvor.exe  \t"), "\t");  // only blanks are skipped
}

TEST(Argument, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(Argument("C: /0", 1), "C:");
  EXPECT_EQ(Argument("C: /0", 2), "/0");
  EXPECT_EQ(Argument("C: /0", 3), "");
  EXPECT_EQ(Argument("  \"C: and more\"  /B", 1), "C: and more");
  EXPECT_EQ(Argument("  \"C: and more\"  /B", 2), "/B");
  EXPECT_EQ(Argument("\"\" D:", 1), "D:");  // an empty quoted item is not counted
  EXPECT_EQ(Argument("X\"D next", 1), "X\"D");
  EXPECT_EQ(Argument("\"open to the end", 1), "open to the end");
  EXPECT_EQ(Argument("a\tb c", 1), "a\tb");  // a tab is an ordinary character
  EXPECT_EQ(Argument("", 1), "");
}

TEST(RequestedDriveLetter, FirstCharacterOrSecondWithAQuoteInside) {
  EXPECT_EQ(RequestedDriveLetter("c:"), 'C');
  EXPECT_EQ(RequestedDriveLetter("C:\\"), 'C');
  EXPECT_EQ(RequestedDriveLetter("Drive"), 'D');
  EXPECT_EQ(RequestedDriveLetter("X\"D"), '"');
  EXPECT_EQ(RequestedDriveLetter("\t"), '\t');
  EXPECT_EQ(RequestedDriveLetter(""), 0);
  // A quoted first argument has lost its quotes: the first character counts.
  EXPECT_EQ(RequestedDriveLetter(Argument("\"C:\" /0", 1)), 'C');
}

TEST(WipeTypeFromOptions, ZeroForBlocksCapitalBForAllZerosAndBDecides) {
  EXPECT_EQ(WipeTypeFromOptions("C:"), engine::kAllOnes);
  EXPECT_EQ(WipeTypeFromOptions("C:\\ /0"), engine::kBinaryBlocks);
  EXPECT_EQ(WipeTypeFromOptions("C: /B"), engine::kAllZeros);
  EXPECT_EQ(WipeTypeFromOptions("C: /0 /B"), engine::kAllZeros);
  EXPECT_EQ(WipeTypeFromOptions("C: /B /0"), engine::kAllZeros);
  EXPECT_EQ(WipeTypeFromOptions("C: /b"), engine::kAllOnes);
  EXPECT_EQ(WipeTypeFromOptions("C: x/Bin"), engine::kAllZeros);  // anywhere in the tail
  EXPECT_EQ(WipeTypeFromOptions("C:/0"), engine::kBinaryBlocks);
}

TEST(TrimBlanks, OnlyCode32) {
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("  C: "), "C:");
  EXPECT_EQ(TrimBlanks("\t"), "\t");
}

}  // namespace
}  // namespace kelvor::ui
