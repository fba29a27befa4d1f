#include "text/printable_text.h"

namespace kelvor::text {
namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7f;

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string printable;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= kFirstPrintable && byte != kDelete) {
      printable += c;
      continue;
    }
    printable += '\\';
    for (int shift : {6, 3, 0}) printable += static_cast<char>('0' + ((byte >> shift) & 7));
  }
  return printable;
}

}  // namespace kelvor::text
