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
#include <wx/infobar.h>
#include <wx/listctrl.h>
#include <wx/textdlg.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

const int kWordsField = 2;
// SQLite's page size for a new database, and the size of its file header.
const size_t kPage = 4096;
const size_t kHeader = 100;
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
    // The message bar's button to set the library aside; nullptr when it has none.
    wxWindow* barButton() {
        for (wxWindow* child : frame->GetChildren()) {
            wxInfoBar* bar = dynamic_cast<wxInfoBar*>(child);
            if (bar != nullptr && bar->HasButtonId(CLibraryDialog::ID_SET_ASIDE)) {
                return bar;
            }
        }
        return nullptr;
    }
    // A click on the button to set the library aside, in the window (dialog or bar) given.
    static void click(wxWindow* window) {
        ASSERT_NE(nullptr, window);
        wxCommandEvent click(wxEVT_BUTTON, CLibraryDialog::ID_SET_ASIDE);
        click.SetEventObject(window);
        window->HandleWindowEvent(click);
    }
    // A sound library of many pages; its path.
    wxString makeLibrary() {
        const wxString path = folder + "/flitreader/library.sqlite3";
        CLibrary schema(path);
        EXPECT_EQ(SQLITE_OK,
                  onDatabase(path, "BEGIN;"
                                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                   "FROM n WHERE i < 300) INSERT INTO documents SELECT i, 'Tide', "
                                   "printf('/books/book-%d.txt', i), 12, 3, 1 FROM n;"
                                   "COMMIT"));
        return path;
    }
    static int onDatabase(const wxString& path, const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open(path.utf8_str(), &db);
        const int status = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return status;
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

// A library the reader cannot use: the reader reads, says why in the message bar, and leaves
// the file byte for byte as it was. A damaged one is then set aside, from the dialog or the
// bar, under a dated name that does not replace the last one's, and a new library goes on.
TEST_F(LibraryTest, AnUnusableLibraryIsNeverWrittenAndADamagedOneIsSetAside) {
    const wxString path = folder + "/flitreader/library.sqlite3";
    const wxString dated = path + wxDateTime::Now().Format(".damaged-%Y-%m-%d");
    const struct {
        const char* name;
        long at;      // the first byte overwritten, from the end when negative
        size_t bytes; // overwritten with garbage from there
        bool cut;     // cut to half its pages
        const char* said;
        const char* keptAs; // after the date; nullptr: not offered to be set aside
        bool fromDialog;
    } libraries[] = {
        {"not a database", 0, 8 * kPage, false, "damaged (file is not a database)", "", true},
        {"a page overwritten", -4096, kPage, false, "damaged (Page ", "-2", false},
        {"its schema overwritten", 100, kPage - 100, false, "(database disk image is malformed)",
         "-3", true},
        {"cut short", 0, 0, true, "damaged (database disk image is malformed)", "-4", false},
        // The schema's version (4 bytes at 60) far in the future.
        {"newer", 60, 4, false, "by a newer FlitReader (version 1515870810)", nullptr, false},
    };
    const std::string sound = read(makeLibrary());
    for (const auto& library : libraries) {
        SCOPED_TRACE(library.name);
        std::string bytes = sound;
        bytes.replace(library.at < 0 ? bytes.size() + library.at : library.at, library.bytes,
                      library.bytes, '\x5a');
        bytes.resize(library.cut ? bytes.size() / kPage / 2 * kPage : bytes.size());
        write("flitreader/library.sqlite3", bytes);
        open();
        EXPECT_TRUE(frame->getRefusal().Contains(library.said)) << frame->getRefusal();
        EXPECT_EQ(library.keptAs != nullptr, barButton() != nullptr);
        // No bookmarks are offered: Ctrl+B only says why.
        EXPECT_FALSE(frame->offersBookmarks());
        frame->addBookmark();
        frame->moveBySentence(1);
        frame->startFromBeginning();
        EXPECT_TRUE(reached(CReaderFrame::eFinished));
        closeFrame();
        EXPECT_EQ(bytes, read(path));
        EXPECT_FALSE(wxFileExists(path + "-journal"));
        if (library.keptAs == nullptr) {
            continue;
        }
        open();
        write("flitreader/library.sqlite3-wal", "another program's");
        if (library.fromDialog) {
            whenModal(
                [](wxDialog* dialog) { click(dialog->FindWindow(CLibraryDialog::ID_SET_ASIDE)); });
            frame->showLibrary();
        } else {
            click(barButton());
        }
        EXPECT_TRUE(frame->getRefusal().Contains("kept as " + dated + library.keptAs));
        EXPECT_EQ(bytes, read(dated + library.keptAs));
        EXPECT_EQ("another program's", read(dated + library.keptAs + "-wal"));
        frame->moveBySentence(1);
        closeFrame();
        open();
        EXPECT_EQ("Word 4 of 12", frame->getStatusText(kWordsField));
        closeFrame();
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
    ASSERT_EQ(SQLITE_OK, onDatabase(folder + "/flitreader/library.sqlite3",
                                    "DROP TABLE bookmarks; PRAGMA user_version = 1"));
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
