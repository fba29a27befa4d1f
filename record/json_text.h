// JSON text, written by hand: an object member by member, indented by its
// depth, and strings escaped as JSON needs them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor::record {

// A JSON string of the text: quotes, backslashes and control characters
// escaped; bytes that are no UTF-8 become U+FFFD, so that the result is
// always valid JSON whatever a file name holds.
std::string JsonString(std::string_view text);

class JsonObject {
 public:
  explicit JsonObject(int depth = 0) : depth_(depth) {}
  int depth() const { return depth_; }

  JsonObject& AddText(std::string_view key, std::string_view text);
  JsonObject& AddNumber(std::string_view key, std::uint64_t number);
  JsonObject& AddInteger(std::string_view key, std::int64_t number);
  JsonObject& AddBool(std::string_view key, bool value);
  // To the millisecond: "1.234".
  JsonObject& AddSeconds(std::string_view key, double seconds);
  // An object or array already written at depth() + 1.
  JsonObject& AddJson(std::string_view key, std::string_view json);

  std::string Text() const;

 private:
  int depth_;
  std::vector<std::string> members_;
};

// An array of JSON values written at `depth`.
std::string JsonArray(const std::vector<std::string>& values, int depth);

}  // namespace kelvor::record
