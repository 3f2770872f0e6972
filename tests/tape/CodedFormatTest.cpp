#include <gtest/gtest.h>

#include "bench/ToolChain.h"
#include "cli/SoundFileImport.h"
#include "support/RandomImage.h"
#include "support/TestFiles.h"
#include "tape/CodedFormat.h"
#include "tape/Encoder.h"

// The first bytes of what phones and computers save name the codec and its
// container as bv7's import names them from the whole file (through FFmpeg's
// or the sound-file library), so the page, which gets the sound decoded by
// the browser, gives the same finding; a lossless file names none.
TEST(CodedFormat, TheHeadNamesTheCodecAsTheImportDoes) {
    const auto samples = encodeRecordSamples(randomImage(200, 5), TapeHeader{"KOPF", 0x1000, 0, 0x1000});
    const char* const commands[] = {
        "ffmpeg -v error -i $IN -c:a aac -b:a 32k out.m4a",
        "ffmpeg -v error -i $IN -c:a libopus -b:a 16k out.ogg",
        "ffmpeg -v error -i $IN -ar 16000 -c:a libspeex -f ogg out.ogg",
        "ffmpeg -v error -i $IN -c:a libvorbis -f ogg out.ogg",
        "ffmpeg -v error -i $IN -ar 8000 -c:a libgsm_ms $OUT",
        "ffmpeg -v error -i $IN -c:a libmp3lame -b:a 32k -f mp3 $OUT",
        "ffmpeg -v error -i $IN -c:a flac -f flac $OUT",
        "sox $IN -b 16 $OUT",
    };
    for (const char* command : commands) {
        std::string failure;
        const std::string path = chain::throughTool(freshTestDir("coded-format"), samples, 44100, command, failure);
        ASSERT_FALSE(path.empty()) << command << ": " << failure;
        std::vector<std::uint8_t> bytes = readFile(path);
        const CodedFormat named = codedFormatOf(ByteView(bytes));
        std::string problem, warning;
        SoundFileFormat imported;
        importSoundFile(bytes, problem, warning, &imported);
        ASSERT_EQ(problem, "") << command;
        EXPECT_EQ(named.codec, imported.lossy ? imported.codec : "") << command;
        EXPECT_EQ(named.container, imported.lossy ? imported.container : "") << command;
    }
}
