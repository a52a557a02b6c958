#pragma once
// Kvlanguage.so: the language library of the module. It converts Chinese text
// between the simplified characters of code page 936 and the traditional
// characters of code page 950. All text is UTF-8, in and out.
//
// Memory ownership: a conversion returns a buffer allocated by the library
// that the caller owns and must release with KvFreeText (never with free()
// or delete: the library may be built against another allocator). A null
// result means the input was null, was not valid UTF-8, or the conversion
// data could not be loaded.
//
// Thread safety: every function may be called from any thread. The converters
// are built once, on first use, and shared.

#ifdef __cplusplus
extern "C" {
#endif

// Simplified (GB) to traditional (Big5).
char *GBtoBIG5(const char *text);
// Traditional (Big5) to simplified (GB).
char *BIG5toGB(const char *text);
// Releases a text returned by GBtoBIG5 or BIG5toGB; null is allowed.
void KvFreeText(char *text);

#ifdef __cplusplus
}
#endif
