#pragma once
// Windows-1252, the BV7's and the program's own bytes, and UTF-8, as the page
// and a terminal take texts. Characters Windows-1252 lacks become "?".
#include <string>
#include <string_view>

std::string cp1252ToUtf8(std::string_view text);
std::string utf8ToCp1252(std::string_view text);
