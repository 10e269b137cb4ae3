// Fortran edit descriptors, byte for byte as the gfortran runtime writes them.
//
// write_fixed: Fw.d. The decimal value is rounded correctly from the exact
// binary value, ties to even; a 0 stands before the point only where it fits;
// negative values that round to zero keep their minus sign; a value wider
// than the field fills it with asterisks. w = 0 writes the minimal width.
// write_integer: Iw, asterisks on overflow; w = 0 writes the minimal width.
//
// Each returns the pointer just past what it wrote. The caller provides at
// least max(w, kMaxMinimalWidth) bytes.
#pragma once

#include <cstdint>

namespace plume::fmt {

inline constexpr int kMaxMinimalWidth = 64;

char* write_fixed(char* out, float value, int w, int d);
char* write_integer(char* out, std::int32_t value, int w);

// A PostScript operand in an Fw.d field: like write_fixed for finite values
// that fit; a finite value beyond the field is clamped to the widest value it
// can print ("9999999.999" / "-999999.999" for f11.3). Non-finite values are
// the caller's to reject before calling.
char* write_operand(char* out, float value, int w, int d);
// An integer in an Iw field, clamped to what the field can print.
char* write_operand_integer(char* out, std::int32_t value, int w);

}  // namespace plume::fmt
