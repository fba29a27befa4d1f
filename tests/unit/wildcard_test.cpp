#include "platform/common/wildcard.h"

#include <gtest/gtest.h>

namespace kelvor::os {
namespace {

TEST(MatchesWildcard, StarAndQuestionMarkWithoutRegardToCase) {
  EXPECT_TRUE(MatchesWildcard("Kelvor12.dat", "Kelvor*.dat"));
  EXPECT_TRUE(MatchesWildcard("kelvor0.DAT", "Kelvor*.dat"));
  EXPECT_TRUE(MatchesWildcard("Kelvor.dat", "Kelvor*.dat"));
  EXPECT_FALSE(MatchesWildcard("Kelvor1.dat.bak", "Kelvor*.dat"));
  EXPECT_FALSE(MatchesWildcard("MyKelvor1.dat", "Kelvor*.dat"));
  EXPECT_TRUE(MatchesWildcard("a.dat.dat", "*.dat"));
  EXPECT_TRUE(MatchesWildcard("ab", "a?"));
  EXPECT_FALSE(MatchesWildcard("a", "a?"));
  EXPECT_TRUE(MatchesWildcard("anything", "*"));
  EXPECT_TRUE(MatchesWildcard("exact", "EXACT"));
  EXPECT_FALSE(MatchesWildcard("exact", ""));
  EXPECT_TRUE(MatchesWildcard(L"kelvor0.DAT", L"Kelvor*.dat"));  // wide names, as Windows has them
  EXPECT_FALSE(MatchesWildcard(L"Kelvor notes.data", L"Kelvor*.dat"));
}

TEST(MatchesWildcard, StarDotStarMatchesNamesWithoutADot) {
  EXPECT_TRUE(MatchesWildcard("README", "*.*"));
  EXPECT_TRUE(MatchesWildcard("a.b", "*.*"));
}

}  // namespace
}  // namespace kelvor::os
