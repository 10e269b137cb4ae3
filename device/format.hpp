// Fortran edit descriptors, byte for byte as the gfortran runtime writes them.
//
// write_fixed: Fw.d. The decimal value is rounded correctly from the exact
// binary value, ties to even; a 0 stands before the point only where it fits
// (with d = 0 the 0 is required: "0."); a negative value, -0.0 and negative
// values that round to zero included, keeps its minus sign; a value wider
// than the field fills it with asterisks. w = 0 writes the minimal width
// (no blanks, no optional 0: F0.2 of 0.5 is ".50"). Infinity and NaN are
// written right-aligned as "Infinity", "Inf", "-Infinity", "-Inf", "NaN",
// whichever fits, else asterisks.
// write_integer: Iw, asterisks on overflow; w = 0 writes the minimal width.
//
// Decimals d run from 0 to kMaxDecimals (a negative d counts as 0; a larger
// d, which no edit descriptor of the library uses, fills the field with
// asterisks, one asterisk for w = 0). A negative w writes nothing.
//
// Each returns the pointer just past what it wrote. The caller provides at
// least max(w, kMaxMinimalWidth) bytes.
#pragma once

#include <cstdint>

namespace plume::fmt {

inline constexpr int kMaxMinimalWidth = 64;
inline constexpr int kMaxDecimals = 20;

char* write_fixed(char* out, float value, int w, int d);
char* write_integer(char* out, std::int32_t value, int w);

// A PostScript operand in an Fw.d field: like write_fixed for finite values
// that fit; a finite value beyond the field is clamped to the widest value it
// can print ("9999999.999" / "-999999.999" for f11.3). Non-finite values are
// the caller's to reject before calling (they are written as write_fixed
// writes them). A field too narrow to print any value of that sign (w < d + 1,
// or w < d + 2 for negatives, one more for d = 0) keeps its asterisks.
char* write_operand(char* out, float value, int w, int d);
// An integer in an Iw field, clamped to what the field can print ("99999" /
// "-9999" for i5); an i1 field cannot print a negative value: "*".
char* write_operand_integer(char* out, std::int32_t value, int w);

// write_operand(out, value, 11, 3), the pen motion operand: exactly 11 bytes.
// write_operand takes the same integer-only road for every field of up to 20
// characters with d <= 9 and w >= d + 3, with f11.3, f10.3 and f5.2 compiled
// for their constants, so callers may use either.
char* write_operand_f11_3(char* out, float value);

// The two operands of a path line: x and y in f11.3 fields, clamped to
// what the field prints, y kept one blank apart where it fills its field
// (22 or 23 characters). The hot path. Non-finite operands are the
// caller's to reject.
char* write_path_operands(char* out, float x, float y);

}  // namespace plume::fmt
