// The output format a path selects, and the page settings of the formats
// drawn by the renderer.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "device/unit_sink.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume::device {

OutputFormat format_of_path(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return OutputFormat::eps;
  std::string ext(path.substr(dot + 1));
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == "pdf") return OutputFormat::pdf;
  if (ext == "svg") return OutputFormat::svg;
  if (ext == "png") return OutputFormat::png;
  return OutputFormat::eps;
}

RenderSettings& render_settings() {
  static RenderSettings settings;
  return settings;
}

}  // namespace plume::device

namespace plume {

void crop_pages(bool on) { device::render_settings().crop_pages = on; }

// Below 1 dpi nothing would show; above 4800 a sheet would not fit cairo's
// largest raster. Out-of-range requests are brought to the nearest limit.
void raster_dpi(int dpi) { device::render_settings().raster_dpi = std::clamp(dpi, 1, 4800); }

}  // namespace plume

extern "C" {
void plume_crop_pages(int32_t on) { plume::crop_pages(on != 0); }
void plume_raster_dpi(int32_t dpi) { plume::raster_dpi(dpi); }
void crop_pages_(const int32_t* on) { plume::crop_pages(*on != 0); }
void raster_dpi_(const int32_t* dpi) { plume::raster_dpi(*dpi); }
}
