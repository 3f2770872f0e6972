#pragma once
// What crosses between the page and the core: bytes in as a Uint8Array, bytes
// out as a copy the page owns, lines as an array of strings.
#include <emscripten/val.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tape/RecordingDiagnosis.h"

namespace web {
inline std::vector<std::uint8_t> bytesOf(const emscripten::val& array) {
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

// The view into the module's memory does not outlive the call: a copy.
inline emscripten::val arrayOf(const std::vector<std::uint8_t>& bytes) {
    return emscripten::val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<emscripten::val>("slice");
}

inline emscripten::val linesOf(const std::vector<Finding>& findings) {
    emscripten::val lines = emscripten::val::array();
    for (const Finding& finding : findings) lines.call<void>("push", findingLine(finding));
    return lines;
}

inline emscripten::val linesOf(const std::vector<std::string>& texts) {
    emscripten::val lines = emscripten::val::array();
    for (const std::string& text : texts) lines.call<void>("push", text);
    return lines;
}

// Text as bv7 prints it, line by line, without the line breaks.
inline emscripten::val linesOfText(const std::string& text) {
    emscripten::val lines = emscripten::val::array();
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.call<void>("push", line);
    return lines;
}
}
