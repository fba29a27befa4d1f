#include "platform/common/wildcard.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kelvor::os {
namespace {

// Star and question mark without regard to case; "*.*" also matches names
// without a dot.
TEST(MatchesWildcard, StarAndQuestionMarkWithoutRegardToCase) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Kelvor12.dat", "Kelvor*.dat", true},
      {"kelvor0.DAT", "Kelvor*.dat", true},
      {"Kelvor.dat", "Kelvor*.dat", true},
      {"Kelvor1.dat.bak", "Kelvor*.dat", false},
      {"MyKelvor1.dat", "Kelvor*.dat", false},
      {"a.dat.dat", "*.dat", true},
      {"ab", "a?", true},
      {"a", "a?", false},
      {"exact", "EXACT", true},
      {"exact", "", false},
      {"README", "*.*", true}};
  for (auto [name, pattern, matches] : cases) {
    EXPECT_EQ(MatchesWildcard(name, pattern), matches) << name << " " << pattern;
  }
  EXPECT_TRUE(MatchesWildcard(L"kelvor0.DAT", L"Kelvor*.dat"));  // wide names, as Windows has them
  EXPECT_FALSE(MatchesWildcard(L"Kelvor notes.data", L"Kelvor*.dat"));
}

}  // namespace
}  // namespace kelvor::os
