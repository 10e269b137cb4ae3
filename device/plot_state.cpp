// The shared records, all zero at program start. Aligned as gfortran aligns
// COMMON blocks, so Fortran objects that declare them link without warnings.
#include "device/plot_state.hpp"

extern "C" {
alignas(32) plume_a00000 a00000_ = {};
alignas(32) plume_p00000 p00000_ = {};
alignas(32) plume_l00001 l00001_ = {};
alignas(32) plume_p00001 p00001_ = {};
alignas(32) plume_w00001 w00001_ = {};
alignas(32) plume_m00001 m00001_ = {};
alignas(32) plume_m00000 m00000_ = {};
}
