#pragma once
// What crosses between the page and the core: bytes in as a Uint8Array, bytes
// out as a copy the page owns, lines as an array of strings.
#include <emscripten/val.h>

#include <cstdint>
#include <string>
#include <vector>

namespace web {
inline std::vector<std::uint8_t> bytesOf(const emscripten::val& array) {
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

// The view into the module's memory does not outlive the call: a copy.
inline emscripten::val arrayOf(const std::vector<std::uint8_t>& bytes) {
    return emscripten::val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<emscripten::val>("slice");
}

inline emscripten::val linesOf(const std::vector<std::string>& texts) {
    emscripten::val lines = emscripten::val::array();
    for (const std::string& text : texts) lines.call<void>("push", text);
    return lines;
}
}
