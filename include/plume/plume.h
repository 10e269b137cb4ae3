/* Plume: the C face of the library.
 *
 * Every routine is the Fortran-callable symbol itself: all arguments by
 * reference, reals single precision, integers 32 bits. Character arguments
 * are followed, at the end of the argument list, by gfortran's hidden
 * lengths (size_t); C callers pass the lengths explicitly. Routines whose
 * text is counted by an explicit character count (symbol, chrcod, justfy,
 * xsymbol, axis) never read the hidden length, so integer arrays holding
 * characters may be passed from Fortran as well. */
#ifndef PLUME_PLUME_H
#define PLUME_PLUME_H

#include <stddef.h>
#include <stdint.h>

#include "plume/records.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Plot control */
void hplots_(const int32_t* open, const int32_t* orientation, const int32_t* unit,
             const int32_t* units);
void plot_(const float* x, const float* y, const int32_t* code);
void xplot_(const float* x, const float* y, const int32_t* code);
void origin_(float* x, float* y, const int32_t* mode);
void factor_(float* f);
void where_(float* x, float* y, float* f);
void viewport_(const float* x1, const float* y1, const float* x2, const float* y2);
void newpage_(void);

/* Attributes */
void pen_(const int32_t* pen_number, const int32_t* tone);
void newpen_(const int32_t* pen_number);
void color_(int32_t* color_index);
void rgbcolor_(const float* red, const float* green, const float* blue);
float rtone_(const int32_t* tone);
void dashln_(const int32_t* pattern);

/* Shapes */
void rectangle_(const float* x, const float* y, const float* width, const float* height);
void xrectangle_(const float* x, const float* y, const float* width, const float* height,
                 const int32_t* fill);
void rect_(const float* x1, const float* y1, const float* x2, const float* y2);
void xrect_(const float* x1, const float* y1, const float* x2, const float* y2,
            const int32_t* fill);
void arc_(const float* x, const float* y, const float* radius, const float* start_angle,
          const float* end_angle);
void circle_(const float* x, const float* y, const float* radius);
void xarc_(const float* x, const float* y, const float* radius, const float* start_angle,
           const float* end_angle, const int32_t* fill);
void xcircle_(const float* x, const float* y, const float* radius, const int32_t* fill);
void fillup_(void);
void xfillup_(const int32_t* color_index, const int32_t* tone);

/* Stroke text */
void chrcod_(const char* text, const int32_t* n, size_t text_len);
int32_t indx_(const char* string, const char* pattern, size_t string_len, size_t pattern_len);
int32_t iand_(const int32_t* i, const int32_t* j);
void symbol_(const float* x, const float* y, const float* height, const void* text,
             const float* angle, const int32_t* n);
void csymbl_(const float* x, const float* y, const int32_t* pen, const float* height,
             const int32_t* number);
void justfy_(float* result, const float* height, const void* text, const int32_t* n);

/* PostScript font text */
void xsymbol_(const float* x, const float* y, const float* height, const char* text,
              const float* angle, const int32_t* n, const int32_t* font, size_t text_len);
void hexstr_(const int32_t* i, const int32_t* j);
void hexchar_(const int32_t* v, char* ch, size_t ch_len);

/* Annotation */
void number_(const float* x, const float* y, const float* height, const float* value,
             const float* angle, const int32_t* format_code);
void xnumber_(const float* x, const float* y, const float* height, const float* value,
              const float* angle, const int32_t* format_code, const int32_t* font);
void axis_(const float* x, const float* y, const char* label, const int32_t* label_count,
           const float* axis_length, const float* angle, const float* first_value,
           const float* delta_value, size_t label_len);
void scale_(float* values, const float* axis_length, const int32_t* count, const int32_t* stride);
void line_(const float* xs, const float* ys, const int32_t* count, const int32_t* stride,
           const int32_t* line_type, const int32_t* marker);
void dashl_(const float* xs, const float* ys, const int32_t* count, const int32_t* stride);
void dashp_(const float* x, const float* y, const float* dash_length);

/* Axis numbering mode, a library extension: 1 numbers only the even ticks
 * (in larger figures), any other value every tick (the default). */
void axmode_(const int32_t* mode);

/* Non-zero: documents opened afterwards announce "%%BoundingBox: (atend)"
 * on their second line, for importers that crop to the box; the box, in
 * sheet coordinates, follows "%%Trailer" and is filled into the second
 * line at the close where the file allows it. */
void bbox_atend_(const int32_t* on);

/* Output units. Connects unit to the file at path (trailing blanks trimmed
 * for the Fortran form); the file is created, replacing earlier contents,
 * when the unit's first line is written. Returns 0, or -1 for units 0, 5, 6. */
int32_t plume_connect_unit(int32_t unit, const char* path);
void connect_unit_(const int32_t* unit, const char* path, size_t path_len);
/* Number of output failures (unwritable file, full disk) reported so far. */
int32_t plume_write_failures(void);
/* Number of lines left out of documents because an operand was not finite,
 * or an arc reached beyond what interpreters build. */
int32_t plume_dropped_lines(void);
/* Number of lines written with an operand clamped to the widest value its
 * field prints. */
int32_t plume_clamped_lines(void);

#ifdef __cplusplus
}
#endif

#endif
