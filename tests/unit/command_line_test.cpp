#include "command_line/command_line.h"

#include <gtest/gtest.h>

#include "command_line/own_options.h"

namespace kelvor::command_line {
namespace {

using Cases = std::initializer_list<std::pair<const char*, const char*>>;

TEST(CommandTail, TheProgramNameEndsAtItsQuoteOrTheFirstBlankThenBlanksAreSkipped) {
  for (auto [line, tail] : Cases{{"Kelvor.exe C: /0", "C: /0"},
                                 {"\"C:\\Program Files\\Kelvor.exe\"   D:", "D:"},
                                 {"\"C:\\Program Files\\Kelvor.exe\"D:", "D:"},
                                 {"Kelvor.exe\tD:", "\tD:"},  // a tab ends the name but is kept
                                 {"Kelvor.exe", ""},
                                 {"\"unclosed name D:", ""},
                                 {"Kelvor.exe  \t", "\t"}}) {
    EXPECT_EQ(CommandTail(line), tail) << line;
  }
  for (auto [text, trimmed] : Cases{{"   ", ""}, {"  C: ", "C:"}, {"\t", "\t"}}) {
    EXPECT_EQ(TrimBlanks(text), trimmed);  // only code 32 is a blank
  }
}

// Blanks separate, quotes group; an empty quoted item is not counted, and a
// tab is an ordinary character. The drive letter is the first character of
// the first argument, upper-cased.
TEST(Argument, BlanksSeparateAndQuotesGroupAndTheFirstCharacterIsTheDrive) {
  for (auto [tail, first] : Cases{{"C: /0", "C:"},
                                  {"  \"C: and more\"  /B", "C: and more"},
                                  {"\"\" D:", "D:"},
                                  {"X\"D next", "X\"D"},
                                  {"\"open to the end", "open to the end"},
                                  {"a\tb c", "a\tb"},
                                  {"", ""}}) {
    EXPECT_EQ(Argument(tail, 1), first) << tail;
  }
  EXPECT_EQ(Argument("  \"C: and more\"  /B", 2), "/B");
  EXPECT_EQ(Argument("C: /0", 3), "");
  for (auto [argument, letter] : std::initializer_list<std::pair<const char*, char>>{
           {"c:", 'C'}, {"Drive", 'D'}, {"X\"D", '"'}, {"\t", '\t'}, {"", 0}}) {
    EXPECT_EQ(RequestedDriveLetter(argument), letter) << argument;
  }
}

// "/0" anywhere in the tail chooses Blocks of Binary Data, a capital "/B"
// All 0's, and "/B" decides when both are there.
TEST(WipeTypeFromOptions, ZeroForBlocksCapitalBForAllZerosAndBDecides) {
  for (auto [tail, type] : std::initializer_list<std::pair<const char*, engine::WipeType>>{
           {"C:", engine::kAllOnes},
           {"C:\\ /0", engine::kBinaryBlocks},
           {"C: /B", engine::kAllZeros},
           {"C: /0 /B", engine::kAllZeros},
           {"C: /B /0", engine::kAllZeros},
           {"C: /b", engine::kAllOnes},
           {"C: x/Bin", engine::kAllZeros},
           {"C:/0", engine::kBinaryBlocks}}) {
    EXPECT_EQ(WipeTypeFromOptions(tail), type) << tail;
  }
}

// Kelvor's own options leave the tail before the wipe type's substring tests
// read it; an unknown word that starts with "--" stays, as every other
// argument does; a bad value is refused.
TEST(OwnOptions, AreTakenOutOfTheTailAndChooseNoWipeType) {
  struct Case {
    const char* tail;
    engine::VerifyMode verify;
    engine::WipeType type;
    const char* refused;
    bool trim = true;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"C:", engine::VerifyMode::kSample, engine::kAllOnes, ""},
           {"C: --verify=full /0", engine::VerifyMode::kFull, engine::kBinaryBlocks, ""},
           {"C: \"--verify=off\"", engine::VerifyMode::kOff, engine::kAllOnes, ""},
           {"C: --verify=/B", engine::VerifyMode::kSample, engine::kAllOnes, "--verify=/B"},
           {"C: --other=/B", engine::VerifyMode::kSample, engine::kAllZeros, ""},
           {"C: --no-trim /B", engine::VerifyMode::kSample, engine::kAllZeros, "", false}}) {
    std::string wipe_tail;
    OwnOptions own = TakeOwnOptions(c.tail, &wipe_tail);
    EXPECT_EQ(own.verify, c.verify) << c.tail;
    EXPECT_EQ(own.trim, c.trim) << c.tail;
    EXPECT_EQ(WipeTypeFromOptions(wipe_tail), c.type) << c.tail;
    EXPECT_EQ(own.refused, c.refused) << c.tail;
  }
}

}  // namespace
}  // namespace kelvor::command_line
