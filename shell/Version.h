#pragma once
// The program's version: the one place it is written for bv7 (its --version,
// checked against the manual page by the tests).
constexpr const char* spulwerkVersion = "0.9e";
