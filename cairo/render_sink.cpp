// A unit connected to a .pdf, .svg or .png path: its document text is
// spooled to a temporary file and measured as it arrives (the extent of each
// page), then read once more at the close and drawn on pages of that size,
// into files that replace the targets only once every page is complete.
// Memory stays bounded by the longest path, whatever the document's length.
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cairo/interpreter.hpp"
#include "device/replacement_file.hpp"
#include "device/unit_sink.hpp"

namespace plume::render {
namespace {

using device::OutputFormat;

// The sheet the orientation transforms place the drawing on (A4).
constexpr Box kSheet{0, 0, 595, 842};
constexpr double kMargin = 2;
// Pages stay within what PDF viewers and cairo's raster accept.
constexpr Box kLargestPage{-14000, -14000, 14000, 14000};
constexpr double kLargestRaster = 32000;
// At most 400 MB of pixels: a page drawn far out at a fine resolution gets
// the resolution that fits.
constexpr double kMostPixels = 1e8;
// Width of a line of width 0 in PDF and SVG: one dot at 300 dpi.
constexpr double kThinnestVector = 72.0 / 300;

struct PageBoxes : PageSink {
  std::vector<Box> inks;
  Canvas end_page(const Box& ink) override {
    inks.push_back(ink);
    return {};
  }
};

// Why the last write of a page failed (cairo keeps only that it did).
int g_write_error = 0;

cairo_status_t write_to_file(void* closure, const unsigned char* data, unsigned int length) {
  auto* file = static_cast<std::FILE*>(closure);
  if (std::fwrite(data, 1, length, file) == length) return CAIRO_STATUS_SUCCESS;
  g_write_error = errno;
  return CAIRO_STATUS_WRITE_ERROR;
}

// NAME.svg, NAME-2.svg, NAME-3.svg ...
std::string page_path(const std::string& path, int page) {
  if (page == 1) return path;
  const auto dot = path.rfind('.');
  return path.substr(0, dot) + "-" + std::to_string(page) + path.substr(dot);
}

// An unnamed file in `dir`, read and written, or null.
std::FILE* open_spool_in(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::string name = dir + "/.plume-spool-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    ::unlink(name.c_str());
  }
  std::FILE* f = ::fdopen(fd, "w+b");
  if (f == nullptr) ::close(fd);
  return f;
}

// The document text waits in $TMPDIR (or /tmp); when that cannot take a
// file, beside the target.
std::FILE* open_spool(const std::string& target) {
  const char* dir = std::getenv("TMPDIR");
  if (std::FILE* f = open_spool_in(dir != nullptr && *dir != '\0' ? dir : "/tmp")) return f;
  const auto slash = target.rfind('/');
  return open_spool_in(slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash));
}

class Drawing : public PageSink {
 public:
  Drawing(OutputFormat format, std::string path, std::vector<Box> pages, double dpi)
      : format_(format), path_(std::move(path)), pages_(std::move(pages)), dpi_(dpi) {}
  ~Drawing() override { release(); }

  Canvas begin(int index);
  Canvas end_page(const Box&) override {
    finish_page();
    ++index_;
    return index_ < static_cast<int>(pages_.size()) && error_.empty() ? begin(index_) : Canvas{};
  }
  // Ends the document; the reason of a failure, or empty.
  std::string close() {
    if (pdf_ != nullptr) {
      cairo_surface_finish(pdf_);
      check(cairo_surface_status(pdf_), path_);
    }
    release();
    if (format_ == OutputFormat::pdf && error_.empty() && !files_.empty()) put_in_place(0);
    if (format_ != OutputFormat::pdf && error_.empty()) remove_stale_pages();
    files_.clear();  // what was not put in place is removed
    return error_;
  }

 private:
  void finish_page();
  void put_in_place(std::size_t file);
  void remove_stale_pages();
  void check(cairo_status_t status, const std::string& path) {
    if (status != CAIRO_STATUS_SUCCESS && error_.empty()) {
      error_ = "cannot draw " + path + ": " + cairo_status_to_string(status);
      if (status == CAIRO_STATUS_WRITE_ERROR && g_write_error != 0) {
        error_ += std::string(" (") + std::strerror(g_write_error) + ")";
      }
    }
  }
  std::FILE* open_page_file(int page) {
    auto file = std::make_unique<device::ReplacementFile>();
    std::string reason;
    const std::string p = page_path(path_, page);
    if (!file->open(p, reason)) {
      if (error_.empty()) error_ = "cannot open " + p + ": " + reason;
      return nullptr;
    }
    files_.push_back(std::move(file));
    return files_.back()->stream();
  }
  void release() {
    if (cr_ != nullptr) cairo_destroy(cr_);
    cr_ = nullptr;
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    surface_ = nullptr;
    if (pdf_ != nullptr) cairo_surface_destroy(pdf_);
    pdf_ = nullptr;
  }

  OutputFormat format_;
  std::string path_;
  std::vector<Box> pages_;
  double dpi_;
  int index_ = 0;
  std::string error_;
  // The files of the document (one PDF, or a file per SVG or PNG page).
  std::vector<std::unique_ptr<device::ReplacementFile>> files_;
  cairo_surface_t* pdf_ = nullptr;   // one surface for every page of a PDF
  std::FILE* pdf_file_ = nullptr;
  cairo_surface_t* surface_ = nullptr;  // the page's own surface (SVG, PNG)
  std::FILE* page_file_ = nullptr;
  cairo_t* cr_ = nullptr;
};

// Each file replaces its target once it is complete: a failure on page 3
// leaves the earlier page 3 (and what follows) as it was.
void Drawing::put_in_place(std::size_t file) {
  std::string reason;
  if (!files_[file]->commit(reason) && error_.empty()) {
    error_ = "cannot write " + page_path(path_, static_cast<int>(file) + 1) + ": " + reason;
  }
}

// Pages that an earlier, longer document left beyond the last one are
// removed, so that NAME-*.svg is one document; the run stops at the first
// number that has no page file.
void Drawing::remove_stale_pages() {
  for (int page = static_cast<int>(files_.size()) + 1;; ++page) {
    const std::string stale = page_path(path_, page);
    struct stat st {};
    if (::lstat(stale.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::unlink(stale.c_str()) != 0) break;
  }
}

Canvas Drawing::begin(int index) {
  const Box& box = pages_[static_cast<std::size_t>(index)];
  const double width = box.x1 - box.x0;
  const double height = box.y1 - box.y0;
  double scale = 1;
  if (format_ == OutputFormat::pdf) {
    if (pdf_ == nullptr) {
      pdf_file_ = open_page_file(1);
      if (pdf_file_ == nullptr) return {};
      pdf_ = cairo_pdf_surface_create_for_stream(write_to_file, pdf_file_, width, height);
    } else {
      cairo_pdf_surface_set_size(pdf_, width, height);
    }
    cr_ = cairo_create(pdf_);
  } else {
    page_file_ = open_page_file(index + 1);
    if (page_file_ == nullptr) return {};
    if (format_ == OutputFormat::svg) {
      surface_ = cairo_svg_surface_create_for_stream(write_to_file, page_file_, width, height);
      cairo_svg_surface_set_document_unit(surface_, CAIRO_SVG_UNIT_PT);
      cr_ = cairo_create(surface_);
    } else {
      scale = std::min({dpi_ / 72, kLargestRaster / std::max(width, height),
                        std::sqrt(kMostPixels / std::max(1.0, width * height))});
      const auto pixels = [&](double side) { return std::max(1, static_cast<int>(std::ceil(side * scale - 1e-9))); };
      // Whole pixels round each side up: a page at the limit can pass it
      // by a row or a column, which a slightly lower resolution takes back.
      while (static_cast<double>(pixels(width)) * pixels(height) > kMostPixels) scale *= 0.9999;
      const int w = pixels(width);
      const int h = pixels(height);
      surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
      cr_ = cairo_create(surface_);
      cairo_set_source_rgb(cr_, 1, 1, 1);
      cairo_paint(cr_);
    }
  }
  // Glyphs placed at their exact advances, as in the vector formats and in
  // the measuring pass, not snapped to whole pixels.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
  // Sheet points, y up, to the page's device space, y down.
  return {cr_, Matrix{scale, 0, 0, -scale, -box.x0 * scale, box.y1 * scale}};
}

void Drawing::finish_page() {
  if (cr_ == nullptr) return;
  check(cairo_status(cr_), path_);
  const std::string file = page_path(path_, index_ + 1);
  if (format_ == OutputFormat::pdf) {
    cairo_show_page(cr_);
    cairo_destroy(cr_);
    cr_ = nullptr;
    return;
  }
  cairo_destroy(cr_);
  cr_ = nullptr;
  if (format_ == OutputFormat::png) {
    cairo_surface_flush(surface_);
    check(cairo_surface_write_to_png_stream(surface_, write_to_file, page_file_), file);
  } else {
    cairo_surface_finish(surface_);
    check(cairo_surface_status(surface_), file);
  }
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  page_file_ = nullptr;
  if (error_.empty()) put_in_place(files_.size() - 1);
}

class RenderSink final : public device::UnitSink {
 public:
  RenderSink(OutputFormat format, std::string path, std::FILE* spool)
      : format_(format), path_(std::move(path)), spool_(spool),
        settings_(device::render_settings()),
        measure_(std::make_unique<Interpreter>(fonts_, boxes_, Canvas{}, thinnest())) {}
  ~RenderSink() override { std::fclose(spool_); }

  bool consume(const char* data, std::size_t size) override {
    if (std::fwrite(data, 1, size, spool_) != size) {
      reason_ = std::string("cannot spool the document: ") + std::strerror(errno);
      return false;
    }
    measure_->feed(data, size);
    return true;
  }

  bool finish() override {
    measure_->finish();
    measure_.reset();
    std::vector<Box> pages;
    for (const Box& ink : boxes_.inks) pages.push_back(page_box(ink));
    Drawing drawing(format_, path_, pages, settings_.raster_dpi);
    {
      Interpreter draw(fonts_, drawing, drawing.begin(0), thinnest());
      if (!replay(draw)) {
        drawing.close();
        return false;
      }
      draw.finish();
    }
    reason_ = drawing.close();
    return reason_.empty();
  }

  std::string reason() const override { return reason_; }

 private:
  double thinnest() const {
    return format_ == OutputFormat::png ? 72.0 / settings_.raster_dpi : kThinnestVector;
  }
  Box page_box(const Box& ink) const {
    if (!settings_.crop_pages || ink.empty()) return kSheet;
    const Box page = ink.grown(kMargin).intersected(kLargestPage);
    return page.empty() ? kSheet : page;
  }
  bool replay(Interpreter& draw) {
    if (std::fflush(spool_) != 0 || std::fseek(spool_, 0, SEEK_SET) != 0) {
      reason_ = std::string("cannot read the spooled document: ") + std::strerror(errno);
      return false;
    }
    std::vector<char> chunk(std::size_t{1} << 20);
    while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), spool_)) draw.feed(chunk.data(), n);
    if (std::ferror(spool_) != 0) {
      reason_ = "cannot read the spooled document";
      return false;
    }
    return true;
  }

  OutputFormat format_;
  std::string path_;
  std::FILE* spool_;
  device::RenderSettings settings_;
  Fonts fonts_;
  PageBoxes boxes_;
  std::unique_ptr<Interpreter> measure_;
  std::string reason_;
};

struct NoPages : PageSink {
  Canvas end_page(const Box&) override { return {}; }
};

class Meter final : public device::ExtentMeter {
 public:
  Meter() : interpreter_(fonts_, pages_, Canvas{}, 0) {}
  bool consume(const char* data, std::size_t size) override {
    interpreter_.feed(data, size);
    return true;
  }
  bool finish() override { return true; }
  std::string reason() const override { return {}; }
  bool extent(double& x0, double& y0, double& x1, double& y1) const override {
    const Box& b = interpreter_.total_ink();
    if (b.empty()) return false;
    x0 = b.x0, y0 = b.y0, x1 = b.x1, y1 = b.y1;
    return true;
  }

 private:
  Fonts fonts_;
  NoPages pages_;
  Interpreter interpreter_;
};

}  // namespace
}  // namespace plume::render

namespace plume::device {

std::unique_ptr<UnitSink> make_render_sink(OutputFormat format, const std::string& path, std::string& reason) {
  // The target is replaced only when its document is complete; whether it
  // can be is known now, when the plot opens.
  reason = replacement_problem(path);
  if (!reason.empty()) return nullptr;
  std::FILE* spool = render::open_spool(path);
  if (spool == nullptr) {
    reason = std::string("cannot make a temporary file: ") + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<render::RenderSink>(format, path, spool);
}

std::unique_ptr<ExtentMeter> make_extent_meter() { return std::make_unique<render::Meter>(); }

}  // namespace plume::device
