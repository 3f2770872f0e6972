#include "chargen/Designer.h"
#include "tests/chargen/CharGenTestSupport.h"

namespace {
// Template n (1..5) of the fake source: its size, every byte n.
std::vector<std::uint8_t> fakeTemplates[6];
ByteView fakeTemplate(const std::string& name) {
    int n = name.back() - '0';
    return name.rfind("Vorlage_ZG", 0) == 0 && n >= 1 && n <= 5 ? ByteView(fakeTemplates[n]) : ByteView();
}

struct RecordingView : DesignerView {
    std::vector<std::string> calls;
    void repaintAll() override { calls.push_back("all"); }
    void repaintMagnifier() override { calls.push_back("magnifier"); }
    void repaintOverview() override { calls.push_back("overview"); }
    void showHexField(const std::string& text) override { calls.push_back("hex " + text); }
};

struct DesignerTest : CharGenFixture {
    void SetUp() override {
        CharGenFixture::SetUp();
        for (int n = 1; n <= 5; ++n) fakeTemplates[n].assign(n <= 2 ? 1024 : 2048, static_cast<std::uint8_t>(n));
        setTemplateSource(fakeTemplate);
        opening.view = &view;
        designerOpened(opening);
        user.statuses.clear();
    }
    void TearDown() override {
        designerClosed();
        CharGenFixture::TearDown();
    }
    // A file-backed image with character `code` edited.
    std::string editedFile(std::size_t size, int code) {
        std::string path = fileWith("z.bin", std::vector<std::uint8_t>(size, 0));
        loadPatternFile(path, true);
        charGenImage().templateFlag = 0;
        setFirstStatus(path);
        designerState().filePath = path;
        designerState().currentCode = code;
        designerState().edit = {0, 0x3F, 0, 0, 0, 0, 0, 0};
        designerState().modified = 1;
        return path;
    }
    const std::string question = "Aktuelles Zeichen wurde geändert, erst speichern?";
    RecordingView view;
    DesignerOpening opening;
};
}

TEST_F(DesignerTest, TemplatesLoadWithFlagNameAndRefreshOnlyFromTheDesigner) {
    designerState().edit.fill(0x11);
    designerState().reference.fill(0x22);
    loadTemplate("Vorlage_ZG3", false);
    EXPECT_EQ(designerState().edit, GlyphRows{}) << "emptied with the image";
    EXPECT_EQ(designerState().reference[0], 0x22);
    CharGenImage& image = charGenImage();
    EXPECT_EQ(image.size, 2048u);
    EXPECT_EQ(image.name, "Vorlage_ZG3");
    EXPECT_EQ(image.templateFlag, 1);
    EXPECT_EQ(image.store[2047], 3);
    EXPECT_EQ(image.store[2048], 0);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_TRUE(user.statuses.empty());

    designerState().currentCode = 0x41;
    loadTemplate("Vorlage_ZG1", true);
    EXPECT_EQ(image.size, 1024u);
    EXPECT_EQ(image.store[1024], 0) << "the rest of the store is cleared";
    EXPECT_EQ(designerState().edit, (GlyphRows{1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(lastStatus(0), "Vorlage_ZG1");
    EXPECT_EQ(view.calls, (std::vector<std::string>{"hex 41h", "all"}));
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(DesignerTest, AnUnsavedChangeIsAskedAboutBeforeATemplateReplacesIt) {
    std::string path = editedFile(1024, 0x80);
    user.answers = {Answer::Cancel};
    loadTemplate("Vorlage_ZG4", true);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Anfrage: " + question}));
    EXPECT_EQ(charGenImage().name, "Vorlage_ZG4") << "the name changes all the same";
    EXPECT_EQ(charGenImage().size, 1024u);
    EXPECT_EQ(designerState().modified, 1);

    user.answers = {Answer::Yes};
    loadTemplate("Vorlage_ZG4", true);
    std::vector<std::uint8_t> saved = readFile(path);
    ASSERT_EQ(saved.size(), 2048u) << "a character at 0x80 makes a 1 kB image 2 kB";
    EXPECT_EQ(saved[0x80 * 8 + 1], 0x3F);
    EXPECT_EQ(charGenImage().store[0], 4);
    EXPECT_EQ(designerState().modified, 0);
}

TEST_F(DesignerTest, ApplyingWritesTheLoadedFileAndShrinksAnEmptyUpperKilobyte) {
    std::string path = editedFile(2048, 0x41);
    applyCharacter();
    EXPECT_EQ(readFile(path).size(), 1024u);
    EXPECT_EQ(readFile(path)[0x41 * 8 + 1], 0x3F);
    EXPECT_EQ(designerState().reference, designerState().edit);
    EXPECT_TRUE(user.messages.empty());

    // Reopened, the status field shows only the name: the file written is still the loaded one.
    charGenImage().name = "z.bin";
    designerClosed();
    DesignerOpening reopened;
    designerOpened(reopened);
    EXPECT_EQ(lastStatus(0), "z.bin");
    designerState().edit = {0x21};
    std::remove("z.bin");
    applyCharacter();
    EXPECT_EQ(readFile(path)[0x41 * 8], 0x21);
    EXPECT_TRUE(readFile("z.bin").empty()) << "nothing written beside the working directory's files";

    designerState().filePath = dir + "no/such/folder.bin";
    applyCharacter();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Fehler: Schreiben nicht erfolgreich"}));
}

TEST_F(DesignerTest, ApplyingToATemplateAsksForANewFileAndAsksAgainAfterNo) {
    loadTemplate("Vorlage_ZG2", false);
    designerState().edit = {0x3F};
    std::string taken = fileWith("taken.bin", {7});
    user.chosenFiles = {taken, dir + "neu.bin"};
    user.answers = {Answer::Ok, Answer::No};
    applyCharacter();
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Fehler: In die Vorlage kann nicht geschrieben werden, bitte unter neuem Dateinamen speichern.",
                           "Fehler: Datei existiert bereits, überschreiben?", "Fehler: Bitte anderen Dateinamen wählen."}));
    ASSERT_EQ(user.choosers.size(), 2u);
    EXPECT_EQ(user.choosers[0].title, "Bitmuster speichern unter");
    EXPECT_EQ(user.offered[0], "BM.bin");
    EXPECT_EQ(readFile(taken), std::vector<std::uint8_t>{7});
    EXPECT_EQ(readFile(dir + "neu.bin").size(), 1024u);
    EXPECT_EQ(charGenImage().templateFlag, 1);
    EXPECT_EQ(charGenImage().name, "Vorlage_ZG2");
    EXPECT_EQ(lastStatus(0), dir + "neu.bin");
}

TEST_F(DesignerTest, LoadFlowTakesExactFilesAsksAboutOthersAndKeepsTheImageWhenItCannotRead) {
    // Every case starts from a template; what is not loaded leaves it as it was.
    struct Case {
        const char* what;
        std::size_t size;           // of the file chosen
        const char* file;           // "muster.bin", "gone.bin" (missing) or "gesperrt.bin" (unreadable)
        std::deque<Answer> answers;
        bool loaded;
        std::uint32_t imageSize;
        int templateFlag;
        std::size_t boxes;
        const char* status;         // when not loaded
    };
    const Case cases[] = {
        {"exact", 1024, "muster.bin", {}, true, 1024, 0, 0, ""},
        {"other size, No", 700, "muster.bin", {Answer::No}, false, 2048, 1, 1, "(none)"},
        {"other size, Yes: the flag stays", 700, "muster.bin", {Answer::Yes}, true, 700, 1, 1, ""},
        {"missing", 1024, "gone.bin", {}, false, 2048, 1, 0, "Fehler"},
        {"unreadable", 1024, "gesperrt.bin", {}, false, 2048, 1, 0, "Fehler"},
    };
    for (const Case& c : cases) {
        loadTemplate("Vorlage_ZG3", false);
        designerState().filePath.clear();
        std::string path = fileWith(c.file, counting(c.size));
        if (std::string(c.file) == "gone.bin") std::remove(path.c_str());
        std::optional<UnreadableFile> locked;
        if (std::string(c.file) == "gesperrt.bin") {
            locked.emplace(path);
            ASSERT_TRUE(locked->holds());
        }
        user.chosenFiles = {path};
        user.answers = c.answers;
        user.messages.clear();
        user.statuses.clear();
        designerState().edit.fill(0x11);
        runLoadFlow();
        const CharGenImage& image = charGenImage();
        EXPECT_EQ(image.size, c.imageSize) << c.what;
        EXPECT_EQ(image.templateFlag, c.templateFlag) << c.what;
        EXPECT_EQ(image.store[0], c.loaded ? 1 : 3) << c.what;
        EXPECT_EQ(designerState().edit[0], c.loaded ? 1 : 0x11) << c.what;
        EXPECT_EQ(image.name, c.loaded ? c.file : "Vorlage_ZG3") << c.what;
        EXPECT_EQ(designerState().filePath, c.loaded ? path : "") << c.what;
        EXPECT_EQ(lastStatus(0), c.loaded ? path : c.status) << c.what;
        ASSERT_EQ(user.messages.size(), c.boxes) << c.what;
        if (c.boxes) {
            EXPECT_EQ(user.messages[0].text, "Vermutlich keine Bitmusterdatei. Sollen max. 2kB trotzdem geladen werden?");
        }
    }
    EXPECT_EQ(user.choosers.back().title, "Bitmusterdatei auswählen");
    const char filter[] = "Binärdateien (*.bin)\0*.bin\0";
    EXPECT_EQ(user.choosers.back().filter, std::string(filter, sizeof filter));
}

TEST_F(DesignerTest, SaveAsProposesTheNameReloadsTheFileAndReportsFailure) {
    struct Case {
        const char* what;
        std::size_t forced;         // 0: template "Vorlage_ZG5", else a forced load of that many bytes
        const char* name;
        std::size_t fileSize;
        std::uint32_t reloadedSize; // the saved file read back exact: other sizes leave the image empty
        std::uint8_t firstByte;
    };
    const Case cases[] = {
        {"a template", 0, "Vorlage_ZG5", 2048, 2048, 5},
        {"a forced 500-byte image", 500, "kurz.bin", 500, 0, 0},
    };
    for (const Case& c : cases) {
        if (c.forced) {
            loadPatternFile(fileWith(c.name, counting(c.forced)), true);
            charGenImage().name = c.name;
        } else {
            loadTemplate(c.name, false);
        }
        std::remove((dir + "eigen.bin").c_str());
        user.chosenFiles = {dir + "eigen.bin"};
        user.offered.clear();
        designerState().modified = 1;
        runSaveAsFlow("C:\\bv7");
        EXPECT_EQ(user.offered[0], std::string("C:\\bv7\\") + c.name + ".BIN") << c.what;
        EXPECT_EQ(readFile(dir + "eigen.bin").size(), c.fileSize) << c.what;
        EXPECT_EQ(charGenImage().size, c.reloadedSize) << c.what;
        EXPECT_EQ(charGenImage().store[0], c.firstByte) << c.what;
        EXPECT_EQ(charGenImage().templateFlag, 0) << c.what;
        EXPECT_EQ(designerState().modified, 0) << c.what;
        EXPECT_EQ(charGenImage().name, c.name) << c.what;
        EXPECT_EQ(lastStatus(0), dir + "eigen.bin") << c.what;
        EXPECT_EQ(designerState().filePath, dir + "eigen.bin") << c.what;
    }

    user.chosenFiles = {dir + "no/such/folder.bin"};
    runSaveAsFlow(dir);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Fehler: Schreiben nicht erfolgreich"}));
}

TEST_F(DesignerTest, ChoosingAnotherCharacterAsksOnlyAboutAChangedFileCharacter) {
    editedFile(1024, 0x10);
    user.answers = {Answer::Cancel, Answer::No};
    clickOverviewCharacter(0x20);
    EXPECT_EQ(designerState().currentCode, 0x10);
    clickOverviewCharacter(0x20);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Anfrage: " + question, "Anfrage: " + question}));
    EXPECT_EQ(designerState().currentCode, 0x20);
    EXPECT_EQ(designerState().modified, 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"hex 20h", "magnifier", "overview"}));

    user.answers = {Answer::Cancel};
    designerState().modified = 1;
    EXPECT_FALSE(designerMayClose());
    EXPECT_EQ(user.messages.back().caption, "Beenden?");
}

TEST_F(DesignerTest, OpeningTakesTheTemplateFlagFromTheName) {
    struct Case {
        const char* name;
        std::uint32_t size;
        int before, after;
    };
    const Case cases[] = {
        {"Vorlage_ZG1", 1024, 0, 1}, {"vorlAGE.bin", 2048, 0, 1}, {"BM.bin", 1024, 1, 0},
        {"BM.bin", 700, 1, 1},       {"BM.bin", 700, 0, 0},
    };
    for (const Case& c : cases) {
        charGenImage().name = c.name;
        charGenImage().size = c.size;
        charGenImage().templateFlag = c.before;
        designerOpened(opening);
        EXPECT_EQ(charGenImage().templateFlag, c.after) << c.name << " " << c.size;
        EXPECT_EQ(lastStatus(0), c.name);
    }
    EXPECT_EQ(photoPath("C:\\bv7"), "C:\\bv7\\BM.bin.bmp");
}
