// bv7 kalo: a KALO*4 source file as the listing kalov shows, on the terminal
// (UTF-8) or with -o as the text file of "Speichern als ASCII-Text"
// (Windows-1252, CR LF), byte for byte.
//
// kalov asks before it tries a file that does not look like KALO*4 source.
// The terminal cannot be asked, so the command notes the question on the error
// stream and tries anyway, as kalov does on "Ja": the user sees what can be
// shown. If the decoding fails, the lines decoded so far are printed, the
// error follows (exit 1), and -o writes nothing.
#include "cli/Commands.h"

#include "shell/CommonServices.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"

using namespace cli;

namespace {
const char* const kaloUsage =
    "Aufruf: bv7 kalo DATEI [--oem] [-o AUSGABE.TXT] [--force]\n"
    "Zeigt eine KALO*4-Quelldatei als Listing mit Zeilennummern.\n"
    "  --oem          BV7-Umlaut-Codes nicht übersetzen ([ statt Ä, 0 statt Ø)\n"
    "  -o DATEI.TXT   Listing als ASCII-Text speichern, wie kalov es tut (Windows-1252, CR LF)\n"
    "  --force        eine vorhandene Ausgabedatei überschreiben\n";
}

int kaloCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    std::string problem;
    if (!arguments.parse(args, {"-o"}, {"--oem", "--force", "--help"}, problem)) {
        io.err << problem << "\n" << kaloUsage;
        return exitUsage;
    }
    if (arguments.has("--help")) {
        io.out << kaloUsage;
        return exitOk;
    }
    const std::string* output = arguments.value("-o");
    if (arguments.positionals().size() != 1 || (output && output->empty())) {
        io.err << kaloUsage;
        return exitUsage;
    }
    const std::string& path = arguments.positionals()[0];
    const bool force = arguments.has("--force");
    if (output && !mayWrite(*output, force, io.err)) return exitFailed;

    std::vector<std::uint8_t> bytes;
    if (!readInput(path, bytes, "Dateiöffnen schlug fehl", io.err)) return exitFailed;
    if (!isPlausibleSource(bytes.data(), bytes.size()))
        io.err << "Vermutlich keine KALO*4-Quelldatei, trotzdem Anzeige-Versuch.\n";
    SourceListing listing;
    const bool decoded =
        decodedSuccessfully(decodeSourceData(bytes.data(), bytes.size(), !arguments.has("--oem"), listing));

    if (!output) {
        for (const std::string& line : listing) io.out << toTerminal(line) << "\n";
    }
    // A decoding that ends before its first line shows nothing: only the
    // empty source itself is a source without lines.
    if (!decoded || (listing.empty() && !isEmptySource(bytes.data(), bytes.size()))) {
        io.err << "Fehler: Keine KALO*4-Datei, hier nicht darstellbar. (" << path << ")\n";
        return exitFailed;
    }
    if (!output) return exitOk;
    if (listing.empty()) {
        io.err << "Fehler: Nichts da zum Sichern :-) (" << path << ")\n";
        return exitFailed;
    }
    std::vector<std::uint8_t> text = listingTextBytes(listing);
    return writeNewFile(*output, text.data(), text.size(), force, io.err) ? exitOk : exitFailed;
}
