// The reader driven as a user drives it: real frame, real engine, real files.

#include "frame/ReaderFrame.h"
#include "frame/PauseWhileModal.h"
#include "frame/ReaderStatus.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"

#include "support/ReaderWindowTest.h"
#include "support/TestHost.h"
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/MessageText.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/dnd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace {

class ReaderFrameTest : public ReaderWindowTest {
protected:
    void openFrame(const char* name, const std::string& text, SReaderOptions options = {}) {
        frame = new CReaderFrame(options, std::chrono::steady_clock::now());
        wxString error;
        ASSERT_TRUE(frame->openRecord(folder + "/record.tsv", &error)) << error;
        ASSERT_TRUE(frame->openDocument(write(name, text), true));
        frame->Show();
    }

    // One field of the recorded events (of one type if given) joined by spaces, blanks left out.
    std::string record(int field, const std::string& type = "") {
        std::ifstream in((folder + "/record.tsv").ToStdString());
        std::string line, joined;
        for (std::getline(in, line); std::getline(in, line);) {
            const wxArrayString fields = wxSplit(line, '\t', '\0');
            if ((type.empty() || fields[2] == type) && !fields[field].empty()) {
                joined += (joined.empty() ? "" : " ") + fields[field].ToStdString();
            }
        }
        return joined;
    }

    CZeroTimingTable zeroTiming;
};

const char* const kText = "The tide comes in. Boats rise at their moorings. Gulls wait.\n\n"
                          "A second paragraph starts here. It ends here.";

// Each document is read from the start to its end; the test presses Continue where the document
// holds reading (Space where the view says why), unless the reader continues by itself.
TEST_F(ReaderFrameTest, ReadsEachDocumentToItsEnd) {
    const struct {
        const char* name;
        const char* text;
        bool autoContinue;
        const char* question;    // the assessment that holds reading, or the view's reason
        const char* backgrounds; // the files the BACKGROUND events name
        const char* words;       // every word flashed, each once
    } documents[] = {
        // clang-format off
        {"tide.txt", kText, false, nullptr, "", "The tide comes in. Boats rise at their "
         "moorings. Gulls wait. A second paragraph starts here. It ends here."},
        {"quiz.flit", "Read this.{assessment Which way is the tide running?} After the quiz.",
         false, "Which way is the tide running?", "", "Read this. After the quiz."},
        {"picture.flit", "Look.{bgraphic p.png pause} Done.", false, "A picture holds reading", "",
         "Look. Done."},
        {"paused.flit", "Look.{view 2} Done.", false, "The document paused here", "", "Look. Done."},
        // Every kind of hold, continued by the reader; an email item flashes four words, a link
        // one, the words an attachment skip jumps over none.
        {"held.flit", "One{bgraphic p.png pause} two{view 2} three{command 0} four{assessment "
         "Why?} five.{email 0}{attachment skip}not read{email 1}{link http://x}", true, nullptr,
         "", "One two three four five. Email Item # 1 Email Item # 2 <LINK>"},
        // Backgrounds that are empty or not pictures are just bytes: each is announced by the
        // engine's stored copy, the view shows the default background and reading goes on.
        {"backgrounds.flit", "{background empty.png}Calm water{background notes.png} and still.",
         false, nullptr, "\\S+empty\\.png \\S+notes\\.png", "Calm water and still."},
        // clang-format on
    };
    write("empty.png", "");
    write("notes.png", "not a picture");
    write("p.png", "not a picture");
    for (const auto& document : documents) {
        SCOPED_TRACE(document.name);
        SReaderOptions options;
        options.autoContinue = document.autoContinue;
        openFrame(document.name, document.text, options);
        frame->startFromBeginning();
        CAssessmentView* assessment = frame->getAssessmentView();
        if (document.question != nullptr) {
            ASSERT_TRUE(reached(CReaderFrame::eHeldByDocument));
            if (assessment->IsShown()) {
                EXPECT_EQ(document.question, assessment->getText());
                wxCommandEvent click(wxEVT_BUTTON, wxID_FORWARD);
                click.SetEventObject(assessment->getContinueButton());
                assessment->getContinueButton()->ProcessWindowEvent(click);
            } else {
                EXPECT_EQ(document.question, frame->getFlitView()->getMessageTitle());
                EXPECT_EQ("Press Space to continue", frame->getFlitView()->getMessageDetail());
                frame->togglePause();
            }
        }
        ASSERT_TRUE(reached(CReaderFrame::eFinished));
        EXPECT_FALSE(assessment->IsShown());
        EXPECT_EQ(document.words, record(3, "WORD"));
        // The record ends with the end, in time order; every word goes to the view.
        EXPECT_TRUE(wxString(record(2)).EndsWith(" DONE"));
        std::istringstream times(record(0));
        const std::vector<double> timeline{std::istream_iterator<double>(times), {}};
        EXPECT_TRUE(std::is_sorted(timeline.begin(), timeline.end()));
        EXPECT_EQ(std::string::npos, record(1, "WORD").find_first_not_of("view "));
        // Each word flashed counts once, in the status bar and on the end screen alike.
        const int count = wxString(document.words).Freq(' ') + 1;
        EXPECT_EQ(wxString::Format("Word %d of %d", count, count), frame->getStatusText(2));
        EXPECT_TRUE(frame->getFlitView()->getMessageDetail().StartsWith(
            wxString::Format("%d words in", count)));
        EXPECT_TRUE(frame->getStatusText(4).StartsWith("Achieved"));

        EXPECT_TRUE(std::regex_match(record(3, "BACKGROUND"), std::regex(document.backgrounds)));
        std::istringstream backgrounds(record(3, "BACKGROUND"));
        for (std::string path; backgrounds >> path;) {
            ASSERT_TRUE(wxFileExists(path));
            EXPECT_FALSE(frame->getFlitView()->showBackgroundImage(path));
        }
        // The default background fills the view where any picture fitted to it would lie: at
        // the middle of the top edge and of the left edge.
        const wxImage shown = frame->getFlitView()->snapshot().ConvertToImage();
        for (const wxPoint& at :
             {wxPoint(shown.GetWidth() / 2, 1), wxPoint(1, shown.GetHeight() / 2)}) {
            const unsigned char* rgb = shown.GetData() + 3 * (at.y * shown.GetWidth() + at.x);
            EXPECT_EQ(0x181C24, rgb[0] << 16 | rgb[1] << 8 | rgb[2]) << at.x << "," << at.y;
        }
        // A screenshot is the window's picture with the status bar below it.
        wxString error;
        ASSERT_TRUE(frame->saveScreenshot(folder + "/shot.png", &error)) << error;
        const wxImage shot(folder + "/shot.png", wxBITMAP_TYPE_PNG);
        EXPECT_EQ(frame->GetClientSize().x, shot.GetWidth());
        EXPECT_GT(shot.GetHeight(), frame->GetClientSize().y);
        closeFrame();
    }
    // Closing must end the engine however it is busy, at once even in a long hold.
    openFrame("hold.flit", "{background p.png 600}Waiting for the tide.");
    frame->startFromBeginning();
    ASSERT_TRUE(pumpUntil([&] { return !record(3, "BACKGROUND").empty(); }));
}

TEST_F(ReaderFrameTest, PauseSeekSpeedContinueAndStop) {
    openFrame("tide.txt", kText);
    // Paused before any event is pumped: the engine is held at the restart's first waited-for
    // event, so the pause lands before the first word.
    frame->startFromBeginning();
    frame->pauseReading();
    EXPECT_EQ(CReaderFrame::ePaused, frame->getReading());
    EXPECT_EQ(CFlitManager::ePaused, frame->getManager()->getState());

    // Forward one paragraph while paused: the status and the bar show the chosen word, the
    // twelfth, and the next continue starts there.
    frame->moveByParagraph(1);
    EXPECT_EQ(12 * 1000 / 19, frame->getProgress());
    // A change of speed is saved once the changes stop, as the last of them.
    frame->changeSpeed(CReaderFrame::eDouble);
    frame->changeSpeed(CReaderFrame::eFaster);
    EXPECT_EQ(525, frame->getManager()->getTargetSpeed());
    EXPECT_FALSE(wxConfigBase::Get()->HasEntry("/Reading/Speed"));
    EXPECT_TRUE(
        pumpUntil([] { return wxConfigBase::Get()->ReadLong("/Reading/Speed", 0) == 525; }));
    // Read to the end: nothing was presented while paused, reading went on from the paragraph.
    frame->continueReading();
    ASSERT_TRUE(reached(CReaderFrame::eFinished));
    EXPECT_EQ("A second paragraph starts here. It ends here.", record(3, "WORD"));

    // Back one sentence after the end: stopped there.
    frame->moveBySentence(-1);
    EXPECT_EQ(CReaderFrame::eStopped, frame->getReading());
}

// Word steps while paused, then back from the end: the view flashes the word stepped to, the
// repeats of a held key that come before the view follows are taken together, and reading goes
// on from the word shown. While reading the keys are not the reader's.
TEST_F(ReaderFrameTest, WordStepsShowTheWordAndReadingGoesOnFromIt) {
    openFrame("tide.txt", kText);
    frame->startFromBeginning();
    frame->pauseReading();
    frame->moveBySentence(1); // "Boats"
    const struct {
        int code, unicode, modifiers, presses;
        const char* shown;
    } steps[] = {{WXK_RIGHT, 0, wxMOD_SHIFT, 4, "moorings."}, {',', ',', wxMOD_NONE, 2, "at"}};
    for (const auto& step : steps) {
        for (int press = 0; press < step.presses; ++press) {
            EXPECT_TRUE(pressKey(frame, step.code, step.unicode, step.modifiers));
        }
        EXPECT_TRUE(pumpUntil([&] { return frame->getFlitView()->getChunk() == step.shown; }));
    }
    frame->continueReading();
    EXPECT_FALSE(pressKey(frame, '.', '.'));
    ASSERT_TRUE(reached(CReaderFrame::eFinished));
    const std::string read = "at their moorings. Gulls wait. A second paragraph starts here. It";
    EXPECT_EQ(read + " ends here.", record(3, "WORD"));
    EXPECT_TRUE(pressKey(frame, ',', ',') && pressKey(frame, WXK_LEFT, 0, wxMOD_SHIFT));
    EXPECT_TRUE(pumpUntil([&] { return frame->getFlitView()->getChunk() == "ends"; }));
    frame->togglePause();
    ASSERT_TRUE(reached(CReaderFrame::eFinished));
    EXPECT_EQ(read + " ends here. ends here.", record(3, "WORD"));
}

// With real timing the status timer comes while words flash: its update waits for the next chunk
// on screen, and the status still follows the reading.
TEST_F(ReaderFrameTest, StatusFollowsTheWordsWhileTheyFlash) {
    CFlitWordCalcs::restoreDefaultTimingTable();
    std::string text;
    for (int word = 0; word < 40; ++word) {
        text += "Waves ";
    }
    openFrame("waves.txt", text);
    frame->startFromBeginning();
    EXPECT_EQ("Word 1 of 40", frame->getStatusText(2));
    EXPECT_TRUE(pumpUntil([&] {
        const wxString words = frame->getStatusText(2);
        return frame->getReading() == CReaderFrame::eReading && words.StartsWith("Word ") &&
               words != "Word 1 of 40";
    }));
}

// A file dropped replaces the document (the menus' tables open and paste); a refusal leaves the
// document and its position as they were and says once what is wrong with which file. Keeping
// line breaks reads a plain text again at the word it was at.
TEST_F(ReaderFrameTest, EveryWayInOpensOrLeavesTheDocumentAsItWas) {
    const struct {
        const char* way;     // "drop" (the first of the files), "open", "paste" or "keep"
        const char* text;    // the file's or the clipboard's text
        const char* title;   // the window's title after; null: refused
        const char* message; // the refusal, or the status bar's note
    } ways[] = {
        {"drop", "Nets dry on the quay.", "quay.txt - FlitReader", ""},
        {"drop two", "Nets dry on the quay.", "quay.txt - FlitReader",
         "Opened the first of 2 files dropped: quay.txt"},
        {"open", "Fog {fog} rolls in.", nullptr,
         "Cannot open fog.flit: line 1, column 5: unknown directive \"{fog}\""},
        {"paste", "", nullptr, "The clipboard holds no text to read"},
        {"keep", "", nullptr, ""},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(std::string(way.way) + " " + way.text);
        openFrame("tide.txt", kText);
        frame->moveByParagraph(1);
        const wxString path = write(way.title ? "quay.txt" : "fog.flit", way.text);
        if (wxString(way.way).StartsWith("drop")) {
            auto* target = dynamic_cast<wxFileDropTarget*>(frame->getFlitView()->GetDropTarget());
            wxArrayString files(1, &path);
            if (std::string(way.way) == "drop two") {
                files.push_back(write("tide.txt", kText));
            }
            ASSERT_TRUE(target->OnDropFiles(0, 0, files));
            wxTheApp->ProcessPendingEvents(); // the drop opens the file once it is over
        } else if (std::string(way.way) == "open") {
            frame->openDocument(path); // in the background
        } else if (std::string(way.way) == "keep") {
            frame->setKeepLineBreaks(true);
        } else {
            ASSERT_TRUE(wxTheClipboard->Open());
            wxTheClipboard->SetData(new wxTextDataObject(way.text));
            wxTheClipboard->Close();
            EXPECT_EQ(way.title != nullptr, frame->pasteDocument());
        }
        ASSERT_TRUE(pumpUntil([&] { return !frame->isOpening(); }));
        EXPECT_EQ(way.title ? way.title : "tide.txt - FlitReader", frame->GetTitle());
        EXPECT_EQ(way.title ? "Word 0 of 5" : "Word 12 of 19", frame->getStatusText(2));
        EXPECT_EQ(way.message,
                  frame->getRefusal() + frame->getStatusText(CReaderFrame::kChapterField));
        closeFrame();
    }
    // Whatever a message holds, the bar lays out a bounded part of it.
    openFrame("tide.txt", kText);
    frame->showWarning(wxString('x', 1 << 20));
    EXPECT_EQ(CMessageText::kMessageChars, frame->getRefusal().length());
    closeFrame();
}

// The comforts around reading, each as the user meets it: the progress strip moves the
// position, the pointer hides while reading, dialogs pause reading, a link is named, the
// attachment key reads the attachment. (The keys list and full screen come and go in
// MenuCommandsTest's tables.)
TEST_F(ReaderFrameTest, ComfortsAroundReading) {
    openFrame("tide.txt", kText);
    frame->startFromBeginning();
    EXPECT_TRUE(frame->getFlitView()->GetCursor().IsOk()); // the pointer hidden
    EXPECT_TRUE(CPauseWhileModal(frame).paused());         // paused while a dialog lives
    EXPECT_EQ(CReaderFrame::eReading, frame->getReading());
    frame->pauseReading();
    EXPECT_FALSE(frame->getFlitView()->GetCursor().IsOk());
    EXPECT_FALSE(CPauseWhileModal(frame).paused());
    EXPECT_EQ(CReaderFrame::ePaused, frame->getReading());
    clickStrip(0.5);
    EXPECT_EQ("Word 10 of 19", frame->getStatusText(2));
    frame->togglePause();
    ASSERT_TRUE(reached(CReaderFrame::eFinished));
    EXPECT_EQ("Gulls wait. A second paragraph starts here. It ends here.", record(3, "WORD"));
    closeFrame();

    // A link is named in the status bar; L opens web, mail and file addresses only. The
    // attachment key reads what the announcement announces.
    openFrame("mail.flit", "Calm.{link gopher://x.test}{email 0}{attachment announce}"
                           "{attachment skip}Tide tables.{email 1}");
    // A pressed while the announcement shows (this handler runs before the frame's).
    bool pressed = false;
    frame->getFlitView()->Bind(wxEventTypeTag<CFlitCommandEvent>(EVT_FLIT_COMMAND_WORD_MSG),
                               [&](CFlitCommandEvent& word) {
                                   word.Skip();
                                   if (word.text == "attachment" && !pressed) {
                                       pressed = true;
                                       pressKey(frame, 'A', 'a');
                                   }
                               });
    frame->startFromBeginning();
    ASSERT_TRUE(reached(CReaderFrame::eFinished));
    EXPECT_TRUE(wxString(record(3, "WORD")).EndsWith("Tide tables. Email Item # 2"));
    EXPECT_EQ("Link: gopher://x.test (L opens it)", frame->getStatusText(eFieldChapter));
    pressKey(frame, 'L', 'l');
    EXPECT_EQ("Not opened: gopher://x.test is not a web, mail or file address",
              frame->getStatusText(eFieldChapter));
}

} // namespace
