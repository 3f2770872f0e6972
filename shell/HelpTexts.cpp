#include "shell/HelpTexts.h"

namespace {
const char* const freeware = "Spulwerk ist Freeware: Weitergabe und Benutzung sind ausdrücklich erwünscht.";
const char* const disclaimer =
    "Für eventuelle Schäden im Zusammenhang mit der Anwendung des Programmes wird nicht gehaftet!";

void section(std::vector<std::string>& lines, const std::string& heading, std::initializer_list<const char*> body) {
    lines.push_back(heading);
    lines.push_back(std::string(heading.size(), '*'));
    for (const char* line : body) lines.push_back(line);
    lines.push_back(" ");
}

HelpText general() {
    HelpText text;
    text.caption = "Infos zu Spulwerk";
    auto& lines = text.lines;
    lines.push_back(
        "Das Programm vereint mehrere Werkzeuge, die dem Neu-/Wiedereinsteiger den Umgang mit BV7-Daten "
        "erleichtern:");
    lines.push_back(" ");
    section(lines, "Zeichengenerator-Entwurf",
            {"Den Zeichensatz des BV7 (6 x 8 Punkte je Zeichen) ansehen, ändern oder neu zeichnen,",
             "als EPROM-Abbild (1 oder 2 kB) speichern und als BMP-Bild exportieren.",
             "Menü \"ZG-Entwurf\"."});
    section(lines, "Daten-Konvertierung",
            {"BIN-Dateien (Speicherabbilder) in das Kassettensignal des BV7 als WAV-Datei umwandeln",
             "und WAV-Aufnahmen wieder in BIN-Dateien zurückverwandeln (\"BIN -> WAV\", \"WAV -> BIN\").",
             "Name und Adressen stehen im Dateinamen: Programmname_AA_EA_SA.BIN",
             "Menü \"Konverter\"."});
    section(lines, "Soundkartenarbeit",
            {"Den Tonausgang des BV7 oder des Kassettenrecorders an den Line-Eingang der Soundkarte",
             "anschließen und Programme aufnehmen; den Ausgang der Soundkarte an den BV7 legen und",
             "Programme direkt in den BV7 einladen (LOAD)."});
    section(lines, "Grafik-Demos auf BV7-Bildschirm",
            {"Ein nachgebildeter BV7-Bildschirm (64 x 32 Zeichen) mit kleiner Monitor-Kommandozeile,",
             "Zufallsmuster, Grafik, Freihandzeichnen und Bildschirmkopien (*.bsk). Menü \"Bildschirm\"."});
    section(lines, "HEX-Dumps mit ASCII oder Zeilenprüfsumme von Dateien bis zu 64kB",
            {"Jede Datei als HEX-Liste mit BV7-Adressen ansehen und ausdrucken; mit der Taste",
             "\"--> ASCII\" / \"--> Prüfsumme\" wird die rechte Spalte umgeschaltet. Menü \"Datei\"."});
    section(lines, "Berechnung der Prüfsumme CRC (SDLC) von Dateien",
            {"Die CRC-16 einer ganzen Datei, zum Vergleich mit der Prüfsumme des BV7. Menü \"Datei\"."});
    lines.push_back(freeware);
    lines.push_back(disclaimer);
    text.selected = static_cast<int>(lines.size()) - 1;
    return text;
}

HelpText designer() {
    HelpText text;
    text.caption = "Infos zum BV7-Zeichengenerator-Entwurf";
    text.lines = {
        "Mit diesem Werkzeug kannst du dir den Zeichengenerator für den BV7 anschauen, modifizieren oder neu "
        "erstellen.",
        " ",
        "1.) Einen Zeichensatz laden: eine der eingebauten Vorlagen oder eine eigene Musterdatei (*.bin,",
        "\t1024 oder 2048 Bytes).",
        "2.) Ein Zeichen auswählen: in der Übersicht auf das Zeichen klicken; Code und Lage werden angezeigt.",
        "3.) Das Zeichen in der Lupe bearbeiten: linke Maustaste setzt einen Punkt, rechte löscht ihn;",
        "\tdie Tasten daneben verschieben, spiegeln, invertieren oder löschen das ganze Zeichen.",
        "4.) Den Zeichensatz unter neuem Namen speichern; die Vorlagen selbst bleiben unverändert.",
        "\tDie Übersicht lässt sich auch als BMP-Bild exportieren.",
        "5.) Unter \"Voreinstellungen\" die Farben (schwarz/weiß oder grün, invers) einstellen.",
        " ",
        freeware,
        disclaimer,
    };
    text.selected = static_cast<int>(text.lines.size()) - 1;
    return text;
}

HelpText converter() {
    HelpText text;
    text.caption = "Infos zum Datenkonverter";
    text.lines = {
        "Mit diesem Werkzeug kannst du Informationen zwischen BV7 und PC austauschen. Es bietet folgende "
        "Funktionen:",
        " ",
        "* Einlesen von BV7/Kassette",
        "  - Tonausgang des BV7 (oder Kopfhörerausgang des Recorders) mit dem Line-Eingang verbinden",
        "  - \"Start\" drücken, am BV7 SAVE eingeben bzw. die Kassette abspielen, danach \"Stopp\"",
        "  => die Aufnahme wird als WAV-Datei gespeichert und auf Wunsch gleich in BIN gewandelt",
        "* Ausgabe an BV7/Kassette",
        "  - Ausgang der Soundkarte mit dem Toneingang des BV7 (oder dem Recorder) verbinden",
        "  - am BV7 LOAD eingeben, dann \"Start\"; eine BIN-Datei wird vorher in WAV gewandelt",
        "* BIN -> WAV",
        "  - ein Speicherabbild als Kassettensignal in eine WAV-Datei schreiben (44 kHz, 8 Bit, mono)",
        "* WAV -> BIN",
        "  - eine Aufnahme (22 oder 44 kHz) auswerten; Blöcke, Länge und CRC werden gemeldet",
        "  => bei Prüfsummenfehlern lieber noch einmal aufnehmen, etwas lauter oder leiser",
        "* Kopfdaten",
        "  - Programmname (bis 16 Zeichen, ohne '_'), Anfangs-, End- und Startadresse (AA, EA, SA)",
        "  - Adressen als vierstellige HEX-Zahlen, z.B. 1000",
        " ",
        "Der Name einer BIN-Datei trägt die Kopfdaten:",
        "\t\t\tProgrammname_AA_EA_SA.BIN",
        "Fehlen sie, müssen Programmname und Adressen vor \"Start\" von Hand eingetragen werden.",
    };
    text.selected = 0;
    return text;
}

HelpText screen() {
    HelpText text;
    text.caption = "Infos zur Bildschirmarbeit";
    text.lines = {"Der faule Sack hat zu diesem 'Möchte-Gern-Emulator' noch nichts geschrieben...", "..."};
    text.selected = 1;
    return text;
}
}

HelpText helpText(HelpVariant variant) {
    switch (variant) {
        case HelpVariant::Designer: return designer();
        case HelpVariant::Converter: return converter();
        case HelpVariant::Screen: return screen();
        case HelpVariant::General: break;
    }
    return general();
}
