// The POSIX calls the shared test files make that the Windows C library spells differently.
#pragma once

#include <cstdlib>

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
