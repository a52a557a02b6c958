#pragma once
// KVBmpToFile.so: writes a page picture as a JPG (libjpeg-turbo) or GIF
// (giflib) file. The module loads it by file name at run time and calls the
// one C entry point BMPToFile.
//
// The picture is handed over as a KVBitmap: width and height in pixels,
// stride (bytes from one row to the next, at least 3 × width) and the rows
// from top to bottom, each pixel three bytes red, green, blue. The library
// neither keeps nor frees the rows.

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KVBitmap {
    int width;
    int height;
    int stride;
    const unsigned char *rows;
} KVBitmap;

// Picture types the library writes (0 BMP and 3 PDF are the module's own).
enum { KVBMP_TYPE_JPG = 1, KVBMP_TYPE_GIF = 2 };

// Results: 0 the file was written.
enum {
    KVBMP_OK = 0,
    KVBMP_BAD_ARGUMENT = 1,    // null pointers, empty name or an impossible picture
    KVBMP_BAD_TYPE = 2,        // a type other than JPG or GIF
    KVBMP_NAME_TOO_LONG = 3,   // name plus extension does not fit the buffer
    KVBMP_CANNOT_CREATE = 4,   // the file cannot be opened for writing
    KVBMP_ENCODER_ERROR = 5    // the encoder failed while writing
};

// image: a const KVBitmap *. name: a zero-terminated file name in a buffer
// of nameSize bytes; ".jpg" or ".gif" is appended in place and the file of
// that name is written (replacing any). Returns one of the results above.
int BMPToFile(const void *image, int type, char *name, int nameSize);

#ifdef __cplusplus
}
#endif
