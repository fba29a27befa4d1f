#include "command_line/posix_arguments.h"

#include <gtest/gtest.h>

namespace kelvor::command_line {
namespace {

// Options stand before or after the drive, in any order, and "--" ends them.
TEST(PosixArguments, OptionsMayStandAnywhereAndDoubleDashEndsThem) {
  Request request = ReadArguments({"--zeros", "-q", "D:", "--verify=full", "--record=r.json"});
  EXPECT_EQ(request.error, "");
  EXPECT_EQ(request.drive, "D:");
  EXPECT_EQ(request.wipe_type, engine::kAllZeros);
  EXPECT_TRUE(request.quiet);
  EXPECT_EQ(request.own.verify, engine::VerifyMode::kFull);
  EXPECT_EQ(request.own.record_path, "r.json");

  EXPECT_EQ(ReadArguments({"E:", "/0"}).wipe_type, engine::kBinaryBlocks);
  EXPECT_EQ(ReadArguments({"/0", "E:", "/B"}).wipe_type, engine::kAllZeros);  // /B decides
  EXPECT_EQ(ReadArguments({"--", "--zeros"}).drive, "--zeros");
  EXPECT_TRUE(ReadArguments({"--check", "E:"}).own.check);
  EXPECT_TRUE(ReadArguments({"--yes", "C:"}).confirmed);

  EXPECT_EQ(ReadArguments({}).action, Action::kListDrives);
  EXPECT_EQ(ReadArguments({"E:", "-h"}).action, Action::kListDrives);
  EXPECT_EQ(ReadArguments({"-V", "--frobnicate"}).action, Action::kShowVersion);
  EXPECT_EQ(ReadArguments({"--version", "--help"}).action, Action::kListDrives);
}

// A typo, a second drive or a bad value is one line that names it; none of
// them leaves a request that could wipe.
TEST(PosixArguments, AWordThatIsNoOptionIsAnErrorThatNamesIt) {
  const std::pair<std::vector<std::string>, std::string> kCases[] = {
      {{"E:", "/b"}, "unknown option /b"},
      {{"E:", "--Zeros"}, "unknown option --Zeros"},
      {{"-z", "E:"}, "unknown option -z"},
      {{"E:", "--frobnicate", "--also"}, "unknown option --frobnicate"},
      {{"E:", "F:"}, "one drive only: F: is one too many"},
      {{"--zeros"}, "no drive named"},
      {{"E:", "--verify=most"},
       "--verify=most: --verify takes sample, full or off; --record a file"},
      {{"E:", "--record="}, "--record=: --verify takes sample, full or off; --record a file"},
  };
  for (const auto& [words, error] : kCases) {
    EXPECT_EQ(ReadArguments(words).error, error) << words[0] << " " << words.back();
  }
}

}  // namespace
}  // namespace kelvor::command_line
