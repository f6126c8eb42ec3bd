#include "frame/ReaderFrame.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"
#include "view/ProgressStrip.h"

#include <flitengine/debug/FEDebugDlg.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/Utf8.h>

#include <wx/aboutdlg.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choicdlg.h>
#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/infobar.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/numdlg.h>
#include <wx/sizer.h>
#include <wx/sound.h>
#include <wx/statusbr.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// A table of contents entry as a menu or list shows it: indented by its level.
wxString indentedTitle(const CDataManager::SContentsEntry& entry) {
    // Menus trim ordinary leading spaces; em spaces stay.
    return wxString(wxUniChar(0x2003), static_cast<size_t>(std::max(entry.level - 1, 0)) * 2) +
           entry.title;
}

} // namespace

void CReaderFrame::markChapters() {
    chapters.clear();
    const std::vector<CDataManager::SContentsEntry>& contents = document->getContents();
    if (contents.empty()) {
        return;
    }
    // The entries in the order of their items (as the document lists them, normally), found in
    // one walk that ends at the last of them.
    std::vector<size_t> order(contents.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&contents](size_t a, size_t b) {
        return contents[a].itemIndex < contents[b].itemIndex;
    });
    wxCDataInfoListNode* node = document->getFirstNode();
    size_t itemIndex = 0;
    for (size_t entry : order) {
        for (; node != nullptr && itemIndex < contents[entry].itemIndex; ++itemIndex) {
            node = node->GetNext();
        }
        // An entry past the last item starts nowhere: it cannot be moved to.
        if (node != nullptr) {
            chapters.push_back(SChapterMark{entry, node, navigator->wordsBefore(node)});
        }
    }
}

const CReaderFrame::SChapterMark* CReaderFrame::chapterAt(wxCDataInfoListNode* node,
                                                          size_t wordsBefore) const {
    // Entries that start at the same word (a part and its first chapter) are told apart by
    // their items when the position is one of them; otherwise the last one holds the word.
    const SChapterMark* found = nullptr;
    for (const SChapterMark& mark : chapters) {
        if (mark.wordsBefore > wordsBefore) {
            break;
        }
        found = &mark;
        if (mark.node == node) {
            break;
        }
    }
    return found;
}

void CReaderFrame::rebuildChapterMenu() {
    while (goMenu->GetMenuItemCount() > 0) {
        goMenu->Destroy(goMenu->FindItemByPosition(0));
    }
    const std::vector<CDataManager::SContentsEntry>* contents =
        document ? &document->getContents() : nullptr;
    if (contents == nullptr || contents->empty() || chapters.size() > kMaxChapterMenuEntries) {
        goMenu->Append(ID_CHAPTER_LIST, "&Chapter...\tCtrl+G",
                       "Choose a chapter from the document's table of contents");
        goMenu->Enable(ID_CHAPTER_LIST, !chapters.empty());
        return;
    }
    wxMenu* list = new wxMenu;
    for (size_t i = 0; i < chapters.size(); ++i) {
        const CDataManager::SContentsEntry& entry = (*contents)[chapters[i].entry];
        // Mnemonics would eat the titles' ampersands.
        wxString label = indentedTitle(entry);
        label.Replace("&", "&&");
        list->Append(ID_CHAPTER_FIRST + static_cast<int>(i), label);
    }
    goMenu->AppendSubMenu(list, "&Chapter");
}

void CReaderFrame::onChapterMenu(wxCommandEvent& event) {
    if (event.GetId() != ID_CHAPTER_LIST) {
        goToChapter(static_cast<size_t>(event.GetId() - ID_CHAPTER_FIRST));
        return;
    }
    if (chapters.empty()) {
        return;
    }
    wxArrayString titles;
    for (const SChapterMark& mark : chapters) {
        titles.push_back(indentedTitle(document->getContents()[mark.entry]));
    }
    CPauseWhileModal pause(this);
    wxSingleChoiceDialog dialog(this, "Go to the start of:", "Chapter", titles);
    if (dialog.ShowModal() == wxID_OK) {
        goToChapter(static_cast<size_t>(dialog.GetSelection()));
    }
}

void CReaderFrame::goToChapter(size_t entry) {
    if (entry >= chapters.size()) {
        wxBell();
        return;
    }
    // Reading goes on from the entry's first item (a page marker shows its page); the paused
    // view shows its first words.
    wxCDataInfoListNode* start = chapters[entry].node;
    wxCDataInfoListNode* word = start;
    while (word != nullptr && word->GetData()->getDataInfoType() != eDITWord) {
        word = word->GetNext();
    }
    moveTo(start, word != nullptr ? word : start);
}

size_t CReaderFrame::wordsBeforeShown(wxCDataInfoListNode* node) {
    // Asked at every status update: the answer for the node shown is kept.
    if (node != shownCounted) {
        shownCounted = node;
        shownWordsBefore = navigator->wordsBefore(node);
    }
    return shownWordsBefore;
}

wxCDataInfoListNode* CReaderFrame::nodeOfWord(size_t wordIndex) {
    return navigator->itemOfWord(wordIndex);
}
