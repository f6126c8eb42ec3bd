// The Go menu's chapters as the reader lists them for documents with short, long and no tables
// of contents: the dialog's item (Ctrl+G) always, a submenu for a short table.

#include "frame/ReaderFrame.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/menu.h>

#include <string>

namespace {

TEST(ChapterMenuTest, ListsShortTablesAndOffersLongOnesInADialog) {
    const wxString folder = wxFileName::CreateTempFileName("flit-chapters");
    wxSetEnv("XDG_DATA_HOME", folder);
    wxConfigBase::Set(new wxFileConfig("flitreader", wxEmptyString, folder));
    CReaderFrame* frame = new CReaderFrame(SReaderOptions(), std::chrono::steady_clock::now());
    const struct {
        size_t entries; // one at each word from the first; past the text when over 50
        bool enabled;   // Chapter... (Ctrl+G) can be chosen
        int listed;     // the entries the Chapters submenu lists; -1: none
    } tables[] = {
        {0, false, -1}, {3, true, 3},   {40, true, 40},
        {41, true, -1}, {51, true, -1}, // the last one past the text is left out
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.entries);
        std::string text;
        for (int word = 0; word < 50; ++word) {
            text += "Wave" + std::to_string(word) + " ";
        }
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> document =
            importer.importText(text, CDocumentImporter::ePlainText, folder);
        for (size_t entry = 0; entry < table.entries; ++entry) {
            document->addContentsEntry(wxString::Format("Part %zu", entry), 1,
                                       entry < 50 ? entry * 2 : 1000);
        }
        frame->openImported(std::move(document), "waves.txt");
        wxMenu* go = frame->GetMenuBar()->GetMenu(frame->GetMenuBar()->FindMenu("Go"));
        wxMenuItem* first = go->FindItemByPosition(0);
        EXPECT_EQ("Chapter...", first->GetItemLabelText());
        EXPECT_EQ(table.enabled, first->IsEnabled());
        wxMenuItem* second = go->GetMenuItemCount() > 1 ? go->FindItemByPosition(1) : nullptr;
        EXPECT_EQ(table.listed, second != nullptr && second->GetSubMenu() != nullptr
                                    ? static_cast<int>(second->GetSubMenu()->GetMenuItemCount())
                                    : -1);
    }
    frame->Close(true);
    wxTheApp->ProcessIdle(); // the frame goes once idle
    EXPECT_TRUE(wxTopLevelWindows.IsEmpty());
    delete wxConfigBase::Set(nullptr);
    wxRemoveFile(folder);
}

} // namespace
