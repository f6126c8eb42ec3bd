// The library through the real frame: real SQLite files in a data folder of the test's own.

#include "library/Library.h"
#include "frame/ReaderFrame.h"
#include "library/BookmarksDialog.h"
#include "library/LibraryDialog.h"

#include "support/EpubFixture.h"
#include "support/ReaderWindowTest.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/textdlg.h>

#include <cstring>
#include <functional>

namespace {

const int kWordsField = 2;
const char* const kText = "One two three. Four five six. Seven eight nine. Ten eleven twelve.";

// Answers the next modal dialog once it is up.
void whenModal(const std::function<void(wxDialog*)>& answer) {
    wxTheApp->CallAfter([answer] {
        wxDialog* dialog = dynamic_cast<wxDialog*>(wxTopLevelWindows.GetLast()->GetData());
        dialog != nullptr && dialog->IsModal() ? answer(dialog) : whenModal(answer);
    });
}

class LibraryTest : public ReaderWindowTest {
protected:
    void SetUp() override {
        ReaderWindowTest::SetUp();
        document = write("tide.txt", kText);
    }
    void open(SReaderOptions options = {}) { openFrame(options, document); }
    wxString listed(int column) {
        CLibraryDialog dialog(frame, frame->getLibrary());
        return dialog.getList()->GetItemText(0, column);
    }

    CZeroTimingTable zeroTiming;
    wxString document;
};

// Each row reads the document one way, closes the reader and opens it again.
TEST_F(LibraryTest, ReopeningResumesWhereReadingStopped) {
    const struct {
        const char* name;
        int sentencesOn; // moves forward while stopped
        bool pause;      // started, then paused in the first sentence
        bool finish;     // read to the end
        const char* changedText;
        bool fromStart;
        const char* progress;
        const char* wordOnReturn;
    } readings[] = {
        {"moved on, stopped", 2, false, false, nullptr, false, "50%", "Word 7 of 12"},
        {"started, paused", 1, true, false, nullptr, false, "25%", "Word 4 of 12"},
        {"finished", 0, false, true, nullptr, false, "100%", "Word 0 of 12"},
        {"changed since", 2, false, false, "Other words here.", false, "0%", "Word 0 of 3"},
        {"--from-start", 2, false, false, nullptr, true, "50%", "Word 0 of 12"},
    };
    for (const auto& reading : readings) {
        SCOPED_TRACE(reading.name);
        wxFileName::Rmdir(folder + "/flitreader", wxPATH_RMDIR_RECURSIVE);
        document = write("tide.txt", kText);
        open();
        for (int move = 0; move < reading.sentencesOn; ++move) {
            frame->moveBySentence(1);
        }
        if (reading.pause) {
            frame->togglePause();
            frame->pauseReading();
        }
        if (reading.finish) {
            frame->startFromBeginning();
        }
        ASSERT_TRUE(!reading.finish || reached(CReaderFrame::eFinished));
        closeFrame();
        if (reading.changedText != nullptr) {
            write("tide.txt", reading.changedText);
        }
        SReaderOptions options;
        options.fromStart = reading.fromStart;
        open(options);
        EXPECT_EQ(reading.wordOnReturn, frame->getStatusText(kWordsField));
        EXPECT_EQ(reading.progress, listed(1));
        EXPECT_EQ(document, listed(3));
        closeFrame();
    }
}

// A book opens the first time at the start of its body, past its contents; opened again, where
// its reading stopped.
TEST_F(LibraryTest, ABookOpensFirstAtItsBodyThenWhereItWasLeft) {
    document = write("tide.epub", flitZipBytes(flitEpubEntries(
                                      "Tide", {"<p>Contents</p>", "<p>Gulls wait. Wind turns.</p>"},
                                      "c1 c2", "<li><a href='c2.xhtml'>Gulls</a></li>")));
    for (const char* const shown : {"Word 2 of 5", "Word 4 of 5"}) {
        open();
        EXPECT_EQ(shown, frame->getStatusText(kWordsField));
        frame->moveBySentence(1);
        closeFrame();
    }
}

// A library the reader cannot use: the reader reads, says so once, and leaves the file as it was.
TEST_F(LibraryTest, AnUnusableLibraryLeavesTheReaderReading) {
    const struct {
        const char* name;
        bool garbage;
        const char* said;
    } libraries[] = {
        {"corrupt", true, "(file is not a database): reading without remembering"},
        {"newer", false, "was written by a newer FlitReader (version 99)"},
    };
    for (const auto& library : libraries) {
        SCOPED_TRACE(library.name);
        wxFileName::Mkdir(folder + "/flitreader", 0700, wxPATH_MKDIR_FULL);
        const wxString path = folder + "/flitreader/library.sqlite3";
        wxRemoveFile(path);
        if (library.garbage) {
            write("flitreader/library.sqlite3", std::string(4096, '\x5a'));
        } else {
            sqlite3* db = nullptr;
            sqlite3_open(path.utf8_str(), &db);
            sqlite3_exec(db, "CREATE TABLE later(x); PRAGMA user_version = 99", nullptr, nullptr,
                         nullptr);
            sqlite3_close(db);
        }
        const std::string before = read(path);
        open();
        EXPECT_TRUE(frame->getStatusText(CReaderFrame::kChapterField).Contains(library.said))
            << frame->getStatusText(CReaderFrame::kChapterField);
        // No bookmarks are offered: Ctrl+B only says why.
        EXPECT_FALSE(frame->offersBookmarks());
        frame->addBookmark();
        frame->startFromBeginning();
        EXPECT_TRUE(reached(CReaderFrame::eFinished));
        closeFrame();
        EXPECT_EQ(before, read(path));
    }
}

// A library of the version before bookmarks keeps its document and place and takes bookmarks;
// after a restart they are listed, one is gone to and one deleted.
TEST_F(LibraryTest, BookmarksSurviveAMigrationAndARestart) {
    const std::string hash = CLibrary::hashOf(kText, std::strlen(kText));
    {
        // Version 1 was the first step alone: the version before bookmarks, as it wrote it.
        CLibrary older;
        older.opened(hash, "Tide", document, 12);
        older.setPosition(hash, 3);
    }
    sqlite3* db = nullptr;
    sqlite3_open((folder + "/flitreader/library.sqlite3").utf8_str(), &db);
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "DROP TABLE bookmarks; PRAGMA user_version = 1", nullptr,
                                      nullptr, nullptr));
    sqlite3_close(db);
    open();
    EXPECT_EQ("Word 4 of 12", frame->getStatusText(kWordsField));
    whenModal([](wxDialog* note) {
        static_cast<wxTextEntryDialog*>(note)->SetValue("  four  ");
        note->EndModal(wxID_OK);
    });
    frame->addBookmark();
    frame->seekTo(500);
    whenModal([](wxDialog* note) { note->EndModal(wxID_OK); });
    frame->addBookmark();
    closeFrame();

    open();
    EXPECT_EQ("Word 7 of 12", frame->getStatusText(kWordsField));
    whenModal([](wxDialog* dialog) {
        wxListCtrl* list = static_cast<CBookmarksDialog*>(dialog)->getList();
        ASSERT_EQ(2, list->GetItemCount());
        EXPECT_EQ("25%, word 4|Four five six.|four|Seven eight nine.",
                  list->GetItemText(0, 0) + "|" + list->GetItemText(0, 1) + "|" +
                      list->GetItemText(0, 2) + "|" + list->GetItemText(1, 1));
        static_cast<CBookmarksDialog*>(dialog)->goToSelected();
    });
    frame->showBookmarks();
    EXPECT_EQ("Word 4 of 12", frame->getStatusText(kWordsField));
    whenModal([](wxDialog* dialog) {
        static_cast<CBookmarksDialog*>(dialog)->removeSelected();
        dialog->EndModal(wxID_CANCEL);
    });
    frame->showBookmarks();
    frame->goBack();
    EXPECT_EQ("Word 7 of 12", frame->getStatusText(kWordsField));
    EXPECT_EQ(6, CLibrary().bookmarks(hash).at(0).position);
    EXPECT_EQ(1u, CLibrary().bookmarks(hash).size());
}

// Two readers at once share one library: what one writes, the other reads, day by day.
TEST_F(LibraryTest, TwoReadersShareTheLibrary) {
    CLibrary first, second;
    first.opened("a1", "Tide", document, 12);
    second.setPosition("a1", 6);
    ASSERT_EQ(1u, first.documents().size());
    EXPECT_EQ(6, first.documents()[0].position);
    first.addSession({"a1", wxDateTime::Now(), 12, 1000, 720});
    const std::vector<CLibrary::SDay> days =
        second.wordsPerDay(wxDateTime::Today() - wxDateSpan::Day());
    ASSERT_EQ(2u, days.size());
    EXPECT_EQ(0, days[0].words);
    EXPECT_EQ(12, days[1].words);
    EXPECT_EQ(720u, second.sessionsSince(wxDateTime::Today()).at(0).achievedWpm);
}

} // namespace
