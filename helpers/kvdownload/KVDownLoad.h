#pragma once
// KVDownLoad.so: keeps a local program file in step with the copy the
// application server offers. The module loads it by file name at run time
// and looks up the C entry points below by name. All strings are narrow,
// zero-terminated and UTF-8; error buffers hold KVDL_ERROR_SIZE bytes.
//
// Server stamp (the text between <Modify> and </Modify> of a file list
// entry): the file's modification time in UTC, "YYYY-MM-DD hh:mm:ss"
// ("/" may stand for "-", "T" for the space, a trailing "Z" is allowed),
// optionally followed by ";size=N" with the file's size in bytes.
//
// Download location: the server file name is a URL (http:// or https://),
// or a path that is appended to the source directory when that is a URL.
// Backslashes are read as "/".

#ifdef __cplusplus
extern "C" {
#endif

enum { KVDL_ERROR_SIZE = 256 };

// Non-zero when the local file must be downloaded: it is missing, the stamp
// names a different size, or the stamp is more than two seconds newer than
// the file. A stamp that cannot be read never asks for a download of a file
// that is there (there is nothing to say it is out of date).
int CompareFileToDown(const char *stamp, const char *localFile);

// Downloads serverFile into localFile. timeout: whole seconds for the
// transfer as text ("60"). The data goes to a temporary file beside
// localFile that replaces it only once the transfer is complete and of the
// announced length. status receives the HTTP status (0 when none came).
// flag is reserved (the module passes 0).
// Non-zero on success; otherwise error holds the reason.
int KVDownLoadFileEx(const char *sourceDir, const char *product, const char *timeout, const char *serverFile,
                     const char *localFile, int *status, char *error, int flag);

// Unpacks the ZIP archive into targetDir. Every entry is checked first: a
// name that is absolute or climbs out with "..", and a symbolic link, refuse
// the whole archive. All files are then written beside their final names
// and renamed into place only when every entry unpacked with a good
// checksum, so a bad archive replaces nothing. Non-zero on success.
int UnZipFilesOrDir(const char *archive, const char *targetDir, char *error);

#ifdef __cplusplus
}
#endif
