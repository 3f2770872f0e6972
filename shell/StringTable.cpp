#include "shell/StringTable.h"

namespace {
struct Entry {
    int id;
    const char* text;
};

constexpr Entry table[] = {
#define BV7_STRING(id, text) {id, text},
#include "resources/Strings.inc"
#undef BV7_STRING
};
}

std::string loadString(int id) {
    for (const Entry& entry : table)
        if (entry.id == id) return entry.text;
    return {};
}
