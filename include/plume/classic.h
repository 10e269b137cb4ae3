/* Plume: the classic plotter dialect, library plume_classic.
 *
 * The Fortran-callable entry points that classic plotter programs call
 * besides those of plume.h. Each is an object of its own in the static
 * library, so a program may define any of them itself (its own frame, say)
 * and still link. Routines that take "any arguments" read none: programs
 * pass plots 0, 3 or 4 arguments, and a routine that reads none of them is
 * safe with every count (the caller removes what it passed). */
#ifndef PLUME_CLASSIC_H
#define PLUME_CLASSIC_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

/* Starting and ending */
void plots_(); /* any arguments, none read */
void pinitf_(const char* name, size_t name_len);
void plote_(void);
void pend_(void);
void frame_(void);
void nframe_(void);
void gunit_(const char* unit, size_t unit_len);

/* Drawing */
void setcol_(const int32_t* pen, const float* red, const float* green, const float* blue);
void shade_(const float* x, const float* y, const float* width, const float* height, const int32_t* k);
void gscale_(float* values, const float* axis_length, const int32_t* count, const int32_t* stride);
void plotd_(const float* x, const float* y, const int32_t* code);

/* Accepted, nothing to do (any arguments, none read) */
void plotof_();
void ploton_();
void plflush_();
void plinitialize_();
void plclose_();
void gfont_();

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
