#include "driver/input_error.hpp"

namespace traceplot {

std::string quoted(std::string_view text) {
  constexpr std::size_t kShown = 60;
  const bool cut = text.size() > kShown;
  if (cut) text = text.substr(0, kShown);
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7f) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  out += cut ? "\"..." : "\"";
  return out;
}

}  // namespace traceplot
