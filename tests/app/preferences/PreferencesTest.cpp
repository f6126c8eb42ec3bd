// The reader's preferences as a user lives with them: kept across restarts of the window in the
// user's config folder, themes readable, and a broken file never in the way.

#include "preferences/Preferences.h"
#include "frame/ReaderFrame.h"
#include "preferences/ReopenLast.h"
#include "view/Themes.h"

#include "support/ReaderWindowTest.h"

#include <flitengine/engine/FlitManager.h>

#include <gtest/gtest.h>
#include <wx/config.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <cstring>
#include <fstream>

namespace {

// The reader's own preferences file in the user's config folder, as the reader finds it.
class PreferencesTest : public ReaderWindowTest {
protected:
    void SetUp() override {
        ReaderWindowTest::SetUp();
        delete wxConfigBase::Set(nullptr);
        wxSetEnv("XDG_CONFIG_HOME", folder + "/config");
        wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
        configFile = folder + "/config/flitreader/flitreader.conf";
    }

    void TearDown() override {
        ReaderWindowTest::TearDown();
        wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_Classic);
        wxUnsetEnv("XDG_CONFIG_HOME");
    }

    // Starts the reader as the application does: its config installed, then its window.
    void startReader() {
        userPreferences::install();
        openFrame();
    }

    // Closes the window and the config, as the reader quits.
    void quitReader() {
        closeFrame();
        delete wxConfigBase::Set(nullptr);
    }

    wxString configFile;
};

// Every theme's word is readable on its background (WCAG AA), measured with the contrast the
// standard defines; the first rows pin the measure itself to values known from it.
TEST_F(PreferencesTest, ThemeWordsHaveEnoughContrast) {
    const struct {
        wxColour first, second;
        double ratio;
    } known[] = {
        {*wxBLACK, *wxWHITE, 21.0},
        {wxColour(119, 119, 119), *wxWHITE, 4.48},
        {wxColour(0, 0, 255), *wxWHITE, 8.59},
    };
    for (const auto& row : known) {
        SCOPED_TRACE(row.first.GetAsString(wxC2S_HTML_SYNTAX).ToStdString());
        EXPECT_NEAR(row.ratio, contrastRatio(row.first, row.second), 0.01);
    }
    for (int theme = 0; theme < eThemeCount; ++theme) {
        SCOPED_TRACE(themeOf(theme).key);
        EXPECT_EQ(theme, themeNamed(themeOf(theme).key));
        EXPECT_GE(contrastRatio(themeOf(theme).word, themeOf(theme).background), kMinWordContrast);
        // The words beside the flash: readable, and quieter than it.
        const double faint = contrastRatio(themeOf(theme).faint, themeOf(theme).background);
        EXPECT_GE(faint, kMinFaintContrast);
        EXPECT_LT(faint, contrastRatio(themeOf(theme).word, themeOf(theme).background));
    }
}

// Preferences changed in one run of the window are there in the next, from the user's config
// folder.
TEST_F(PreferencesTest, PreferencesSurviveARestart) {
    startReader();
    EXPECT_EQ(SPreferences(), frame->getPreferences());
    SPreferences chosen;
    chosen.theme = eThemeSepia;
    chosen.fixation = false;
    chosen.fixationColour = wxColour(0, 128, 0);
    chosen.fontFace = "DejaVu Serif";
    chosen.fontSize = 60;
    chosen.pauseContext = ePauseWordOnly;
    chosen.speed = 480;
    chosen.count = CFlitWordCalcs::eLengthBytes;
    chosen.hyphenate = true;
    chosen.language = "fr";
    chosen.reopenLast = false;
    chosen.cutForReading = false;
    chosen.neighbourWords = true;
    chosen.pagePane = true;
    frame->setPreferences(chosen);
    frame->setWordDisplayLength(20);
    chosen.wordLength = 20;
    quitReader();

    ASSERT_TRUE(wxFileName::FileExists(configFile));
    startReader();
    EXPECT_EQ(chosen, frame->getPreferences());
    EXPECT_TRUE(frame->getRefusal().empty());
}

// A preferences file that cannot be used: the reader starts with the defaults (or without the
// values it could not understand), says so once, and leaves the file alone until the user
// changes a preference; the old file is then kept beside the new one.
TEST_F(PreferencesTest, ABrokenFileStartsWithDefaults) {
    const struct {
        const char* name;
        const char* content;
        const char* said; // part of the message
        int theme;        // as the reader starts
        bool keptAside;   // the file moved aside at the first change
    } files[] = {
        {"not a config", "[View\nTheme=light\n\x01\x02=\xff\n", "were not read", eThemeDark, true},
        {"bad values", "[Reading]\nSpeed=fast\nCount=words\n[View]\nTheme=light\nFontSize=2\n",
         "Speed = 'fast', FontSize = '2', Count = 'words'", eThemeLight, false},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        wxFileName::Mkdir(wxFileName(configFile).GetPath(), 0700, wxPATH_MKDIR_FULL);
        std::ofstream(configFile.ToStdString(), std::ios::binary) << file.content;
        startReader();
        ASSERT_TRUE(pumpUntil([this] { return !frame->getRefusal().empty(); }));
        EXPECT_NE(wxNOT_FOUND, frame->getRefusal().Find(file.said)) << frame->getRefusal();
        EXPECT_EQ(file.theme, frame->getPreferences().theme);
        EXPECT_EQ(CFlitManager::kDefaultWpmSpeed, frame->getPreferences().speed);
        quitReader();
        // A file the reader can use takes the window's place after its own lines.
        const std::string kept = read(configFile);
        EXPECT_EQ(file.content, file.keptAside ? kept : kept.substr(0, strlen(file.content)));

        startReader();
        SPreferences chosen = frame->getPreferences();
        chosen.theme = eThemeHighContrast;
        frame->setPreferences(chosen);
        quitReader();
        EXPECT_EQ(file.keptAside, wxFileName::FileExists(configFile + ".unreadable"));
        if (file.keptAside) {
            EXPECT_EQ(file.content, read(configFile + ".unreadable"));
            wxRemoveFile(configFile + ".unreadable");
        }
        startReader();
        EXPECT_EQ(eThemeHighContrast, frame->getPreferences().theme) << read(configFile);
        quitReader();
    }
}

// The window opens where it was left; the first time, centred on the screen.
TEST_F(PreferencesTest, TheWindowReopensWhereItWasLeftOnAScreen) {
    const wxRect screen = wxDisplay(0u).GetClientArea();
    startReader();
    EXPECT_EQ(wxRect(wxSize(820, 560)).CentreIn(screen), frame->GetRect());
    frame->SetSize(wxRect(100, 50, 700, 500));
    quitReader();
    startReader();
    EXPECT_EQ(wxRect(100, 50, 700, 500), frame->GetRect());
}

// Started without a document, the reader reopens the last one read at the word where it was
// left; when its file is gone, it starts empty and says so in the status bar.
TEST_F(PreferencesTest, TheLastDocumentReopensWhereItWasLeft) {
    const wxString text =
        write("two.txt", "One two three. Four five.\n\nSix seven eight. Nine ten.\n");
    startReader();
    ASSERT_TRUE(frame->openDocument(text, true));
    frame->moveByParagraph(1);
    quitReader();
    startReader();
    // Not by a start that names a document or runs by itself (a script's).
    SReaderOptions unattended[4];
    unattended[0].documentPath = "-";
    unattended[1].exitWhenDone = true;
    unattended[2].recordPath = "r.tsv";
    unattended[3].screenshotPath = "s.png";
    for (const SReaderOptions& options : unattended) {
        reopenLastDocument(*frame, options);
        EXPECT_EQ(nullptr, frame->getDocument());
    }
    reopenLastDocument(*frame, SReaderOptions());
    ASSERT_TRUE(
        pumpUntil([this] { return frame->getDocument() != nullptr && !frame->isOpening(); }));
    EXPECT_EQ("Word 6 of 10", frame->getStatusText(2));
    quitReader();

    wxRemoveFile(text);
    startReader();
    reopenLastDocument(*frame, SReaderOptions());
    EXPECT_EQ(nullptr, frame->getDocument());
    EXPECT_TRUE(frame->getStatusText(CReaderFrame::kChapterField).StartsWith("Not reopened"));
}

} // namespace
