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

void CReaderFrame::createMenus() {
    wxMenu* file = new wxMenu;
    file->Append(wxID_OPEN, "&Open...\tCtrl+O",
                 "Open a document: plain or marked-up text, EPUB, HTML, Markdown or PDF");
    wxMenu* recent = new wxMenu;
    file->AppendSubMenu(recent, "Open &Recent");
    file->Append(ID_LIBRARY, "&Library...\tCtrl+L",
                 "The documents read, with how far each was read: open or forget one");
    // Reopened documents go on where they were left; Home (as in the Reading menu) starts over.
    file->Append(ID_START, "Start from the &Beginning (Home)");
    file->AppendSeparator();
    file->Append(wxID_EXIT, "&Quit\tCtrl+Q");
    fileHistory.UseMenu(recent);
    fileHistory.Load(*wxConfigBase::Get());

    // The reading keys are plain keys that GTK will not take as menu accelerators: onCharHook
    // handles them, and the menus name them.
    wxMenu* readingMenu = new wxMenu;
    readingMenu->Append(ID_START, "&Start from the Beginning (Home)");
    readingMenu->Append(ID_PAUSE, "&Pause / Continue (Space)");
    readingMenu->Append(ID_STOP, "S&top (Esc)");
    readingMenu->AppendSeparator();
    readingMenu->Append(ID_SENTENCE_BACK, "&Back One Sentence (Left)");
    readingMenu->Append(ID_SENTENCE_FORWARD, "&Forward One Sentence (Right)");
    readingMenu->Append(ID_PARAGRAPH_BACK, "Back One P&aragraph (Ctrl+Left)");
    readingMenu->Append(ID_PARAGRAPH_FORWARD, "Forward One Pa&ragraph (Ctrl+Right)");
    readingMenu->AppendSeparator();
    readingMenu->AppendCheckItem(ID_KEEP_LINE_BREAKS, "Keep &Line Breaks",
                                 "Plain text: pause at every line break, not only at blank lines");
    readingMenu->Check(ID_KEEP_LINE_BREAKS, keepLineBreaks);

    wxMenu* edit = new wxMenu;
    edit->Append(ID_PASTE_DOCUMENT, "&Paste as Document\tCtrl+V", "Read the text on the clipboard");
    edit->AppendSeparator();
    edit->Append(wxID_PREFERENCES, "P&references...\tCtrl+,");
    goMenu = new wxMenu;

    wxMenu* speedMenu = new wxMenu;
    speedMenu->Append(ID_FASTER, wxString::Format("&Faster by %u wpm (Up)",
                                                  CFlitManager::kDefaultSpeedIncrement));
    speedMenu->Append(ID_SLOWER, wxString::Format("&Slower by %u wpm (Down)",
                                                  CFlitManager::kDefaultSpeedIncrement));
    speedMenu->Append(ID_DOUBLE, "&Double");
    speedMenu->Append(ID_HALF, "&Half");
    speedMenu->AppendSeparator();
    speedMenu->Append(ID_WORD_LENGTH, "&Word Display Length...");

    wxMenu* tools = new wxMenu;
    tools->Append(ID_DEBUG, "&Debug Dialog...\tCtrl+D");
    wxMenu* help = new wxMenu;
    help->Append(ID_KEYS, "&Keys (F1 or ?)", "List every key of the reader");
    help->Append(wxID_ABOUT, "&About FlitReader");

    wxMenuBar* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(edit, "&Edit");
    bar->Append(createViewMenu(), "&View");
    bar->Append(readingMenu, "&Reading");
    bar->Append(goMenu, "&Go");
    bar->Append(speedMenu, "S&peed");
    bar->Append(tools, "&Tools");
    bar->Append(help, "&Help");
    SetMenuBar(bar);
    rebuildChapterMenu();

    Bind(wxEVT_MENU, &CReaderFrame::onOpen, this, wxID_OPEN);
    Bind(wxEVT_MENU, &CReaderFrame::onRecentFile, this, wxID_FILE1, wxID_FILE9);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { showLibrary(); }, ID_LIBRARY);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { startFromBeginning(); }, ID_START);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { togglePause(); }, ID_PAUSE);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { stopReading(); }, ID_STOP);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { moveBySentence(-1); }, ID_SENTENCE_BACK);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { moveBySentence(1); }, ID_SENTENCE_FORWARD);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { moveByParagraph(-1); }, ID_PARAGRAPH_BACK);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { moveByParagraph(1); }, ID_PARAGRAPH_FORWARD);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { changeSpeed(eFaster); }, ID_FASTER);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { changeSpeed(eSlower); }, ID_SLOWER);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { changeSpeed(eDouble); }, ID_DOUBLE);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { changeSpeed(eHalf); }, ID_HALF);
    Bind(wxEVT_MENU, &CReaderFrame::onWordLength, this, ID_WORD_LENGTH);
    Bind(wxEVT_MENU, &CReaderFrame::onDebugDialog, this, ID_DEBUG);
    Bind(wxEVT_MENU, &CReaderFrame::onAbout, this, wxID_ABOUT);
    Bind(wxEVT_MENU, &CReaderFrame::onPreferences, this, wxID_PREFERENCES);
    Bind(wxEVT_MENU, &CReaderFrame::onStatistics, this, ID_STATISTICS);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { toggleFullScreen(); }, ID_FULL_SCREEN);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { showKeys(); }, ID_KEYS);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { pasteDocument(); }, ID_PASTE_DOCUMENT);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent& event) { setKeepLineBreaks(event.IsChecked()); },
        ID_KEEP_LINE_BREAKS);
    Bind(wxEVT_MENU, &CReaderFrame::onChapterMenu, this, ID_CHAPTER_LIST, ID_CHAPTER_LAST);
}

void CReaderFrame::onCharHook(wxKeyEvent& event) {
    if (onComfortKey(event)) {
        return;
    }
    const bool ctrl = event.GetModifiers() == wxMOD_CONTROL;
    const bool plain = event.GetModifiers() == wxMOD_NONE;
    // Keys go to the assessment view's Continue button while it shows.
    if (assessmentView->IsShown() && plain &&
        (event.GetKeyCode() == WXK_SPACE || event.GetKeyCode() == WXK_RETURN)) {
        continueReading();
        return;
    }
    switch (event.GetKeyCode()) {
    case WXK_HOME:
        if (plain) {
            startFromBeginning();
            return;
        }
        break;
    case WXK_SPACE:
        if (plain) {
            togglePause();
            return;
        }
        break;
    case WXK_ESCAPE:
        if (plain) {
            stopReading();
            return;
        }
        break;
    case WXK_LEFT:
    case WXK_RIGHT: {
        const int direction = event.GetKeyCode() == WXK_LEFT ? -1 : 1;
        if (plain) {
            moveBySentence(direction);
            return;
        }
        if (ctrl) {
            moveByParagraph(direction);
            return;
        }
        break;
    }
    case WXK_UP:
    case WXK_DOWN:
        if (plain) {
            changeSpeed(event.GetKeyCode() == WXK_UP ? eFaster : eSlower);
            return;
        }
        break;
    default:
        break;
    }
    event.Skip();
}

void CReaderFrame::onOpen(wxCommandEvent&) {
    CPauseWhileModal pause(this);
    wxFileDialog dialog(this, "Open a document to read", wxEmptyString, wxEmptyString,
                        kDocumentWildcard, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK) {
        openDocument(dialog.GetPath());
    }
}

void CReaderFrame::onRecentFile(wxCommandEvent& event) {
    const wxString path = fileHistory.GetHistoryFile(event.GetId() - wxID_FILE1);
    if (!wxFileName::FileExists(path)) {
        refusal = wxString::Format("Cannot open %s: it no longer exists", path);
        infoBar->ShowMessage(refusal, wxICON_WARNING);
        fileHistory.RemoveFileFromHistory(event.GetId() - wxID_FILE1);
        fileHistory.Save(*wxConfigBase::Get());
        return;
    }
    openDocument(path);
}

void CReaderFrame::onWordLength(wxCommandEvent&) {
    CPauseWhileModal pause(this);
    const long length =
        wxGetNumberFromUser("Words longer than this many letters are shown in hyphenated parts.",
                            "Word display length:", "FlitReader", wordDisplayLength, kMinWordLength,
                            kMaxWordLength, this);
    if (length >= kMinWordLength) {
        setWordDisplayLength(static_cast<unsigned int>(length));
    }
}

void CReaderFrame::onDebugDialog(wxCommandEvent&) {
    CPauseWhileModal pause(this);
    if (!manager) {
        wxMessageBox("Open a text first: the debug dialog shows the engine reading it.",
                     "FlitReader", wxOK | wxICON_INFORMATION, this);
        return;
    }
    CFEDebugDlg dialog(this);
    dialog.initialize(manager.get());
    dialog.ShowModal();
}

void CReaderFrame::onAbout(wxCommandEvent&) {
    CPauseWhileModal pause(this);
    wxAboutDialogInfo info;
    info.SetName("FlitReader");
    info.SetVersion(FLIT_READER_VERSION);
    info.SetDescription("Reads a text to you one word at a time, at the speed you choose.");
    wxAboutBox(info, this);
}
