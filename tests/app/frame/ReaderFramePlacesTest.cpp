// The places a reader returns to, in the real frame: Back after each kind of jump in each state
// of reading, and bookmarks kept in a real library across a migration and a restart.

#include "frame/ReaderFrame.h"
#include "library/BookmarksDialog.h"
#include "library/Library.h"
#include "reading/ReadingNavigator.h"

#include "support/TestHost.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/textdlg.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

namespace {

// 22 words; the second paragraph, a chapter, starts at word 11 ("Gulls").
const char* const kText = "Part one. The tide comes in. Boats rise at their moorings.\n\n"
                          "Gulls wait here. The wind turns. Nets dry on the quay.";

// Answers the next modal dialog once it is up.
void whenModal(const std::function<void(wxDialog*)>& answer) {
    wxTheApp->CallAfter([answer] {
        for (wxWindow* window : wxTopLevelWindows) {
            wxDialog* dialog = dynamic_cast<wxDialog*>(window);
            if (dialog != nullptr && dialog->IsModal()) {
                answer(dialog);
                return;
            }
        }
        whenModal(answer);
    });
}

class PlacesTest : public testing::Test {
protected:
    void SetUp() override {
        folder = wxFileName::CreateTempFileName("flitreader-places");
        wxRemoveFile(folder);
        wxFileName::Mkdir(folder + "/flitreader", 0700, wxPATH_MKDIR_FULL);
        wxSetEnv("XDG_DATA_HOME", folder);
        wxConfigBase::Set(new wxFileConfig("flitreader", wxEmptyString, folder + "/config"));
        std::ofstream((folder + "/tide.txt").ToStdString()) << kText;
    }
    void TearDown() override {
        close();
        delete wxConfigBase::Set(nullptr);
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }
    void open() {
        frame = new CReaderFrame(SReaderOptions(), std::chrono::steady_clock::now());
        ASSERT_TRUE(frame->openDocument(folder + "/tide.txt", true));
        frame->Show();
        navigator = std::make_unique<CReadingNavigator>(frame->getDocument());
    }
    void close() {
        if (frame != nullptr) {
            frame->Close(true);
            frame = nullptr;
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!wxTopLevelWindows.IsEmpty() && std::chrono::steady_clock::now() < end) {
                wxTheApp->Yield(true);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }
    // The word reading stands at: the engine's while reading, else the one chosen.
    long long place() {
        wxCDataInfoListNode* at = frame->getReading() == CReaderFrame::eReading
                                      ? frame->getManager()->getDataInfoListNode()
                                      : frame->getResumeNode();
        return at == nullptr ? -1 : static_cast<long long>(navigator->wordsBefore(at));
    }

    CZeroTimingTable zeroTiming;
    wxString folder;
    CReaderFrame* frame = nullptr;
    std::unique_ptr<CReadingNavigator> navigator;
};

// Two sentences on (word 6), in each state, then a jump: Back returns to word 6 exactly, and
// Forward to where the jump went.
TEST_F(PlacesTest, BackReturnsToTheExactWordAfterAJump) {
    const CReaderFrame::eReadingState kStopped = CReaderFrame::eStopped;
    const CReaderFrame::eReadingState kPaused = CReaderFrame::ePaused;
    const CReaderFrame::eReadingState kReading = CReaderFrame::eReading;
    const struct {
        const char* jump; // Home, a click on the strip (at 900), a drag (500 to 900), a chapter
        CReaderFrame::eReadingState state;
        long long jumpedTo;
    } jumps[] = {
        {"home", kStopped, 0},     {"home", kPaused, 0},     {"home", kReading, 0},
        {"strip", kStopped, 19},   {"strip", kPaused, 19},   {"strip", kReading, 19},
        {"chapter", kStopped, 11}, {"chapter", kPaused, 11}, {"chapter", kReading, 11},
        {"drag", kStopped, 19},
    };
    for (const auto& jump : jumps) {
        SCOPED_TRACE(std::string(jump.jump) + " " + std::to_string(jump.state));
        std::string text = kText;
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> book =
            importer.importText(text, CDocumentImporter::ePlainText, folder);
        size_t item = 0, words = 0;
        for (wxCDataInfoListNode* node = book->getFirstNode(); node; node = node->GetNext()) {
            if (node->GetData()->getDataInfoType() == eDITWord && words++ % 11 == 0) {
                book->addContentsEntry(words == 1 ? "Part one" : "Gulls", 1, item);
            }
            ++item;
        }
        frame = frame != nullptr ? frame : new CReaderFrame({}, std::chrono::steady_clock::now());
        frame->openImported(std::move(book), "tides.txt");
        navigator = std::make_unique<CReadingNavigator>(frame->getDocument());
        EXPECT_FALSE(frame->canGoBack());
        frame->moveBySentence(1);
        frame->moveBySentence(1);
        ASSERT_EQ(6, place());
        if (jump.state != kStopped) {
            frame->togglePause(); // no events pumped: the engine waits on its first word
        }
        if (jump.state == kPaused) {
            frame->pauseReading();
        }
        const std::string kind = jump.jump;
        if (kind == "home") {
            frame->startFromBeginning();
        } else if (kind == "chapter") {
            frame->goToChapter(1);
        } else {
            frame->seekTo(kind == "drag" ? 500 : 900);
            frame->seekTo(900, kind == "drag");
        }
        EXPECT_EQ(jump.jumpedTo, place());
        frame->goBack();
        EXPECT_EQ(6, place());
        EXPECT_FALSE(frame->canGoBack());
        frame->goForward();
        EXPECT_EQ(jump.jumpedTo, place());
        frame->stopReading();
    }
}

// A library of the version before bookmarks keeps its document and place and takes bookmarks;
// after a restart they are listed, one is gone to and one deleted.
TEST_F(PlacesTest, BookmarksSurviveAMigrationAndARestart) {
    const wxString path = folder + "/flitreader/library.sqlite3";
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.utf8_str(), &db));
    const std::string hash = CLibrary::hashOf(kText, std::strlen(kText));
    const std::string old =
        "CREATE TABLE documents (hash TEXT PRIMARY KEY, title TEXT NOT NULL, path TEXT NOT NULL,"
        " words INTEGER NOT NULL, position INTEGER NOT NULL DEFAULT 0, last_read INTEGER NOT "
        "NULL); CREATE TABLE sessions (id INTEGER PRIMARY KEY, hash TEXT NOT NULL, start INTEGER "
        "NOT NULL, words INTEGER NOT NULL, duration_ms INTEGER NOT NULL, wpm INTEGER NOT NULL);"
        "CREATE INDEX sessions_by_start ON sessions(start); INSERT INTO documents VALUES ('" +
        hash + "', 'Tide', '" + (folder + "/tide.txt").ToStdString() +
        "', 22, 6, 1700000000); PRAGMA user_version = 1;";
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, old.c_str(), nullptr, nullptr, nullptr));
    sqlite3_close(db);

    open();
    EXPECT_EQ(6, place());
    whenModal([](wxDialog* note) {
        static_cast<wxTextEntryDialog*>(note)->SetValue("  boats  ");
        note->EndModal(wxID_OK);
    });
    frame->addBookmark();
    frame->seekTo(500);
    whenModal([](wxDialog* note) { note->EndModal(wxID_OK); });
    frame->addBookmark();
    close();

    open();
    EXPECT_EQ(11, place());
    whenModal([](wxDialog* dialog) {
        wxListCtrl* list = static_cast<CBookmarksDialog*>(dialog)->getList();
        ASSERT_EQ(2, list->GetItemCount());
        EXPECT_EQ("27%, word 7", list->GetItemText(0, 0));
        EXPECT_EQ("Boats rise at their moorings.", list->GetItemText(0, 1));
        EXPECT_EQ("boats", list->GetItemText(0, 2));
        EXPECT_EQ("Gulls wait here.", list->GetItemText(1, 1));
        static_cast<CBookmarksDialog*>(dialog)->goToSelected();
    });
    frame->showBookmarks();
    EXPECT_EQ(6, place());
    whenModal([](wxDialog* dialog) {
        static_cast<CBookmarksDialog*>(dialog)->removeSelected();
        dialog->EndModal(wxID_CANCEL);
    });
    frame->showBookmarks();
    EXPECT_EQ(6, place());
    frame->goBack();
    EXPECT_EQ(11, place());

    CLibrary library;
    ASSERT_EQ(1u, library.bookmarks(hash).size());
    EXPECT_EQ(11, library.bookmarks(hash)[0].position);
    EXPECT_EQ(hash, library.documents().at(0).hash);
}

} // namespace
