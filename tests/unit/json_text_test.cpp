#include "record/json_text.h"

#include <gtest/gtest.h>

namespace kelvor::record {
namespace {

// A record must stay valid JSON whatever a mount point or label holds:
// quotes, backslashes and control characters are escaped, UTF-8 is kept,
// and every byte that is no UTF-8 becomes U+FFFD.
TEST(JsonString, EscapesWhatJsonNeedsAndReplacesWhatIsNoUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line\nend\x01", "\"line\\u000aend\\u0001\""},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x92\xBE",
       "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x92\xBE\""},
      {"\xFF", "\"\xEF\xBF\xBD\""},
      {"cut \xC3", "\"cut \xEF\xBF\xBD\""},
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                  // an overlong "/"
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a lone surrogate
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json) << text;
}

}  // namespace
}  // namespace kelvor::record
