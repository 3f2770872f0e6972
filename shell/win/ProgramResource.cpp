#include "shell/win/ProgramResource.h"

ByteView programResource(LPCSTR name, LPCSTR type) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return ByteView(static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found));
}
