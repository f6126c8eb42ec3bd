#include "frame/ReaderMenus.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrame.h"
#include "frame/ReaderFrameIds.h"
#include "library/StatisticsDialog.h"
#include "preferences/Preferences.h"
#include "preferences/PreferencesDialog.h"
#include "reading/ReadingSteps.h"
#include "view/FindBar.h"
#include "view/Themes.h"

#include <flitengine/debug/FEDebugDlg.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/import/DocumentImporter.h>

#include <wx/aboutdlg.h>
#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/generic/aboutdlgg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/numdlg.h>
#include <wx/textdlg.h>

CReaderMenus::CReaderMenus(CReaderFrame* readerFrame, const CChapterIndex& chapters)
    : frame(readerFrame), chapterMenu(readerFrame) {
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

    // The reading keys are plain keys that GTK will not take as menu accelerators: the frame's
    // key handler takes them, and the menus name them.
    wxMenu* readingMenu = new wxMenu;
    readingMenu->Append(ID_START, "&Start from the Beginning (Home)");
    readingMenu->Append(ID_PAUSE, "&Pause / Continue (Space)");
    readingMenu->Append(ID_STOP, "S&top (Esc)");
    readingMenu->AppendSeparator();
    readingMenu->Append(ID_SENTENCE_BACK, "&Back One Sentence (Left)");
    readingMenu->Append(ID_SENTENCE_FORWARD, "&Forward One Sentence (Right)");
    readingMenu->Append(ID_PARAGRAPH_BACK, "Back One P&aragraph (Ctrl+Left)");
    readingMenu->Append(ID_PARAGRAPH_FORWARD, "Forward One Pa&ragraph (Ctrl+Right)");
    readingMenu->Append(ID_WORD_BACK, "Back One &Word (, or Shift+Left)",
                        "While paused or stopped: the word before, shown as it flashes");
    readingMenu->Append(ID_WORD_FORWARD, "Forward One W&ord (. or Shift+Right)",
                        "While paused or stopped: the word after, shown as it flashes");
    readingMenu->AppendSeparator();
    readingMenu->AppendCheckItem(ID_KEEP_LINE_BREAKS, "Keep &Line Breaks",
                                 "Plain text: pause at every line break, not only at blank lines");
    readingMenu->Check(ID_KEEP_LINE_BREAKS, frame->getKeepLineBreaks());
    readingMenu->AppendCheckItem(ID_READ_ALOUD, "Read &Aloud\tCtrl+R",
                                 "Speak the text and flash each word as it is heard");
    readingMenu->Check(ID_READ_ALOUD, frame->isReadingAloud());

    wxMenu* edit = new wxMenu;
    edit->Append(ID_PASTE_DOCUMENT, "&Paste as Document\tCtrl+V", "Read the text on the clipboard");
    edit->AppendSeparator();
    edit->Append(ID_FIND, "&Find...\tCtrl+F",
                 "Find text in the document, whatever its case and accents");
    edit->Append(ID_FIND_NEXT, "Find &Next\tF3", "Move to the next match of the last search");
    edit->Append(ID_FIND_PREVIOUS, "Find Pre&vious\tShift+F3",
                 "Move to the match before, of the last search");
    edit->AppendSeparator();
    edit->Append(wxID_PREFERENCES, "P&references...\tCtrl+,");
    wxMenu* goMenu = chapterMenu.create();
    // After the chapter entry, which the chapter menu puts first. Alt+Left and Ctrl+B are the
    // frame's keys too, so that they work in full screen.
    goMenu->AppendSeparator();
    goMenu->Append(ID_GO_BACK, "&Back\tAlt+Left", "Return to where the last jump left");
    goMenu->Append(ID_GO_FORWARD, "&Forward\tAlt+Right", "Go again where Back came from");
    goMenu->AppendSeparator();
    goMenu->Append(ID_ADD_BOOKMARK, "&Add Bookmark...\tCtrl+B",
                   "Mark the word reading is at, with a note, in the library");
    goMenu->Append(ID_BOOKMARKS, "Book&marks...\tCtrl+Shift+B",
                   "The document's bookmarks: go to one, edit its note or delete it");

    wxMenu* speedMenu = new wxMenu;
    const wxString steps = wxString::Format(
        "by %u words per minute below %u, by %u from there up", CReadingSteps::kFineSpeedStep,
        CReadingSteps::kCoarseStepsFrom, CFlitManager::kDefaultSpeedIncrement);
    speedMenu->Append(ID_FASTER, "&Faster (Up)", "Faster " + steps);
    speedMenu->Append(ID_SLOWER, "&Slower (Down)", "Slower " + steps);
    speedMenu->Append(ID_SET_SPEED, "S&et Speed...",
                      wxString::Format("Type a speed from %u to %u words per minute",
                                       CFlitManager::kMinWpmSpeed, CFlitManager::kMaxWpmSpeed));
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
    frame->SetMenuBar(bar);
    chapterMenu.rebuild(chapters, false);
    bindCommands();
}

wxMenu* CReaderMenus::createViewMenu() {
    wxMenu* view = new wxMenu;
    wxMenu* themes = new wxMenu;
    for (int theme = 0; theme < eThemeCount; ++theme) {
        themes->AppendRadioItem(ID_THEME_FIRST + theme, themeOf(theme).label);
    }
    view->AppendSubMenu(themes, "&Theme");
    view->AppendCheckItem(ID_PREFERENCES_FIXATION, "&Fixation Point",
                          "Mark the letter the eye rests on, with guide marks above and below");
    view->AppendCheckItem(ID_NEIGHBOUR_WORDS, "Neighbouring &Words (W)",
                          "Show the word before and the word after, faintly, beside the flash");
    view->AppendCheckItem(ID_PAGE_PANE, "&Page (P)",
                          "Show the text around the word read as a page under the flash; click "
                          "a word to read on from there");
    view->AppendCheckItem(ID_FULL_SCREEN, "F&ull Screen (F11)",
                          "Only the word, the progress bar and the status bar (Esc leaves it)");
    view->Append(ID_SHOW_NOTE, "Last &Note (N)",
                 "The whole of the last footnote or endnote that reading passed");
    wxMenu* wordsPerFlash = new wxMenu;
    for (unsigned int words = CPhrases::kMinWords; words <= CPhrases::kMaxWords; ++words) {
        wordsPerFlash->AppendRadioItem(
            ID_WORDS_PER_FLASH_FIRST + static_cast<int>(words) - 1,
            wxString::Format(words == 1 ? "&%u Word (%u)" : "&%u Words (%u)", words, words),
            words == 1 ? wxString("Flash every word alone")
                       : wxString::Format("Flash up to %u short words of a line at once", words));
    }
    view->AppendSubMenu(wordsPerFlash, "W&ords per Flash");
    view->AppendSeparator();
    view->Append(ID_STATISTICS, "&Statistics...",
                 "The words read per day and the speed of each session, from the library");

    frame->Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            SPreferences chosen = frame->getPreferences();
            chosen.theme = event.GetId() - ID_THEME_FIRST;
            frame->setPreferences(chosen);
        },
        ID_THEME_FIRST, ID_THEME_LAST);
    frame->Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            SPreferences chosen = frame->getPreferences();
            chosen.fixation = event.IsChecked();
            frame->setPreferences(chosen);
        },
        ID_PREFERENCES_FIXATION);
    frame->Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            SPreferences chosen = frame->getPreferences();
            chosen.wordsPerFlash =
                static_cast<unsigned int>(event.GetId() - ID_WORDS_PER_FLASH_FIRST) + 1;
            frame->setPreferences(chosen);
        },
        ID_WORDS_PER_FLASH_FIRST, ID_WORDS_PER_FLASH_LAST);
    for (bool SPreferences::*shown : {&SPreferences::neighbourWords, &SPreferences::pagePane}) {
        frame->Bind(
            wxEVT_MENU,
            [this, shown](wxCommandEvent& event) {
                SPreferences chosen = frame->getPreferences();
                chosen.*shown = event.IsChecked();
                frame->setPreferences(chosen);
            },
            shown == &SPreferences::pagePane ? ID_PAGE_PANE : ID_NEIGHBOUR_WORDS);
    }
    return view;
}

void CReaderMenus::bindCommands() {
    // In this order: where two handlers take an item, the order decides which one runs.
    CReaderFrame* f = frame;
    const auto bind = [f](int id, auto command) {
        f->Bind(
            wxEVT_MENU, [command](wxCommandEvent&) { command(); }, id);
    };
    bind(wxID_OPEN, [this] { onOpen(); });
    f->Bind(
        wxEVT_MENU, [this](wxCommandEvent& event) { onRecentFile(event.GetId() - wxID_FILE1); },
        wxID_FILE1, wxID_FILE9);
    bind(ID_LIBRARY, [f] { f->showLibrary(); });
    bind(wxID_EXIT, [f] { f->Close(); });
    bind(ID_START, [f] { f->startFromBeginning(); });
    bind(ID_PAUSE, [f] { f->togglePause(); });
    bind(ID_STOP, [f] { f->stopReading(); });
    bind(ID_SENTENCE_BACK, [f] { f->moveBySentence(-1); });
    bind(ID_SENTENCE_FORWARD, [f] { f->moveBySentence(1); });
    bind(ID_PARAGRAPH_BACK, [f] { f->moveByParagraph(-1); });
    bind(ID_PARAGRAPH_FORWARD, [f] { f->moveByParagraph(1); });
    bind(ID_FASTER, [f] { f->changeSpeed(CReaderFrame::eFaster); });
    bind(ID_SLOWER, [f] { f->changeSpeed(CReaderFrame::eSlower); });
    bind(ID_DOUBLE, [f] { f->changeSpeed(CReaderFrame::eDouble); });
    bind(ID_HALF, [f] { f->changeSpeed(CReaderFrame::eHalf); });
    bind(ID_WORD_LENGTH, [this] { onWordLength(); });
    bind(ID_DEBUG, [this] { onDebugDialog(); });
    bind(wxID_ABOUT, [this] { onAbout(); });
    bind(wxID_PREFERENCES, [this] { onPreferences(); });
    bind(ID_STATISTICS, [this] { onStatistics(); });
    bind(ID_FULL_SCREEN, [f] { f->toggleFullScreen(); });
    bind(ID_KEYS, [f] { f->showKeys(); });
    bind(ID_SHOW_NOTE, [f] { f->showLastNote(); });
    bind(ID_PASTE_DOCUMENT, [f] { f->pasteDocument(); });
    bind(ID_FIND, [f] { f->getFindBar()->open(); });
    bind(ID_FIND_NEXT, [f] { f->getFindBar()->findNext(1); });
    bind(ID_FIND_PREVIOUS, [f] { f->getFindBar()->findNext(-1); });
    f->Bind(
        wxEVT_MENU, [f](wxCommandEvent& event) { f->setKeepLineBreaks(event.IsChecked()); },
        ID_KEEP_LINE_BREAKS);
    f->Bind(
        wxEVT_MENU, [f](wxCommandEvent& event) { f->setReadAloud(event.IsChecked()); },
        ID_READ_ALOUD);
    bind(ID_GO_BACK, [f] { f->goBack(); });
    bind(ID_GO_FORWARD, [f] { f->goForward(); });
    bind(ID_ADD_BOOKMARK, [f] { f->addBookmark(); });
    bind(ID_BOOKMARKS, [f] { f->showBookmarks(); });
    // Greyed while there is nowhere to go, or no library to keep bookmarks in.
    const auto enableWhen = [f](int id, bool (CReaderFrame::*possible)() const) {
        f->Bind(
            wxEVT_UPDATE_UI,
            [f, possible](wxUpdateUIEvent& event) { event.Enable((f->*possible)()); }, id);
    };
    enableWhen(ID_GO_BACK, &CReaderFrame::canGoBack);
    enableWhen(ID_GO_FORWARD, &CReaderFrame::canGoForward);
    enableWhen(ID_ADD_BOOKMARK, &CReaderFrame::offersBookmarks);
    enableWhen(ID_BOOKMARKS, &CReaderFrame::offersBookmarks);
    // Word steps and exact speed.
    bind(ID_WORD_BACK, [f] { f->stepWord(-1); });
    bind(ID_WORD_FORWARD, [f] { f->stepWord(1); });
    enableWhen(ID_WORD_BACK, &CReaderFrame::canStepWords);
    enableWhen(ID_WORD_FORWARD, &CReaderFrame::canStepWords);
    bind(ID_SET_SPEED, [this] { onSetSpeed(); });
    chapterMenu.bind();
}

void CReaderMenus::addRecentFile(const wxString& path) {
    userPreferences::changeRecentFiles(fileHistory,
                                       [this, &path] { fileHistory.AddFileToHistory(path); });
}

void CReaderMenus::onOpen() {
    CPauseWhileModal pause(frame);
    wxFileDialog dialog(frame, "Open a document to read", wxEmptyString, wxEmptyString,
                        CDocumentImporter::fileDialogWildcard(), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK) {
        frame->openDocument(dialog.GetPath());
    }
}

void CReaderMenus::onRecentFile(int index) {
    const wxString path = fileHistory.GetHistoryFile(static_cast<size_t>(index));
    if (!wxFileName::FileExists(path)) {
        frame->showWarning(wxString::Format("Cannot open %s: it no longer exists", path));
        userPreferences::changeRecentFiles(fileHistory, [this, &path] {
            for (size_t entry = 0; entry < fileHistory.GetCount(); ++entry) {
                if (fileHistory.GetHistoryFile(entry) == path) {
                    fileHistory.RemoveFileFromHistory(entry);
                    return;
                }
            }
        });
        return;
    }
    frame->openDocument(path);
}

void CReaderMenus::onWordLength() {
    CPauseWhileModal pause(frame);
    const long length = wxGetNumberFromUser(
        "Words longer than this many letters are shown in hyphenated parts.",
        "Word display length:", "FlitReader", frame->getPreferences().wordLength, kMinWordLength,
        kMaxWordLength, frame);
    if (length >= kMinWordLength) {
        frame->setWordDisplayLength(static_cast<unsigned int>(length));
    }
}

void CReaderMenus::onSetSpeed() {
    CPauseWhileModal pause(frame);
    CFlitManager* manager = frame->getManager();
    wxString typed = wxString::Format("%d", manager != nullptr
                                                ? manager->getTargetSpeed()
                                                : static_cast<int>(frame->getPreferences().speed));
    wxString problem;
    for (;;) {
        const wxString prompt =
            wxString::Format("Words per minute, from %u to %u:", CFlitManager::kMinWpmSpeed,
                             CFlitManager::kMaxWpmSpeed);
        wxTextEntryDialog dialog(frame, problem.empty() ? prompt : problem + "\n\n" + prompt,
                                 "Set Speed", typed);
        if (dialog.ShowModal() != wxID_OK) {
            return;
        }
        typed = dialog.GetValue();
        unsigned int speed = 0;
        if (CReadingSteps::parseSpeed(typed, &speed, &problem)) {
            frame->changeSpeed(CReaderFrame::eExactSpeed, speed);
            return;
        }
    }
}

void CReaderMenus::onDebugDialog() {
    CPauseWhileModal pause(frame);
    if (frame->getManager() == nullptr) {
        wxMessageBox("Open a text first: the debug dialog shows the engine reading it.",
                     "FlitReader", wxOK | wxICON_INFORMATION, frame);
        return;
    }
    CFEDebugDlg dialog(frame);
    dialog.initialize(frame->getManager());
    dialog.ShowModal();
}

void CReaderMenus::onAbout() {
    CPauseWhileModal pause(frame);
    wxAboutDialogInfo info;
    info.SetName("FlitReader");
    info.SetVersion(FLIT_READER_VERSION);
    info.SetDescription("Reads a text to you one word at a time, at the speed you choose.");
    // A dialog of the reader's own, modal as the others are, so reading waits while it shows.
    wxGenericAboutDialog dialog(info, frame);
    dialog.ShowModal();
}

void CReaderMenus::onPreferences() {
    CPauseWhileModal pause(frame);
    CPreferencesDialog dialog(frame, frame->getPreferences(), [this](const SPreferences& chosen) {
        frame->setPreferences(chosen);
    });
    dialog.ShowModal();
}

void CReaderMenus::onStatistics() {
    CPauseWhileModal pause(frame);
    CStatisticsDialog dialog(frame, *frame->getLibrary());
    dialog.ShowModal();
}
