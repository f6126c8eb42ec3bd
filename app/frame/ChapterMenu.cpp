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
    return goMenu;
}

void CChapterMenu::rebuild(const CChapterIndex& chapters, bool hasContents) {
    listed = &chapters;
    if (chapterItem != nullptr) {
        goMenu->Destroy(chapterItem);
    }
    if (!hasContents || chapters.size() > kMaxChapterMenuEntries) {
        chapterItem = goMenu->Insert(0, ID_CHAPTER_LIST, "&Chapter...\tCtrl+G",
                                     "Choose a chapter from the document's table of contents");
        goMenu->Enable(ID_CHAPTER_LIST, !chapters.empty());
        return;
    }
    wxMenu* list = new wxMenu;
    for (size_t i = 0; i < chapters.size(); ++i) {
        // Mnemonics would eat the titles' ampersands.
        wxString label = chapters.listedTitle(i);
        label.Replace("&", "&&");
        list->Append(ID_CHAPTER_FIRST + static_cast<int>(i), label);
    }
    chapterItem = goMenu->Insert(0, wxID_ANY, "&Chapter", list);
}

void CChapterMenu::bind() {
    frame->Bind(wxEVT_MENU, &CChapterMenu::onChoice, this, ID_CHAPTER_LIST);
    frame->Bind(wxEVT_MENU, &CChapterMenu::onChoice, this, ID_CHAPTER_FIRST, ID_CHAPTER_LAST);
}

void CChapterMenu::onChoice(wxCommandEvent& event) {
    if (event.GetId() != ID_CHAPTER_LIST) {
        frame->goToChapter(static_cast<size_t>(event.GetId() - ID_CHAPTER_FIRST));
        return;
    }
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
