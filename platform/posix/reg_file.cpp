#include "reg_file.h"

#include <cctype>
#include <optional>
#include <sstream>
#include <vector>

namespace kelvor::os {
namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4Header = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::uint32_t kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kMultiSz = 7;

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16LE bytes to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t code = unit(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// Reads a quoted string with the escapes \\ and \" from the start of text and
// returns it; text is left after the closing quote.
std::optional<std::string> TakeQuoted(std::string_view& text) {
  if (text.empty() || text[0] != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out += text[++i];
    } else if (text[i] == '"') {
      text.remove_prefix(i + 1);
      return out;
    } else {
      out += text[i];
    }
  }
  return std::nullopt;
}

std::optional<std::string> ParseHexBytes(std::string_view list) {
  std::string bytes;
  std::istringstream items{std::string(list)};
  std::string item;
  while (std::getline(items, item, ',')) {
    std::string_view digits = Trim(item);
    if (digits.empty()) continue;
    if (digits.size() > 2 || !std::isxdigit(static_cast<unsigned char>(digits[0])) ||
        !std::isxdigit(static_cast<unsigned char>(digits.back()))) {
      return std::nullopt;
    }
    bytes += static_cast<char>(std::stoul(std::string(digits), nullptr, 16));
  }
  return bytes;
}

std::optional<RegValue> ParseData(std::string_view data, bool unicode_file) {
  if (!data.empty() && data[0] == '"') {
    std::optional<std::string> text = TakeQuoted(data);
    if (!text || !Trim(data).empty()) return std::nullopt;
    return RegValue{kSz, *text + '\0'};
  }
  if (data.starts_with("dword:")) {
    std::string_view digits = data.substr(6);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    for (char c : digits) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    std::uint32_t number = static_cast<std::uint32_t>(std::stoul(std::string(digits), nullptr, 16));
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
      bytes += static_cast<char>((number >> shift) & 0xFF);
    return RegValue{kDword, bytes};
  }
  if (!data.starts_with("hex")) return std::nullopt;
  std::uint32_t type = kBinary;
  data.remove_prefix(3);
  if (data.starts_with("(")) {
    std::size_t close = data.find(')');
    if (close == std::string_view::npos || close == 1 || close > 9) return std::nullopt;
    std::string digits(data.substr(1, close - 1));
    for (char c : digits) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    type = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
    data.remove_prefix(close + 1);
  }
  if (!data.starts_with(":")) return std::nullopt;
  std::optional<std::string> bytes = ParseHexBytes(data.substr(1));
  if (!bytes) return std::nullopt;
  // Version 5 files keep expandable and multi-string data as UTF-16; the 8-bit
  // registry call returns it converted.
  if (unicode_file && (type == kExpandSz || type == kMultiSz)) *bytes = Utf16LeToUtf8(*bytes);
  return RegValue{type, *bytes};
}

// Splits text into logical lines, joining hex lists continued with a final "\".
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream stream{std::string(text)};
  std::string line;
  bool continuing = false;
  while (std::getline(stream, line)) {
    std::string_view trimmed = Trim(line);
    if (continuing) {
      lines.back() += trimmed;
    } else {
      lines.emplace_back(trimmed);
    }
    std::string& current = lines.back();
    continuing =
        !current.empty() && current.back() == '\\' && current.find("=hex") != std::string::npos;
    if (continuing) current.pop_back();
  }
  return lines;
}

void DeleteKeyTree(RegKeys& keys, const std::string& path) {
  for (auto it = keys.begin(); it != keys.end();) {
    bool below = it->first == path || it->first.starts_with(path + "\\");
    it = below ? keys.erase(it) : std::next(it);
  }
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

RegKeys ParseRegFile(std::string_view raw) {
  std::string text;
  if (raw.starts_with(kUtf16LeBom)) {
    text = Utf16LeToUtf8(raw.substr(kUtf16LeBom.size()));
  } else {
    text = std::string(raw.starts_with(kUtf8Bom) ? raw.substr(kUtf8Bom.size()) : raw);
  }

  std::vector<std::string> lines = LogicalLines(text);
  if (lines.empty()) return {};
  bool unicode_file = lines[0] == kVersion5Header;
  if (!unicode_file && lines[0] != kVersion4Header) return {};

  RegKeys keys;
  RegValues* current = nullptr;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      current = nullptr;
      if (line.back() != ']' || line.size() < 3) continue;
      std::string_view path = line.substr(1, line.size() - 2);
      if (path[0] == '-') {
        DeleteKeyTree(keys, FoldCase(path.substr(1)));
      } else {
        current = &keys[FoldCase(path)];
      }
      continue;
    }
    if (!current) continue;

    std::string name;
    if (line[0] == '@') {
      line.remove_prefix(1);
    } else if (std::optional<std::string> quoted = TakeQuoted(line)) {
      name = *quoted;
    } else {
      continue;
    }
    line = Trim(line);
    if (line.empty() || line[0] != '=') continue;
    std::string_view data = Trim(line.substr(1));
    if (data == "-") {
      current->erase(FoldCase(name));
    } else if (std::optional<RegValue> value = ParseData(data, unicode_file)) {
      (*current)[FoldCase(name)] = *value;
    }
  }
  return keys;
}

}  // namespace kelvor::os
