#include "frame/ChapterMenu.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrame.h"
#include "frame/ReaderFrameIds.h"
#include "reading/ChapterIndex.h"

#include <wx/arrstr.h>
#include <wx/choicdlg.h>
#include <wx/menu.h>

wxMenu* CChapterMenu::create() {
    goMenu = new wxMenu;
    goMenu->Append(ID_CHAPTER_LIST, "&Chapter...\tCtrl+G",
                   "Choose a chapter from the document's table of contents");
    goMenu->Enable(ID_CHAPTER_LIST, false);
    return goMenu;
}

void CChapterMenu::rebuild(const CChapterIndex& chapters, bool hasContents) {
    listed = &chapters;
    goMenu->Enable(ID_CHAPTER_LIST, !chapters.empty());
    // Only the submenu goes: the other items of the Go menu stay where they are.
    if (submenuItem != nullptr) {
        goMenu->Destroy(submenuItem);
        submenuItem = nullptr;
    }
    if (!hasContents || chapters.empty() || chapters.size() > kMaxChapterMenuEntries) {
        return;
    }
    wxMenu* list = new wxMenu;
    for (size_t i = 0; i < chapters.size(); ++i) {
        // Mnemonics would eat the titles' ampersands.
        wxString label = chapters.listedTitle(i);
        label.Replace("&", "&&");
        list->Append(ID_CHAPTER_FIRST + static_cast<int>(i), label);
    }
    const size_t after = goMenu->GetMenuItems().IndexOf(goMenu->FindItem(ID_CHAPTER_LIST)) + 1;
    submenuItem = goMenu->Insert(after, wxID_ANY, "C&hapters", list);
}

void CChapterMenu::bind() {
    // The dialog's item alone; the entries' range lies after every other item's identifier.
    frame->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { chooseInDialog(); }, ID_CHAPTER_LIST);
    frame->Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            frame->goToChapter(static_cast<size_t>(event.GetId() - ID_CHAPTER_FIRST));
        },
        ID_CHAPTER_FIRST, ID_CHAPTER_LAST);
}

void CChapterMenu::chooseInDialog() {
    if (listed == nullptr || listed->empty()) {
        return;
    }
    wxArrayString titles;
    for (size_t chapter = 0; chapter < listed->size(); ++chapter) {
        titles.push_back(listed->listedTitle(chapter));
    }
    CPauseWhileModal pause(frame);
    wxSingleChoiceDialog dialog(frame, "Go to the start of:", "Chapter", titles);
    if (dialog.ShowModal() == wxID_OK) {
        frame->goToChapter(static_cast<size_t>(dialog.GetSelection()));
    }
}
