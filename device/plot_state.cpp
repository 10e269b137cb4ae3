// The shared records, all zero at program start.
#include "device/plot_state.hpp"

extern "C" {
plume_a00000 a00000_ = {};
plume_p00000 p00000_ = {};
plume_l00001 l00001_ = {};
plume_p00001 p00001_ = {};
plume_w00001 w00001_ = {};
plume_m00001 m00001_ = {};
plume_m00000 m00000_ = {};
}
