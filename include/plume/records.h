/* Plume: the shared records, exported under the names gfortran gives COMMON
 * blocks, so a Fortran program declaring COMMON /m00000/ ... reads the live
 * state. Every field is 32 bits; the order is fixed. */
#ifndef PLUME_RECORDS_H
#define PLUME_RECORDS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Scale (points per user unit) and the stored pen position (user units). */
typedef struct plume_a00000 {
  float units_scale;
  float pen_x;
  float pen_y;
} plume_a00000;

/* Output unit and page set-up. */
typedef struct plume_p00000 {
  int32_t out_unit;
  int32_t orientation; /* 1 portrait, anything else landscape */
  int32_t unit_system; /* 0 cm, 1 cm/sqrt(2), 2 twenty points */
} plume_p00000;

/* Tone and colour index. */
typedef struct plume_l00001 {
  int32_t tone;
  int32_t color_index;
} plume_l00001;

/* Origin, in points. */
typedef struct plume_p00001 {
  float origin_x;
  float origin_y;
} plume_p00001;

/* The line width last written, in points. */
typedef struct plume_w00001 {
  float line_width;
} plume_w00001;

/* Clip window, page coordinates. */
typedef struct plume_m00001 {
  float clip_xmin;
  float clip_ymin;
  float clip_xmax;
  float clip_ymax;
} plume_m00001;

/* Bounding box (whole points) and the path flag. */
typedef struct plume_m00000 {
  int32_t bbox_xmin;
  int32_t bbox_ymin;
  int32_t bbox_xmax;
  int32_t bbox_ymax;
  int32_t move_pending;
} plume_m00000;

/* Stroke text state. */
typedef struct plume_offset {
  int32_t font_offset; /* 0 simplex, 120 complex, 240 italic, 312 duplex */
  int32_t reuse_codes; /* set to 1 by applications: symbol draws what justfy left */
  int32_t codes_ready; /* 1 after justfy, 2 after symbol */
} plume_offset;

#define PLUME_MAX_CODES 354
typedef struct plume_ajust {
  int32_t code_count;
  int32_t codes[PLUME_MAX_CODES];
} plume_ajust;

/* The stroke font: 5296 words in four arrays, and the advance widths. */
typedef struct plume_ialph {
  int32_t glyph_words[4711];
  int32_t glyph_start[432];
  int32_t centred_words[128];
  int32_t centred_start[25];
} plume_ialph;

#if defined(__GNUC__)
#pragma GCC visibility push(default) /* exported from the shared library */
#endif
extern plume_a00000 a00000_;
extern plume_p00000 p00000_;
extern plume_l00001 l00001_;
extern plume_p00001 p00001_;
extern plume_w00001 w00001_;
extern plume_m00001 m00001_;
extern plume_m00000 m00000_;
extern plume_offset offset_;
extern plume_ajust ajust_;
extern const plume_ialph ialph_;
extern const float iwid_[432];
#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
