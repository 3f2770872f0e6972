#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "sound/ExchangeFlows.h"
#include "sound/SampleRate.h"
#include "sound/TempWav.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"

namespace {
struct ExchangeFlows : testing::Test {
    void SetUp() override {
        dir = testing::TempDir() + "exchange-flows/";
        std::filesystem::create_directories(dir);
        setTempWavPath(dir + "temp.wav");
        offerFileName({});
        setRecordingLeftInTempWav(false);
    }
    void TearDown() override {
        for (const std::string& name : made) std::remove(name.c_str());
        std::remove(tempWavPath().c_str());
        setTempWavPath("temp.wav");
        setRecordingLeftInTempWav(false);
    }
    std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        made.push_back(dir + name);
        writeFile(dir + name, bytes);
        return dir + name;
    }
    std::string path(const std::string& name) {
        made.push_back(dir + name);
        return dir + name;
    }
    RecordingInterface seam;
    std::string dir;
    std::vector<std::string> made;
    const WindowRef dialog = reinterpret_cast<WindowRef>(0x3026);
};
}

TEST_F(ExchangeFlows, WavTargetGetsItsExtensionAndAsksBeforeReplacing) {
    file("da.wav", {1});
    struct Case {
        std::vector<std::string> typed;
        std::vector<Answer> answers;
        std::optional<std::string> result;
        std::size_t questions;
    };
    const Case cases[] = {
        {{dir + "neu"}, {}, dir + "neu.wav", 0},
        {{dir + "neu.WAV"}, {}, dir + "neu.WAV", 0},
        {{dir + "da"}, {Answer::Yes}, dir + "da.wav", 1},
        {{dir + "da", dir + "anders"}, {Answer::No}, dir + "anders.wav", 1},
        {{dir + "da.wav"}, {Answer::Cancel}, std::nullopt, 1},
        {{""}, {}, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        seam.messages.clear();
        seam.chosenFiles.assign(c.typed.begin(), c.typed.end());
        seam.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(chooseWavTarget(dialog, "WAV speichern unter"), c.result) << c.typed[0];
        ASSERT_EQ(seam.messages.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(seam.messages[0].text, "Datei existiert schon. Überschreiben?");
            EXPECT_EQ(seam.messages[0].caption, "Fehler");
            EXPECT_EQ(seam.messages[0].style, mb::yesNoCancel);
            EXPECT_EQ(seam.messages[0].owner, nullptr);
        }
    }
    // No reopens the chooser with the name last chosen.
    seam.offered.clear();
    seam.chosenFiles = {dir + "da", ""};
    seam.answers = {Answer::No};
    EXPECT_EQ(chooseWavTarget(dialog, "WAV speichern unter"), std::nullopt);
    ASSERT_EQ(seam.offered.size(), 2u);
    EXPECT_EQ(seam.offered[1], dir + "da");
    EXPECT_EQ(seam.choosers[0].filter, std::string("WAV-Audio-Dateien (*.wav)\0*.wav\0", 33));
}

TEST_F(ExchangeFlows, ConversionProposesTheProgramNameOrProggi) {
    struct Case {
        std::string source, proposal;
    };
    for (const Case& c : {Case{"SPIEL_1000_1FFF_1000.BIN", "SPIEL.wav"}, Case{"plain.bin", "proggi.wav"}}) {
        seam.choosers.clear();
        seam.offered.clear();
        seam.chosenFiles = {dir + c.source, dir + "ziel"};
        auto files = chooseConversionFiles(dialog);
        ASSERT_TRUE(files);
        EXPECT_EQ(files->source, dir + c.source);
        EXPECT_EQ(files->target, dir + "ziel.wav");
        EXPECT_EQ(seam.statuses.back(), std::make_pair(0, dir + c.source));
        ASSERT_EQ(seam.choosers.size(), 2u);
        EXPECT_EQ(seam.choosers[0].title, "Binärdatei auswählen");
        EXPECT_FALSE(seam.choosers[0].save);
        EXPECT_EQ(seam.choosers[1].title, "WAV speichern unter");
        EXPECT_TRUE(seam.choosers[1].save);
        EXPECT_EQ(seam.offered[1], c.proposal);
    }
    seam.chosenFiles = {""};
    EXPECT_FALSE(chooseConversionFiles(dialog));
    seam.chosenFiles = {dir + "plain.bin", ""};
    EXPECT_FALSE(chooseConversionFiles(dialog));
}

TEST_F(ExchangeFlows, BinSourceHeaderFromTheNameOrUnbenanntWithTheMessage) {
    TapeHeader parsed = headerOfBinSource(dir + "EIN_LANGER_NAME_1000_1FFF_1000.BIN", dialog);
    EXPECT_EQ(parsed.name, "unbenannt") << "four underscores are off the scheme";
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben.\r\n"
                                     "Du musst jetzt noch Programmname sowie Adressen anpassen");
    EXPECT_EQ(seam.messages[0].caption, "Ton-Ausgabe ist vorbereitet");
    EXPECT_EQ(seam.messages[0].owner, dialog);
    EXPECT_EQ(parsed.aa + parsed.ea + parsed.sa, 0);

    seam.messages.clear();
    parsed = headerOfBinSource(dir + "ABCDEFGHIJKLMNOPQRST_1000_1FFF_2000.BIN", dialog);
    EXPECT_EQ(parsed.name, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(parsed.aa, 0x1000);
    EXPECT_EQ(parsed.ea, 0x1FFF);
    EXPECT_EQ(parsed.sa, 0x2000);
    ASSERT_EQ(seam.messages.size(), 1u) << "the message of the cut name";
}

TEST_F(ExchangeFlows, FieldsGiveTheHeaderAndAnyBadAddressStopsWithOneMessage) {
    auto header = headerOfFields("A_B", "1F", "", "FFFF");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name, "A-B");
    EXPECT_EQ(header->aa, 0x001F);
    EXPECT_EQ(header->ea, 0);
    EXPECT_EQ(header->sa, 0xFFFF);
    ASSERT_EQ(seam.messages.size(), 1u) << "the underscore line";
    EXPECT_EQ(seam.messages[0].text, "\r\nProgrammname enthielt 'Unterstrich', wurde durch 'Bindestrich' ersetzt.");
    EXPECT_EQ(seam.messages[0].caption, "Fehler");
    EXPECT_EQ(seam.messages[0].style, mb::ok);
    EXPECT_EQ(seam.messages[0].owner, nullptr);

    // AA, EA or SA bad, or all three: no header, one message, and the name is not looked at.
    const std::vector<std::string> addresses[] = {{"1G", "0", "0"}, {"0", "1g", "0"}, {"0", "0", "12345"}, {"1G", "xx", "-1"}};
    for (const auto& fields : addresses) {
        seam.messages.clear();
        EXPECT_FALSE(headerOfFields("A_B", fields[0], fields[1], fields[2])) << fields[0] << fields[1] << fields[2];
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].text, "Eingabe HEX-Adresse fehlerhaft.");
    }
}

TEST_F(ExchangeFlows, StoppedRecordingBecomesANamedWavAndMayBeConverted) {
    selectSampleRate(44100);
    std::vector<std::uint8_t> raw(3 * 2048, 0x90);
    writeFile(tempWavPath(), raw);
    seam.chosenFiles = {dir + "aufnahme"};
    seam.answers = {Answer::Yes};
    KeptRecording kept = keepRecording(dialog);
    made.push_back(dir + "aufnahme.wav");
    EXPECT_TRUE(kept.saved);
    EXPECT_TRUE(kept.convertNow);
    EXPECT_EQ(kept.path, dir + "aufnahme.wav");
    EXPECT_EQ(readFile(kept.path).size(), 6190u);
    EXPECT_FALSE(fileExists(tempWavPath()));
    EXPECT_EQ(seam.offered[0], "proggi.wav");
    EXPECT_EQ(seam.choosers[0].title, "Aufzeichnung beendet. Als WAV-Datei speichern unter");
    EXPECT_EQ(seam.choosers[0].owner, dialog);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Aufnahme wurde als WAV gespeichert. Jetzt in BIN konvertieren?");
    EXPECT_EQ(seam.messages[0].caption, "Anfrage");
    EXPECT_EQ(seam.messages[0].style, mb::yesNo);
    EXPECT_EQ(seam.messages[0].owner, nullptr);
}

TEST_F(ExchangeFlows, NothingIsLostWhenTheUserCancelsOrAStepFails) {
    selectSampleRate(44100);
    const std::vector<std::uint8_t> raw(2048, 0x90);
    const std::string target = path("alt.wav");
    const std::string conversionFailed =
        "Die Aufnahme konnte nicht in eine WAV-Datei umgewandelt werden.\r\nDie Rohdaten bleiben in\r\n" + tempWavPath();
    struct Case {
        const char* what;
        bool conversionFails;
        std::vector<std::string> chosen;
        std::vector<Answer> answers;
        bool saved;
        std::vector<std::string> boxes;   // caption: text
        std::size_t inTemp;   // bytes left in "temp.wav"; 0 when it was moved
    };
    const Case cases[] = {
        {"cancelled: it stays in temp.wav, now a WAV file", false, {""}, {}, false, {}, 46 + 2048},
        {"a target in no folder: it stays in temp.wav", false, {dir + "no/such/dir/x.wav"}, {}, false,
         {"Fehler: Fehler beim Benennen des WAV"}, 46 + 2048},
        {"not made a WAV file: said so, the raw capture stays as it was", true, {dir + "x"}, {}, false,
         {"Fehler: " + conversionFailed}, 2048},
        {"replacing after Yes: the old file gives way", false, {target}, {Answer::Yes, Answer::No}, true,
         {"Fehler: Datei existiert schon. Überschreiben?",
          "Anfrage: Aufnahme wurde als WAV gespeichert. Jetzt in BIN konvertieren?"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(target, {7, 7, 7});
        writeFile(tempWavPath(), raw);
        std::string blocker = replacementName(tempWavPath());
        if (c.conversionFails) std::filesystem::create_directory(blocker);
        seam.messages.clear();
        seam.choosers.clear();
        seam.chosenFiles.assign(c.chosen.begin(), c.chosen.end());
        seam.answers.assign(c.answers.begin(), c.answers.end());
        KeptRecording kept = keepRecording(dialog);
        std::filesystem::remove(blocker);
        EXPECT_EQ(kept.saved, c.saved);
        EXPECT_FALSE(kept.convertNow);
        EXPECT_EQ(recordingLeftInTempWav(), !c.saved);
        std::vector<std::string> boxes;
        for (const Message& message : seam.messages) boxes.push_back(message.caption + ": " + message.text);
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(seam.choosers.size(), c.conversionFails ? 0u : 1u) << "no name asked for what is no WAV file";
        if (c.inTemp) {
            EXPECT_EQ(readFile(tempWavPath()).size(), c.inTemp);
        } else {
            EXPECT_FALSE(fileExists(tempWavPath()));
        }
        EXPECT_EQ(readFile(target).size(), c.saved ? 46u + 2048 : 3u);
    }

    // An encoded WAV is named the same way.
    writeFile(tempWavPath(), {1, 2});
    EXPECT_EQ(nameTempWav(target), 0);
    EXPECT_EQ(readFile(target), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(nameTempWav(target), -1) << "no temp.wav any more";
    EXPECT_EQ(readFile(target), (std::vector<std::uint8_t>{1, 2}));
}

// The recording left in "temp.wav" belongs to the program, not to one opening
// of the dialog: whoever would overwrite it or end with it asks first.
TEST_F(ExchangeFlows, AnUnsavedRecordingInTempWavIsOverwrittenOnlyAfterYes) {
    selectSampleRate(44100);
    writeFile(tempWavPath(), {1});
    EXPECT_TRUE(mayOverwriteTempWav(dialog)) << "not a recording left there";
    EXPECT_TRUE(mayCloseWithTempRecording(dialog));
    EXPECT_TRUE(seam.messages.empty());

    writeFile(tempWavPath(), std::vector<std::uint8_t>(2048, 0x90));
    seam.chosenFiles = {""};
    EXPECT_FALSE(keepRecording(dialog).saved);
    EXPECT_TRUE(recordingLeftInTempWav());
    seam.answers = {Answer::No, Answer::Yes, Answer::No, Answer::Yes};
    EXPECT_FALSE(mayCloseWithTempRecording(dialog));
    EXPECT_TRUE(mayCloseWithTempRecording(dialog));
    EXPECT_FALSE(mayOverwriteTempWav(dialog)) << "closing the dialog gave nothing up";
    EXPECT_TRUE(mayOverwriteTempWav(dialog));
    EXPECT_TRUE(mayOverwriteTempWav(dialog)) << "given up with Yes: no second question";
    ASSERT_EQ(seam.messages.size(), 4u);
    EXPECT_EQ(seam.messages[0].text, "Die letzte Aufnahme liegt ungespeichert in\r\n" + tempWavPath() +
                                         "\r\nund wird beim Programmende erst nach Rückfrage gelöscht. Trotzdem schließen?");
    EXPECT_EQ(seam.messages[2].text, "Die letzte Aufnahme liegt ungespeichert in\r\n" + tempWavPath() + "\r\nÜberschreiben?");
    for (const Message& message : seam.messages) {
        EXPECT_EQ(message.caption, "Anfrage");
        EXPECT_EQ(message.style, mb::yesNo);
        EXPECT_EQ(message.owner, dialog);
    }

    // Once "temp.wav" is gone there is nothing left to lose.
    setRecordingLeftInTempWav(true);
    std::remove(tempWavPath().c_str());
    seam.messages.clear();
    EXPECT_TRUE(mayCloseWithTempRecording(dialog));
    EXPECT_TRUE(mayOverwriteTempWav(dialog));
    EXPECT_TRUE(seam.messages.empty());
}

// At the program's end an unsaved recording gets the question of unsaved work;
// "temp.wav" goes only once it was saved or given up.
TEST_F(ExchangeFlows, AnUnsavedRecordingEndsWithTheProgramOnlyAfterTheQuestion) {
    const std::vector<std::uint8_t> recording(64, 0x90);
    struct Case {
        Answer answer;
        std::string typed;
        bool mayEnd;
        bool saved;
    };
    const Case cases[] = {
        {Answer::Yes, "gerettet", true, true},
        {Answer::Yes, "", false, false},
        {Answer::No, "", true, false},
        {Answer::Cancel, "", false, false},
    };
    for (const Case& c : cases) {
        writeFile(tempWavPath(), recording);
        setRecordingLeftInTempWav(true);
        seam.messages.clear();
        seam.answers = {c.answer};
        seam.chosenFiles = {c.typed.empty() ? "" : dir + c.typed};
        EXPECT_EQ(mayEndWithTempRecording(dialog), c.mayEnd) << c.typed;
        ASSERT_FALSE(seam.messages.empty());
        EXPECT_EQ(seam.messages[0].text,
                  "Die letzte Aufnahme liegt ungespeichert in\r\n" + tempWavPath() + "\r\nErst speichern?");
        EXPECT_EQ(seam.messages[0].style, mb::yesNoCancel);
        removeTempWav();
        EXPECT_EQ(fileExists(tempWavPath()), !c.mayEnd) << "kept unless saved or given up";
        if (c.saved) {
            EXPECT_EQ(readFile(path("gerettet.wav")), recording);
        }
    }
    std::remove(tempWavPath().c_str());
    seam.messages.clear();
    EXPECT_TRUE(mayEndWithTempRecording(dialog)) << "nothing left to ask about";
    EXPECT_TRUE(seam.messages.empty());
}
