// The reader driven as a user drives it: real frame, real engine, real files.

#include "ReaderFrame.h"
#include "AssessmentView.h"
#include "FlitView.h"

#include "engine/FlitManager.h"
#include "outside/DataManager.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/uiaction.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    const auto end = Clock::now() + deadline;
    while (!done()) {
        if (Clock::now() >= end) {
            return false;
        }
        // Dispatches the display's events (keys, paints) as well as the queued ones.
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

std::vector<std::vector<std::string>> readRecord(const wxString& path) {
    std::ifstream in(path.ToStdString());
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

class ReaderFrameTest : public testing::Test {
protected:
    void SetUp() override {
        folder = wxFileName::CreateTempFileName("flitreader-test");
        wxRemoveFile(folder);
        wxFileName::Mkdir(folder, 0700);
        // Preferences and recent files go to a file of the test's own.
        wxConfigBase::Set(new wxFileConfig("flitreader", wxEmptyString, folder + "/config"));
    }

    void TearDown() override {
        if (frame != nullptr) {
            frame->Close(true);
            pumpUntil([] { return wxTopLevelWindows.IsEmpty(); });
        }
        delete wxConfigBase::Set(nullptr);
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }

    wxString writeFile(const char* name, const std::string& text) {
        const wxString path = folder + "/" + name;
        std::ofstream(path.ToStdString(), std::ios::binary) << text;
        return path;
    }

    void openFrame(const wxString& document, SReaderOptions options = SReaderOptions()) {
        frame = new CReaderFrame(options, Clock::now());
        wxString error;
        ASSERT_TRUE(frame->openRecord(folder + "/record.tsv", &error)) << error;
        ASSERT_TRUE(frame->openDocument(document, true));
        frame->Show();
    }

    std::vector<std::string> wordsRecorded() {
        std::vector<std::string> words;
        for (const auto& row : readRecord(folder + "/record.tsv")) {
            if (row.size() > 3 && row[2] == "WORD" && !row[3].empty()) {
                words.push_back(row[3]);
            }
        }
        return words;
    }

    bool waitForWord(const std::string& word) {
        return pumpUntil([&] {
            const std::vector<std::string> words = wordsRecorded();
            return std::find(words.begin(), words.end(), word) != words.end();
        });
    }

    CZeroTimingTable zeroTiming;
    wxString folder;
    CReaderFrame* frame = nullptr;
};

const char* const kText = "The tide comes in. Boats rise at their moorings. Gulls wait.\n\n"
                          "A second paragraph starts here. It ends here.";

TEST_F(ReaderFrameTest, ARunIsRecordedInOrderAndEndsFinished) {
    openFrame(writeFile("tide.txt", kText));
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; }));

    const auto rows = readRecord(folder + "/record.tsv");
    ASSERT_GE(rows.size(), 6u);
    EXPECT_EQ("t_ms", rows[0][0]);
    EXPECT_EQ("DEFAULT_BACKGROUND", rows[1][2]);
    EXPECT_EQ("RESET_TEXT_COLOUR", rows[2][2]);
    EXPECT_EQ("SPEED", rows[3][2]);
    EXPECT_EQ("250", rows[3][4]);
    EXPECT_EQ("PAGE_NUM", rows[4][2]);
    EXPECT_EQ("DONE", rows.back()[2]);
    double previous = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ("view", rows[i][1]);
        EXPECT_GE(std::stod(rows[i][0]), previous);
        previous = std::stod(rows[i][0]);
    }
    EXPECT_EQ(19u, wordsRecorded().size());
    EXPECT_EQ("Word 19 of 19", frame->getStatusText(2));
    EXPECT_NE(wxNOT_FOUND, frame->getStatusText(4).Find("Achieved"));
}

TEST_F(ReaderFrameTest, PauseSeekSpeedContinueAndStop) {
    openFrame(writeFile("tide.txt", kText));
    // Paused before any event is pumped: the engine is held at the restart's first waited-for
    // event, so the pause lands before the first word.
    frame->startFromBeginning();
    frame->pauseReading();
    EXPECT_EQ(CReaderFrame::ePaused, frame->getReading());
    EXPECT_EQ(CFlitManager::ePaused, frame->getManager()->getState());
    pumpUntil([] { return false; }, milliseconds(100));
    const size_t shownAtPause = wordsRecorded().size();

    // Forward one paragraph while paused: nothing is presented, the next continue starts there.
    frame->moveByParagraph(1);
    pumpUntil([] { return false; }, milliseconds(100));
    EXPECT_EQ(shownAtPause, wordsRecorded().size());
    EXPECT_EQ("A", std::string(
                       static_cast<const CDITWord*>(frame->getResumeNode()->GetData())->getWord()));
    // The status and the bar show the chosen word, the twelfth.
    EXPECT_EQ("Word 12 of 19", frame->getStatusText(2));
    EXPECT_EQ(12 * 1000 / 19, frame->getProgress());

    frame->changeSpeed(CReaderFrame::eFaster);
    EXPECT_EQ(275, frame->getManager()->getTargetSpeed());
    frame->changeSpeed(CReaderFrame::eDouble);
    EXPECT_EQ(550, frame->getManager()->getTargetSpeed());
    frame->changeSpeed(CReaderFrame::eHalf);
    frame->changeSpeed(CReaderFrame::eSlower);
    EXPECT_EQ(250, frame->getManager()->getTargetSpeed());

    frame->continueReading();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; }));
    const std::vector<std::string> words = wordsRecorded();
    ASSERT_GT(words.size(), shownAtPause);
    EXPECT_EQ("A", words[shownAtPause]) << "reading went on from the chosen paragraph";

    // Back one sentence after the end, then start again from there and stop.
    frame->moveBySentence(-1);
    EXPECT_EQ(CReaderFrame::eStopped, frame->getReading());
    frame->togglePause();
    EXPECT_EQ(CReaderFrame::eReading, frame->getReading());
    frame->stopReading();
    EXPECT_EQ(CReaderFrame::eStopped, frame->getReading());
    EXPECT_EQ(CFlitManager::eStopped, frame->getManager()->getState());
}

TEST_F(ReaderFrameTest, TheDocumentsOwnHoldsAndTheAssessmentView) {
    openFrame(writeFile("quiz.flit",
                        "Read this.{assessment Which way is the tide running?} After the quiz."));
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eHeldByDocument; }));
    EXPECT_TRUE(frame->getAssessmentView()->IsShown());
    EXPECT_EQ("Which way is the tide running?", frame->getAssessmentView()->getText());

    // The Continue button goes on after the assessment.
    wxCommandEvent click(wxEVT_BUTTON, wxID_FORWARD);
    click.SetEventObject(frame->getAssessmentView()->getContinueButton());
    frame->getAssessmentView()->getContinueButton()->ProcessWindowEvent(click);
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; }));
    EXPECT_FALSE(frame->getAssessmentView()->IsShown());
    const std::vector<std::string> words = wordsRecorded();
    EXPECT_EQ((std::vector<std::string>{"Read", "this.", "After", "the", "quiz."}), words);
}

TEST_F(ReaderFrameTest, AutoContinueRunsTheWholeDocumentUnattended) {
    SReaderOptions options;
    options.autoContinue = true;
    const char picture[] = "not a picture";
    std::ofstream(folder.ToStdString() + "/p.png") << picture;
    openFrame(writeFile("held.flit", "One{bgraphic p.png pause} two{view 2} three{command 0} "
                                     "four{assessment Why?} five.{email 0}{attachment skip}not "
                                     "read{email 1}{link http://x}"),
              options);
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; }));
    EXPECT_EQ((std::vector<std::string>{"One", "two", "three", "four", "five.", "Email", "Item",
                                        "#", "1", "Email", "Item", "#", "2", "<LINK>"}),
              wordsRecorded());
    // Each word flashed counts once, in the status bar and on the end screen alike.
    EXPECT_EQ("Word 14 of 14", frame->getStatusText(2));
    EXPECT_TRUE(frame->getFlitView()->getMessageDetail().StartsWith("14 words in"));
}

// Closing must end the engine however it is busy, within a second even in a long hold.
TEST_F(ReaderFrameTest, ClosingDuringALongHoldQuitsAtOnce) {
    std::ofstream(folder.ToStdString() + "/sky.png") << "x";
    openFrame(writeFile("hold.flit", "{background sky.png 600}Waiting for the tide."));
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] {
        for (const auto& row : readRecord(folder + "/record.tsv")) {
            if (row.size() > 2 && row[2] == "BACKGROUND") {
                return true;
            }
        }
        return false;
    }));
    const auto before = Clock::now();
    frame->Close(true);
    frame = nullptr;
    ASSERT_TRUE(pumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(5));
}

TEST_F(ReaderFrameTest, KeysDriveReadingWhereTheDisplayAllowsIt) {
    openFrame(writeFile("tide.txt", kText));
    frame->Raise();
    frame->getFlitView()->SetFocus();
    pumpUntil([] { return false; }, milliseconds(200));
    if (wxWindow::FindFocus() == nullptr) {
        GTEST_SKIP() << "no keyboard focus without a window manager";
    }
    // Without a window manager the keyboard follows the pointer.
    wxUIActionSimulator keys;
    keys.MouseMove(frame->GetScreenRect().GetPosition() + wxPoint(40, 80));
    pumpUntil([] { return false; }, milliseconds(200));
    keys.Char(WXK_UP);
    ASSERT_TRUE(pumpUntil([&] { return frame->getManager()->getTargetSpeed() == 275; },
                          std::chrono::seconds(5)));
    keys.Char(WXK_HOME);
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() != CReaderFrame::eIdle; }));
}

// A background file that is empty or not a picture is just bytes to the importer; the reader
// shows the default background in its place and reading goes on.
TEST_F(ReaderFrameTest, BackgroundsThatAreNoPicturesShowTheDefaultBackground) {
    std::ofstream(folder.ToStdString() + "/empty.png");
    std::ofstream(folder.ToStdString() + "/notes.png") << "not a picture";
    openFrame(writeFile("backgrounds.flit",
                        "{background empty.png}Calm water{background notes.png} and still."));
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; }));

    std::vector<std::string> backgrounds;
    for (const auto& row : readRecord(folder + "/record.tsv")) {
        if (row.size() > 3 && row[2] == "BACKGROUND") {
            backgrounds.push_back(row[3]);
        }
    }
    // Each event names the engine's stored copy of the file, whose name ends in the file's.
    ASSERT_EQ(2u, backgrounds.size());
    EXPECT_TRUE(wxString(backgrounds[0]).EndsWith("empty.png")) << backgrounds[0];
    EXPECT_TRUE(wxString(backgrounds[1]).EndsWith("notes.png")) << backgrounds[1];
    EXPECT_EQ((std::vector<std::string>{"Calm", "water", "and", "still."}), wordsRecorded());
    // The default background fills the view where any picture fitted to it would lie: at the
    // middle of the top edge and of the left edge.
    const wxImage shown = frame->getFlitView()->snapshot().ConvertToImage();
    for (const wxPoint& at :
         {wxPoint(shown.GetWidth() / 2, 1), wxPoint(1, shown.GetHeight() / 2)}) {
        const wxColour pixel(shown.GetRed(at.x, at.y), shown.GetGreen(at.x, at.y),
                             shown.GetBlue(at.x, at.y));
        EXPECT_EQ("#181C24", pixel.GetAsString(wxC2S_HTML_SYNTAX)) << at.x << "," << at.y;
    }
    ASSERT_TRUE(wxFileExists(wxString::FromUTF8(backgrounds[1])));
    EXPECT_FALSE(frame->getFlitView()->showBackgroundImage(wxString::FromUTF8(backgrounds[1])));
}

TEST_F(ReaderFrameTest, AScreenshotIsAPicture) {
    openFrame(writeFile("tide.txt", kText));
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; }));
    wxString error;
    ASSERT_TRUE(frame->saveScreenshot(folder + "/shot.png", &error)) << error;
    wxImage shot(folder + "/shot.png", wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(shot.IsOk());
    EXPECT_EQ(frame->GetClientSize().x, shot.GetWidth());
    EXPECT_GT(shot.GetHeight(), frame->GetClientSize().y) << "with the status bar";
}

} // namespace
