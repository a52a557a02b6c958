#pragma once
// glyphres.so: the numbered button glyphs shared by the module's windows,
// and the images of the glyph check box. The images are drawn as SVG and
// handed out as PNG bytes, so that callers need no SVG support of their own.
//
// Ownership: a successful LoadBmp or LoadNamedBmp stores in *data a buffer
// allocated by the library; the caller owns it and must release it with
// FreeBmp (never with free or delete). On failure nothing is allocated and
// *data and *size are left as they were. No function throws.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// The highest glyph number the library holds. Numbers below it may be
// missing; LoadBmp tells.
__attribute__((visibility("default"))) int GetMaxBmpID(void);

// Glyph number as PNG. A glyph may hold two images side by side (enabled,
// disabled); its width is then twice its height. Returns 1 on success, 0
// for a number the library does not hold or null arguments.
__attribute__((visibility("default"))) int LoadBmp(int number, unsigned char **data, size_t *size);

// A named image ("CHECKED", "UNCHECKED", "GRAYED") as PNG; names are upper
// case letters, digits and "_". Returns 1 on success, 0 otherwise.
__attribute__((visibility("default"))) int LoadNamedBmp(const char *name, unsigned char **data, size_t *size);

// Releases a buffer handed out by LoadBmp or LoadNamedBmp; null is ignored.
__attribute__((visibility("default"))) void FreeBmp(unsigned char *data);

#ifdef __cplusplus
}
#endif
