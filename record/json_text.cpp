#include "record/json_text.h"

#include <cstdio>

namespace kelvor::record {
namespace {

constexpr int kIndent = 2;
constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the UTF-8 sequence at `at`, or 0 where none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  std::size_t length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  // No overlong forms, no surrogates, nothing past U+10FFFF.
  unsigned char second = length > 1 ? byte(at + 1) : 0;
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

std::string Spaces(int depth) {
  return std::string(static_cast<std::size_t>(depth * kIndent), ' ');
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (std::size_t at = 0; at < text.size();) {
    char c = text[at];
    std::size_t length = Utf8Length(text, at);
    if (length == 0) {
      json += kReplacement;
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[7];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
      json += escaped;
    } else {
      json.append(text.substr(at, length));
    }
    at += length;
  }
  return json + "\"";
}

JsonObject& JsonObject::AddText(std::string_view key, std::string_view text) {
  return AddJson(key, JsonString(text));
}

JsonObject& JsonObject::AddNumber(std::string_view key, std::uint64_t number) {
  return AddJson(key, std::to_string(number));
}

JsonObject& JsonObject::AddSeconds(std::string_view key, double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return AddJson(key, text);
}

JsonObject& JsonObject::AddInteger(std::string_view key, std::int64_t number) {
  return AddJson(key, std::to_string(number));
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
  return AddJson(key, value ? "true" : "false");
}

JsonObject& JsonObject::AddJson(std::string_view key, std::string_view json) {
  members_.push_back(Spaces(depth_ + 1) + JsonString(key) + ": " + std::string(json));
  return *this;
}

std::string JsonObject::Text() const {
  if (members_.empty()) return "{}";
  std::string text = "{\n";
  for (std::size_t i = 0; i < members_.size(); ++i) {
    text += members_[i] + (i + 1 < members_.size() ? ",\n" : "\n");
  }
  return text + Spaces(depth_) + "}";
}

std::string JsonArray(const std::vector<std::string>& values, int depth) {
  if (values.empty()) return "[]";
  std::string text = "[\n";
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += Spaces(depth + 1) + values[i] + (i + 1 < values.size() ? ",\n" : "\n");
  }
  return text + Spaces(depth) + "]";
}

}  // namespace kelvor::record
