// A build without cairo: EPS only. Units connected to the other formats
// report that this build lacks them.
#include <string>

#include "device/unit_sink.hpp"

namespace plume::device {

std::unique_ptr<UnitSink> make_render_sink(OutputFormat format, const std::string&, std::string& reason) {
  const char* name = format == OutputFormat::pdf ? "PDF" : format == OutputFormat::svg ? "SVG" : "PNG";
  reason = std::string("this build of plume has no ") + name + " output (built without cairo)";
  return nullptr;
}

std::unique_ptr<ExtentMeter> make_extent_meter() { return nullptr; }

}  // namespace plume::device
