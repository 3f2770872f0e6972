#pragma once
// The bytes of a resource of the running program; they live as long as the program.
#include <windows.h>

#include "shell/ByteReader.h"

// Empty when the program has no resource `name` of `type`.
ByteView programResource(LPCSTR name, LPCSTR type);
