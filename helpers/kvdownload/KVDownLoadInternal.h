#pragma once
// Shared by the sources of KVDownLoad.so; not part of its interface.

#include <string>

namespace kvdl {

// Copies text into the caller's error buffer (KVDL_ERROR_SIZE bytes), cut to fit.
void setError(char *error, const std::string &text);

} // namespace kvdl
