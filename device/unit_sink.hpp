// Where a unit's bytes go when they are not written to a file as they stand:
// a unit connected to a .pdf, .svg or .png path hands its document text to a
// renderer, and an EPS document that announces its box in the header lets a
// meter read its lines on their way to the file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace plume::device {

class UnitSink {
 public:
  virtual ~UnitSink() = default;
  // False on failure; reason() then says why.
  virtual bool consume(const char* data, std::size_t size) = 0;
  // The document is complete: write the output. False on failure.
  virtual bool finish() = 0;
  virtual std::string reason() const = 0;
};

enum class OutputFormat { eps, pdf, svg, png };
// From the extension of the path, case-insensitively; EPS for every other path.
OutputFormat format_of_path(std::string_view path);

// The renderer for `path` in `format` (not EPS), or null with the reason
// (the path cannot be written, or this build lacks the format).
std::unique_ptr<UnitSink> make_render_sink(OutputFormat format, const std::string& path,
                                           std::string& reason);

// Measures the extent of everything the lines it consumes draw.
class ExtentMeter : public UnitSink {
 public:
  // The extent in sheet points, or false when nothing was drawn.
  virtual bool extent(double& x0, double& y0, double& x1, double& y1) const = 0;
};
// Null when this build cannot measure (no cairo for the text metrics).
std::unique_ptr<ExtentMeter> make_extent_meter();

// Page settings for the documents connected after they are made.
struct RenderSettings {
  bool crop_pages = true;
  int raster_dpi = 150;
};
RenderSettings& render_settings();

}  // namespace plume::device
