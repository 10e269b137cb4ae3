// The C++ face's document: one plot on a unit of its own.

#include "device/output_unit.hpp"
#include "device/plot_state.hpp"
#include "plume/plume.hpp"

namespace plume {
namespace {

// Far above the unit numbers programs choose, so a document never takes
// over a unit its program writes.
int next_document_unit() {
  static int next = 20000;
  return next++;
}

}  // namespace

Document::Document(std::string_view path, Orientation orientation, Units units) : unit_(next_document_unit()) {
  connect_unit(unit_, path);
  hplots(1, orientation == Orientation::portrait ? 1 : 0, unit_, static_cast<int>(units));
}

Document::~Document() {
  // A plot opened since closed this one already.
  if (device::open_plot_unit() != unit_) return;
  p00000_.out_unit = unit_;
  hplots(0, 0, unit_, 0);
}

}  // namespace plume
