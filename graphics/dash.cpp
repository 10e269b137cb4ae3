// Dash patterns for all later stroked lines.
#include <string_view>

#include "device/pen_draw.hpp"
#include "device/record.hpp"
#include "graphics/palette.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr std::string_view kSolid = "[] 0 setdash";

// Patterns 0 to 7: dash and gap lengths in points, independent of the scale.
constexpr std::string_view kPatterns[] = {
    "[2 8] 0 setdash",     "[2 2] 0 setdash",     "[4 4] 0 setdash",
    "[8 8] 0 setdash",     "[6 2 2 2] 0 setdash", "[8 4 4 4] 0 setdash",
    "[6 4 4 4 4 4] 0 setdash", "[6 2] 0 setdash",
};

constexpr int kAlsoSolid = 12;

// The pattern line for n; empty when n has no entry and the pattern stays.
std::string_view pattern_line(int n) {
  if (n < 0 || n == kAlsoSolid) return kSolid;
  if (n < static_cast<int>(std::size(kPatterns))) return kPatterns[n];
  return {};
}

}  // namespace

void dashln(int pattern) {
  device::write_text(" stroke");
  device::forget_current_point();
  if (const auto line = pattern_line(pattern); !line.empty()) device::write_text(line);
  graphics::write_pen_position_line();
}

}  // namespace plume

extern "C" void dashln_(const int32_t* pattern) { plume::dashln(*pattern); }
