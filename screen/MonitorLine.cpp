#include "screen/MonitorLine.h"

#include <array>
#include <string_view>

#include "shell/CommonServices.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "shell/UserInterface.h"

namespace {
constexpr std::string_view commandSet = " ABCDEFGIJLMPRSTZ";
constexpr int statusPart = 0;

// The arguments behind the command letter: an optional blank, then at most
// three fields separated by single blanks; an empty field is 0. A bad field
// shows the hex error box. False when the arguments make the command invalid.
bool parseArguments(std::string_view text, std::array<std::uint32_t, 3>& values) {
    values = {0, 0, 0};
    if (text.empty()) return true;
    if (text.front() == ' ') text.remove_prefix(1);
    std::size_t field = 0;
    for (;;) {
        if (field == values.size()) return false;
        std::size_t blank = text.find(' ');
        std::string_view part = text.substr(0, blank);
        if (!part.empty()) {
            int value = parseHexAddress(part);
            if (value < 0) {
                showStringError(str::badHexAddress);
                return false;
            }
            values[field] = static_cast<std::uint32_t>(value);
        }
        ++field;
        if (blank == std::string_view::npos) return true;
        text.remove_prefix(blank + 1);
    }
}

void invalidCommand(ScreenBuffer& screen) {
    ui().setStatus(statusPart, "Kommando ungültig");
    screenWrite(screen, screen::prompt);
    screenWrite(screen, "WHAT?");
    screenWrite(screen, screen::prompt);
}

std::string lineUpToCursor(const ScreenBuffer& screen) {
    std::string line;
    for (int column = 0; column < screen.column(); ++column) {
        std::uint8_t code = screen.at(column, screen.row());
        if (code == 0) break;
        line += static_cast<char>(code);
    }
    return line;
}

void answerLine(ScreenBuffer& screen) {
    if (screen.column() <= 3) {
        screenWrite(screen, screen::prompt);
        return;
    }
    std::string line = lineUpToCursor(screen);
    if (line.size() < 2 || line[1] != '#') return invalidCommand(screen);
    std::string command = line.size() > 3 ? line.substr(3) : std::string();
    ui().setStatus(statusPart, "Kommando: --" + command + "--");
    if (command.empty() || commandSet.find(command.front()) == std::string_view::npos) return invalidCommand(screen);
    std::array<std::uint32_t, 3> arguments{};
    if (!parseArguments(std::string_view(command).substr(1), arguments)) return invalidCommand(screen);
    if (command.front() == 'A') {
        screenWrite(screen, "\r\n" + arithmeticLine(arguments[0], arguments[1], arguments[2]));
    } else {
        ui().setStatus(statusPart, "Kommando noch nicht realisiert");
    }
    screenWrite(screen, screen::prompt);
}
}

std::string arithmeticLine(std::uint32_t a1, std::uint32_t a2, std::uint32_t a3) {
    std::uint32_t distance = (a1 > a2 ? a1 - a2 : a2 - a1) - a3;
    std::string display = distance <= 0xFF ? formatHex4(distance).substr(2) : "--";
    return "DSPL " + display + "   SUM " + formatHex4(a1 + a2) + "   DIF " + formatHex4(a1 - a2) + "   DEC " +
           formatDecimal(static_cast<std::int32_t>(a1));
}

void typeCharacter(ScreenBuffer& screen, std::uint8_t code) {
    // Writing the empty text would still blank the cursor mark.
    if (code == 0) return;
    bool letter = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
    if (letter) code ^= 0x20;
    const char text[2] = {static_cast<char>(code), 0};
    screenWrite(screen, text);
}

void executeLine(ScreenBuffer& screen) {
    answerLine(screen);
}

void showRegisterDemo(ScreenBuffer& screen) {
    screenClear(screen);
    for (const char* text : {screen::banner, "\r # R", " (fiktive Werte, nur Demo)", "\rBP:3900    BS:003900",
                             "\rSP:184F    PC:18F0    IY:7BBB    IX:7CFF",
                             "\rMAIN  HL:76EF    DE:D8CA    BC:76CA    AF:0054",
                             "\rEXXR  HL:1036    DE:20FF    BC:7DDE    AF:6130", "\rFLAGS:  ZHP  (HL)", screen::prompt})
        screenWrite(screen, text);
}
