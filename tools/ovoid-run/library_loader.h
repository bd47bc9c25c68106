// The platform part of the runner: finding and opening the library, looking up an export by
// name, and putting standard output into a mode that writes bytes exactly as given.
#pragma once

#include <string>

namespace ovoid_run {

/// The library's file name on this platform (ovoid.dll or libovoid.so).
const char* LibraryFileName();

/// The directory holding the running executable, with a trailing separator; empty if unknown.
std::string ExecutableDirectory(const char* argv0);

/// Opens the library at path; null on failure, with the reason in error.
void* OpenLibrary(const std::string& path, std::string& error);

/// The address of the named export, or null.
void* FindSymbol(void* library, const char* name);

void CloseLibrary(void* library);

/// No newline translation on standard output, so every host writes the same bytes.
void SetBinaryStdout();

}  // namespace ovoid_run
