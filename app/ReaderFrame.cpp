#include "ReaderFrame.h"

#include "AssessmentView.h"
#include "FlitView.h"
#include "ProgressStrip.h"
#include "ReadingNavigator.h"

#include "debug/FEDebugDlg.h"
#include "engine/FlitCommandEvent.h"
#include "engine/FlitManager.h"
#include "import/DocumentImporter.h"
#include "outside/DataManager.h"
#include "outside/Utf8.h"

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

enum {
    ID_START = wxID_HIGHEST + 1,
    ID_PAUSE,
    ID_STOP,
    ID_SENTENCE_BACK,
    ID_SENTENCE_FORWARD,
    ID_PARAGRAPH_BACK,
    ID_PARAGRAPH_FORWARD,
    ID_FASTER,
    ID_SLOWER,
    ID_DOUBLE,
    ID_HALF,
    ID_WORD_LENGTH,
    ID_DEBUG,
    ID_PASTE_DOCUMENT,
    ID_KEEP_LINE_BREAKS,
    ID_CHAPTER_LIST,
    // The Go > Chapter entries, one identifier each.
    ID_CHAPTER_FIRST,
};

enum eStatusField {
    eFieldSpeed,
    eFieldPage,
    eFieldWords,
    eFieldTimeLeft,
    eFieldAchieved,
    eFieldChapter,
    eFieldCount,
};
static_assert(eFieldChapter == CReaderFrame::kChapterField, "the chapter field is the last");

const int kMinClientWidth = 480;
const int kMinClientHeight = 240;
const char* const kWordLengthKey = "/Reading/WordDisplayLength";
const long kMinWordLength = 2;
const long kMaxWordLength = 100;

// The view identifier of the assessment view in view changes.
const int kAssessmentViewId = 3;

// Up to this many entries the Go > Chapter submenu lists the table of contents; a longer table
// is chosen from in a dialog, where it can be scrolled and searched.
const size_t kMaxChapterMenuEntries = 40;
const int ID_CHAPTER_LAST = ID_CHAPTER_FIRST + static_cast<int>(kMaxChapterMenuEntries) - 1;

const char* const kDocumentWildcard =
    "Documents (*.txt;*.flit;*.epub;*.html;*.htm;*.xhtml;*.md;*.markdown;*.pdf)|"
    "*.txt;*.flit;*.epub;*.html;*.htm;*.xhtml;*.md;*.markdown;*.pdf|"
    "Plain text (*.txt)|*.txt|Marked-up text (*.flit)|*.flit|EPUB books (*.epub)|*.epub|"
    "Web pages (*.html;*.htm;*.xhtml)|*.html;*.htm;*.xhtml|Markdown (*.md;*.markdown)|"
    "*.md;*.markdown|PDF (*.pdf)|*.pdf|All files (*)|*";

// A table of contents entry as a menu or list shows it: indented by its level.
wxString indentedTitle(const CDataManager::SContentsEntry& entry) {
    // Menus trim ordinary leading spaces; em spaces stay.
    return wxString(wxUniChar(0x2003), static_cast<size_t>(std::max(entry.level - 1, 0)) * 2) +
           entry.title;
}

// Files dropped on the reader's windows: the first is opened once the drop is over.
class CDocumentDropTarget : public wxFileDropTarget {
public:
    explicit CDocumentDropTarget(CReaderFrame* readerFrame) : frame(readerFrame) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        if (files.empty()) {
            return false;
        }
        const wxString& path = files[0];
        frame->CallAfter([frame = frame, path] { frame->openDocument(path); });
        return true;
    }

private:
    CReaderFrame* frame;
};

wxString minutesAndSeconds(unsigned long long milliseconds) {
    const unsigned long long seconds = (milliseconds + 500) / 1000;
    return wxString::Format("%llu:%02llu", seconds / 60, seconds % 60);
}

} // namespace

CReaderFrame::CReaderFrame(SReaderOptions readerOptions,
                           std::chrono::steady_clock::time_point started)
    : wxFrame(nullptr, wxID_ANY, "FlitReader", wxDefaultPosition, wxSize(820, 560)),
      options(std::move(readerOptions)), recorder(started), keepLineBreaks(options.keepLineBreaks),
      statusTimer(this) {
    // Backgrounds and screenshots need the picture formats.
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxInitAllImageHandlers();
    }
    wordDisplayLength = static_cast<unsigned int>(
        options.wordLengthGiven
            ? options.wordLength
            : wxConfigBase::Get()->ReadLong(kWordLengthKey, SReaderOptions::kDefaultWordLength));

    // Refusals show in a bar at the top that does not interrupt reading.
    infoBar = new wxInfoBar(this);
    flitView = new CFlitView(this);
    assessmentView = new CAssessmentView(this);
    assessmentView->Hide();
    progress = new CProgressStrip(this);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(infoBar, wxSizerFlags().Expand());
    sizer->Add(flitView, wxSizerFlags(1).Expand());
    sizer->Add(assessmentView, wxSizerFlags(1).Expand());
    sizer->Add(progress, wxSizerFlags().Expand());
    SetSizer(sizer);

    CreateStatusBar(eFieldCount);
    const int widths[eFieldCount] = {-2, -2, -3, -2, -3, -4};
    GetStatusBar()->SetStatusWidths(eFieldCount, widths);
    // Narrower, the status bar's fields would have no or negative widths, which the toolkit
    // refuses when it redraws them.
    SetMinClientSize(wxSize(kMinClientWidth, kMinClientHeight));
    createMenus();
    SetDropTarget(new CDocumentDropTarget(this));
    flitView->SetDropTarget(new CDocumentDropTarget(this));

    bindEngineEvents(this, "frame");
    bindEngineEvents(flitView, "view");
    bindEngineEvents(assessmentView, "assessment");
    Bind(wxEVT_CHAR_HOOK, &CReaderFrame::onCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CReaderFrame::onClose, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { updateStatus(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { continueReading(); }, wxID_FORWARD);
    updateStatus();
}

CReaderFrame::~CReaderFrame() {
    closeDocument();
}

void CReaderFrame::createMenus() {
    wxMenu* file = new wxMenu;
    file->Append(wxID_OPEN, "&Open...\tCtrl+O",
                 "Open a document: plain or marked-up text, EPUB, HTML, Markdown or PDF");
    wxMenu* recent = new wxMenu;
    file->AppendSubMenu(recent, "Open &Recent");
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
    help->Append(wxID_ABOUT, "&About FlitReader");

    wxMenuBar* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(edit, "&Edit");
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
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { pasteDocument(); }, ID_PASTE_DOCUMENT);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent& event) { setKeepLineBreaks(event.IsChecked()); },
        ID_KEEP_LINE_BREAKS);
    Bind(wxEVT_MENU, &CReaderFrame::onChapterMenu, this, ID_CHAPTER_LIST, ID_CHAPTER_LAST);
}

void CReaderFrame::bindEngineEvents(wxWindow* window, const char* name) {
    for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
        window->Bind(wxEventTypeTag<CFlitCommandEvent>(*entry.type),
                     [this, name](CFlitCommandEvent& event) { onEngineEvent(name, event); });
    }
}

bool CReaderFrame::openRecord(const wxString& path, wxString* error) {
    return recorder.open(path, error);
}

bool CReaderFrame::openDocument(const wxString& path, bool quiet) {
    SSource from;
    if (path == "-") {
        from.name = from.subject = from.label = "standard input";
        from.fromBytes = true;
        wxString reason;
        if (!CDocumentImporter::readStandardInput(&from.bytes, &reason)) {
            refuse(from, reason, quiet);
            return false;
        }
    } else {
        from.path = path;
        from.name = from.subject = wxFileName(path).GetFullName();
    }
    return openSource(std::move(from), quiet);
}

bool CReaderFrame::pasteDocument() {
    SSource from;
    from.name = "Clipboard text";
    from.subject = "the clipboard's text";
    from.label = "clipboard";
    from.fromBytes = true;
    if (wxTheClipboard->Open()) {
        wxTextDataObject text;
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(text)) {
            // The buffer may point into the string: the string must outlive it.
            const wxString pasted = text.GetText();
            const wxScopedCharBuffer utf8 = pasted.utf8_str();
            from.bytes.assign(utf8.data(), utf8.length());
        }
        wxTheClipboard->Close();
    }
    if (wxString::FromUTF8(from.bytes).Strip(wxString::both).empty()) {
        showNote("The clipboard holds no text to read");
        return false;
    }
    return openSource(std::move(from), false);
}

bool CReaderFrame::openSource(SSource from, bool quiet) {
    CDocumentImporter importer;
    importer.setKeepLineBreaks(keepLineBreaks);
    std::unique_ptr<CDataManager> imported =
        from.fromBytes ? importer.importBytes(from.bytes.data(), from.bytes.size(),
                                              CDocumentImporter::eAutomatic, from.label, wxGetCwd())
                       : importer.importFile(from.path);
    if (!imported) {
        refuse(from, importer.getError(), quiet);
        return false;
    }
    from.format = importer.getFormat();
    showDocument(std::move(imported), std::move(from), importer.getNotice());
    return document != nullptr;
}

void CReaderFrame::openImported(std::unique_ptr<CDataManager> imported, const wxString& name) {
    SSource from;
    from.name = from.subject = name;
    from.fromBytes = true;
    showDocument(std::move(imported), std::move(from), wxString());
}

void CReaderFrame::refuse(const SSource& from, const wxString& error, bool quiet) {
    if (quiet) {
        std::fprintf(stderr, "flitreader: %s: %s\n",
                     (from.path.empty() ? from.subject : from.path).utf8_str().data(),
                     error.utf8_str().data());
        return;
    }
    // One message at a time: a new refusal replaces the last.
    refusal = wxString::Format("Cannot open %s: %s", from.subject, error);
    infoBar->ShowMessage(refusal, wxICON_ERROR);
}

wxString CReaderFrame::getRefusal() const {
    return infoBar->IsShown() ? refusal : wxString();
}

void CReaderFrame::showDocument(std::unique_ptr<CDataManager> imported, SSource from,
                                const wxString& notice) {
    closeDocument();
    document = std::move(imported);
    // The file's text and the old document are gone: give their pages back to the system, so
    // that a long text leaves the reader no larger than its document.
    malloc_trim(0);
    navigator = std::make_unique<CReadingNavigator>(document.get());
    manager = std::make_unique<CFlitManager>();
    if (options.wpm > 0) {
        manager->setTargetSpeed(static_cast<unsigned int>(options.wpm));
    }
    manager->setWordDisplayLength(wordDisplayLength);
    source = std::move(from);
    if (!manager->initialize(document.get(), this, flitView, assessmentView)) {
        manager.reset();
        navigator.reset();
        document.reset();
        refuse(source, "the engine cannot read this document", false);
        return;
    }
    infoBar->Dismiss();
    reading = eIdle;
    lastWordNode = holdingItem = resumeNode = shownNode = nullptr;
    wordsShown = wordOfItem = 0;
    lastChunk.clear();
    pageNumber = 0;
    note = notice;
    markChapters();
    rebuildChapterMenu();
    const wxString shownName = document->getTitle().empty() ? source.name : document->getTitle();
    SetTitle(shownName + " - FlitReader");
    if (!source.path.empty()) {
        fileHistory.AddFileToHistory(source.path);
        fileHistory.Save(*wxConfigBase::Get());
    }
    showFlitView();
    flitView->showDefaultBackground();
    flitView->setSpeed(manager->getTargetSpeed());
    flitView->showMessage(
        document->getTitle().empty() ? wxFileName(source.name).GetName() : shownName,
        wxString::Format("%zu words. Press Space to start reading.", navigator->getWordCount()));
    updateStatus();
}

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
    // The navigator counts on from its last answer, which the time left leaves just past the
    // word shown; counting the shown word again would start over from the document's start.
    if (node != shownCounted) {
        shownCounted = node;
        shownWordsBefore = navigator->wordsBefore(node);
    }
    return shownWordsBefore;
}

wxCDataInfoListNode* CReaderFrame::nodeOfWord(size_t wordIndex) {
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() == eDITWord &&
            navigator->wordsBefore(node) == wordIndex) {
            return node;
        }
    }
    return nullptr;
}

void CReaderFrame::setKeepLineBreaks(bool keep) {
    keepLineBreaks = keep;
    GetMenuBar()->Check(ID_KEEP_LINE_BREAKS, keep);
    if (!manager || source.format != CDocumentImporter::ePlainText) {
        return;
    }
    // The same words either way: reading goes on from the word it was at.
    wxCDataInfoListNode* at = resumeNode ? resumeNode : lastWordNode;
    const size_t word = at == nullptr ? 0 : navigator->wordsBefore(at);
    const eReadingState was = reading;
    if (!openSource(source, false)) {
        return;
    }
    wxCDataInfoListNode* target = at == nullptr ? nullptr : nodeOfWord(word);
    if (target != nullptr) {
        moveTo(target);
    }
    if (was == eReading) {
        togglePause();
    }
}

void CReaderFrame::showNote(const wxString& text) {
    note = text;
    SetStatusText(note, eFieldChapter);
}

void CReaderFrame::closeDocument() {
    statusTimer.Stop();
    if (manager) {
        // Reading stops first; destroying the manager then ends the presentation thread, which
        // must be gone before the document and the windows it posts to.
        sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
        manager.reset();
        // Events the old engine queued refer to the old document: they go with it. (The
        // application's list of handlers with pending events must forget the windows too.)
        for (wxWindow* window : {static_cast<wxWindow*>(this), static_cast<wxWindow*>(flitView),
                                 static_cast<wxWindow*>(assessmentView)}) {
            wxEvtHandler* handler = window->GetEventHandler();
            handler->DeletePendingEvents();
            if (wxTheApp != nullptr) {
                wxTheApp->RemovePendingEventHandler(handler);
            }
        }
    }
    navigator.reset();
    document.reset();
    shownCounted = nullptr;
}

void CReaderFrame::sendCommand(int type, wxCDataInfoListNode* node) {
    if (!manager) {
        return;
    }
    CFlitCommandEvent command(type);
    command.dataInfoListNode = node;
    manager->ProcessEvent(command);
}

void CReaderFrame::sendRestartingCommand(int type, wxCDataInfoListNode* node) {
    if (type == EVT_FLIT_COMMAND_START_MSG) {
        // A start measures a new reading, as the engine's metrics do.
        wordsShown = 0;
    }
    if (type != EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG) {
        // Read from here on, the chapter tells more than a note about the opening.
        note.clear();
    }
    // The position is the node reading goes on from until its first word shows. A move while
    // reading lets the word in hand finish first: its chunks still count as one word.
    if (type != EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG) {
        shownNode = node;
        wordOfItem = 0;
        lastChunk.clear();
    }
    rampRunning = true;
    sendCommand(type, node);
}

void CReaderFrame::countShownChunk(const CFlitCommandEvent& event) {
    wxCDataInfoListNode* node = event.dataInfoListNode;
    // A word longer than the display length comes in chunks of exactly that many characters,
    // each but the last ending in a hyphen, all with the word's node.
    const size_t length = manager->getWordDisplayLength();
    const wxScopedCharBuffer chunk = lastChunk.utf8_str();
    const bool goesOn = node == shownNode && length >= 2 && lastChunk.EndsWith("-") &&
                        CUtf8::countClusters(chunk.data(), chunk.length()) == length;
    if (!goesOn) {
        ++wordsShown;
        // Items other than words (links, email items) show their words with their own node.
        const bool sameItem = node != nullptr && node == shownNode && !lastChunk.empty() &&
                              node->GetData()->getDataInfoType() != eDITWord;
        wordOfItem = sameItem ? wordOfItem + 1 : 0;
    }
    shownNode = node;
    lastChunk = event.text;
    // The engine ends the ramp once it has raised the speed past the target.
    if (manager->getCurrentSpeed() > manager->getTargetSpeed()) {
        rampRunning = false;
    }
}

unsigned int CReaderFrame::achievedSpeed() const {
    const unsigned long long milliseconds = manager->getFlitMetricsData()->getDurationInMillisecs();
    const unsigned long long kMillisecondsPerMinute = 60000;
    return milliseconds == 0
               ? 0
               : static_cast<unsigned int>(wordsShown * kMillisecondsPerMinute / milliseconds);
}

void CReaderFrame::onEngineEvent(const char* window, CFlitCommandEvent& event) {
    recorder.record(window, event);
    if (!manager) {
        return;
    }
    presentEvent(event);
    if (event.waitsForRender()) {
        // On screen before the engine's display time starts.
        flitView->renderNow();
        if (assessmentView->IsShown()) {
            assessmentView->Update();
        }
        manager->signalGuiThreadRendered(event.getRenderTicket());
    }
}

void CReaderFrame::presentEvent(CFlitCommandEvent& event) {
    const int type = event.GetEventType();
    if (type == EVT_FLIT_COMMAND_WORD_MSG) {
        flitView->showChunk(event.text);
        if (!event.text.empty()) {
            countShownChunk(event);
        }
        if (!event.text.empty() && event.dataInfoListNode != nullptr &&
            event.dataInfoListNode->GetData()->getDataInfoType() == eDITWord) {
            lastWordNode = event.dataInfoListNode;
            if (reading == ePaused) {
                // The word in hand when the pause came: the context follows it.
                showPausedContext(lastWordNode);
            }
        }
    } else if (type == EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG) {
        flitView->showDefaultBackground();
    } else if (type == EVT_FLIT_COMMAND_BACKGROUND_MSG) {
        flitView->showBackgroundImage(event.text);
    } else if (type == EVT_FLIT_COMMAND_BGRAPHIC_MSG) {
        flitView->showBackgroundImage(event.text);
        if (event.number == 1) {
            onDocumentHold(event.dataInfoListNode);
        }
    } else if (type == EVT_FLIT_COMMAND_TEXT_COLOUR_MSG) {
        flitView->setTextColour(event.colour);
    } else if (type == EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG) {
        flitView->resetTextColour();
    } else if (type == EVT_FLIT_COMMAND_STYLE_BOLD_MSG) {
        flitView->setBold(event.number == 1);
    } else if (type == EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG) {
        flitView->setHighlight(event.number == 1);
    } else if (type == EVT_FLIT_COMMAND_PAGE_NUM_MSG) {
        pageNumber = event.number;
        flitView->setPageNumber(event.number);
    } else if (type == EVT_FLIT_COMMAND_SPEED_MSG) {
        flitView->setSpeed(manager->getTargetSpeed());
    } else if (type == EVT_FLIT_COMMAND_SOUND_MSG) {
        wxSound sound;
        if (sound.Create(event.text)) {
            sound.Play(wxSOUND_ASYNC);
        }
    } else if (type == EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Glossary note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_COURSE_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Course note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_RAPID_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Rapid note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_USER_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Your note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_DOGEAR_MSG) {
        flitView->flashMarker(wxString::Format("Dogear %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_ASSESSMENT_MSG) {
        assessmentView->showAssessment("Assessment", event.text);
    } else if (type == EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG) {
        assessmentView->showAssessment("Assessment review",
                                       "Look back over your answers, then continue reading.");
    } else if (type == EVT_FLIT_COMMAND_CHANGE_VIEW_MSG) {
        if (event.number == kAssessmentViewId) {
            showAssessmentView();
        } else {
            showFlitView();
        }
        onDocumentHold(event.dataInfoListNode);
    } else if (type == EVT_FLIT_COMMAND_STOP_MSG) {
        // The document asks to stop; unattended runs read on.
        if (!options.autoContinue && reading == eReading) {
            stopReading();
        }
    } else if (type == EVT_FLIT_COMMAND_DONE_MSG) {
        onDone();
    }
}

void CReaderFrame::onDocumentHold(wxCDataInfoListNode* item) {
    if (reading != eReading) {
        return;
    }
    reading = eHeldByDocument;
    holdingItem = item;
    if (options.autoContinue) {
        continueReading();
    } else {
        updateStatus();
    }
}

void CReaderFrame::onDone() {
    // The engine stopped by itself; a stop command makes the metrics keep the reading's time.
    sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
    reading = eFinished;
    statusTimer.Stop();
    const CFlitMetricsData* metrics = manager->getFlitMetricsData();
    const wxString summary =
        wxString::Format("%zu words in %s, %u words per minute", wordsShown,
                         minutesAndSeconds(metrics->getDurationInMillisecs()), achievedSpeed());
    flitView->showChunk(wxString());
    flitView->showMessage("Finished", summary);
    lastWordNode = nullptr;
    updateStatus();
    if (options.exitWhenDone) {
        std::printf("%s: %s\n", source.name.utf8_str().data(), summary.utf8_str().data());
        std::fflush(stdout);
        CallAfter(&CReaderFrame::finishUnattended);
    }
}

void CReaderFrame::finishUnattended() {
    Close(true);
}

void CReaderFrame::startFromBeginning() {
    if (!manager) {
        return;
    }
    showFlitView();
    flitView->clearOverlay();
    lastWordNode = holdingItem = resumeNode = nullptr;
    reading = eReading;
    sendRestartingCommand(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    statusTimer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
    updateStatus();
}

void CReaderFrame::togglePause() {
    switch (reading) {
    case eReading:
        pauseReading();
        break;
    case ePaused:
    case eHeldByDocument:
        continueReading();
        break;
    case eStopped:
    case eIdle:
    case eFinished:
        if (!manager) {
            return;
        }
        // A new reading, measured afresh, from the position the user chose or the beginning.
        {
            wxCDataInfoListNode* from =
                reading == eStopped || resumeNode != nullptr ? positionNode() : nullptr;
            if (from == nullptr) {
                startFromBeginning();
                return;
            }
            showFlitView();
            flitView->clearOverlay();
            resumeNode = holdingItem = nullptr;
            reading = eReading;
            sendRestartingCommand(EVT_FLIT_COMMAND_START_MSG, from);
            statusTimer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
            updateStatus();
        }
        break;
    }
}

void CReaderFrame::pauseReading() {
    if (reading != eReading) {
        return;
    }
    sendCommand(EVT_FLIT_COMMAND_PAUSE_MSG, nullptr);
    reading = ePaused;
    showPausedContext(lastWordNode);
    updateStatus();
}

void CReaderFrame::continueReading() {
    if (!manager || (reading != ePaused && reading != eHeldByDocument)) {
        return;
    }
    wxCDataInfoListNode* from = positionNode();
    showFlitView();
    flitView->clearOverlay();
    resumeNode = holdingItem = nullptr;
    reading = eReading;
    sendRestartingCommand(EVT_FLIT_COMMAND_CONTINUE_MSG, from);
    statusTimer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
    updateStatus();
}

void CReaderFrame::stopReading() {
    if (reading != eReading && reading != ePaused && reading != eHeldByDocument) {
        return;
    }
    sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
    reading = eStopped;
    statusTimer.Stop();
    showFlitView();
    showPausedContext(positionNode());
    updateStatus();
}

wxCDataInfoListNode* CReaderFrame::positionNode() const {
    if (resumeNode != nullptr) {
        return resumeNode;
    }
    if (reading == eHeldByDocument && holdingItem != nullptr) {
        return holdingItem->GetNext();
    }
    if (lastWordNode != nullptr) {
        return lastWordNode->GetNext();
    }
    return manager ? manager->getDataInfoListNode() : nullptr;
}

void CReaderFrame::moveBySentence(int direction) {
    if (!navigator) {
        return;
    }
    wxCDataInfoListNode* from = resumeNode ? resumeNode : lastWordNode;
    if (from == nullptr) {
        from = navigator->firstWord();
    }
    moveTo(direction < 0 ? navigator->previousSentence(from) : navigator->nextSentence(from));
}

void CReaderFrame::moveByParagraph(int direction) {
    if (!navigator) {
        return;
    }
    wxCDataInfoListNode* from = resumeNode ? resumeNode : lastWordNode;
    if (from == nullptr) {
        from = navigator->firstWord();
    }
    moveTo(direction < 0 ? navigator->previousParagraph(from) : navigator->nextParagraph(from));
}

void CReaderFrame::moveTo(wxCDataInfoListNode* target, wxCDataInfoListNode* context) {
    if (target == nullptr) {
        wxBell();
        return;
    }
    if (reading == eReading) {
        // The engine finishes the word in hand and goes on from the target after a restart.
        sendRestartingCommand(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, target);
        lastWordNode = target;
    } else {
        // Paused, stopped or not started: the next continue or start goes on from here.
        resumeNode = target;
        if (reading == eHeldByDocument || reading == eFinished) {
            reading = eStopped;
        }
        if (reading == eIdle) {
            reading = eStopped;
        }
        showFlitView();
        showPausedContext(context != nullptr ? context : target);
    }
    updateStatus();
}

void CReaderFrame::showPausedContext(wxCDataInfoListNode* node) {
    if (!navigator) {
        return;
    }
    std::vector<wxString> words;
    int marked = -1;
    navigator->sentenceAround(node != nullptr ? node : navigator->firstWord(), &words, &marked);
    flitView->showContext(words, marked);
}

void CReaderFrame::changeSpeed(int command) {
    if (!manager) {
        return;
    }
    switch (command) {
    case eFaster:
        manager->increaseTargetSpeed(CFlitManager::kDefaultSpeedIncrement);
        break;
    case eSlower:
        manager->decreaseTargetSpeed(CFlitManager::kDefaultSpeedIncrement);
        break;
    case eDouble:
        manager->doubleTargetSpeed();
        break;
    case eHalf:
        manager->halfTargetSpeed();
        break;
    }
    flitView->setSpeed(manager->getTargetSpeed());
    updateStatus();
}

void CReaderFrame::setWordDisplayLength(unsigned int length) {
    wordDisplayLength = length;
    wxConfigBase::Get()->Write(kWordLengthKey, static_cast<long>(length));
    if (manager) {
        manager->setWordDisplayLength(length);
    }
    updateStatus();
}

void CReaderFrame::showFlitView() {
    if (assessmentView->IsShown()) {
        assessmentView->Hide();
        flitView->Show();
        Layout();
    }
}

void CReaderFrame::showAssessmentView() {
    if (!assessmentView->IsShown()) {
        flitView->Hide();
        assessmentView->Show();
        Layout();
        assessmentView->getContinueButton()->SetFocus();
    }
}

wxString CReaderFrame::getStatusText(int field) const {
    return GetStatusBar()->GetStatusText(field);
}

int CReaderFrame::getProgress() const {
    return progress->getValue();
}

void CReaderFrame::updateStatus() {
    if (!manager || !navigator) {
        SetStatusText("Open a text to read (Ctrl+O)", eFieldSpeed);
        SetStatusText(note, eFieldChapter);
        return;
    }
    SetStatusText(wxString::Format("%d wpm", manager->getTargetSpeed()), eFieldSpeed);
    SetStatusText(pageNumber > 0 ? wxString::Format("Page %d", pageNumber) : wxString(),
                  eFieldPage);

    // One position for the words field and the progress bar: the word on screen, or the word
    // a move chose (marked in the context), counted from 1.
    const size_t total = navigator->getWordCount();
    size_t position = total;
    if (reading != eFinished) {
        wxCDataInfoListNode* at = resumeNode ? resumeNode : shownNode;
        position = at == nullptr ? 0 : wordsBeforeShown(at) + 1 + (resumeNode ? 0 : wordOfItem);
        position = std::min(position, total);
    }
    SetStatusText(wxString::Format("Word %zu of %zu", position, total), eFieldWords);
    if (!note.empty() || chapters.empty()) {
        SetStatusText(note, eFieldChapter);
    } else {
        wxCDataInfoListNode* at = reading == eFinished ? nullptr
                                  : resumeNode         ? resumeNode
                                                       : shownNode;
        const SChapterMark* chapter = chapterAt(at, position == 0 ? 0 : position - 1);
        SetStatusText(chapter ? document->getContents()[chapter->entry].title : wxString(),
                      eFieldChapter);
    }
    progress->setValue(total == 0 ? 0
                                  : static_cast<int>(position * CProgressStrip::kRange / total));

    wxCDataInfoListNode* next = reading == eFinished ? nullptr : positionNode();
    if (reading == eIdle && resumeNode == nullptr) {
        next = document->getFirstNode();
    }
    // Modelled as the engine reads: after a restart when not reading now, or on with a ramp
    // that still runs.
    const bool fromRestart = reading != eReading;
    const int rampSpeed =
        !fromRestart && rampRunning ? static_cast<int>(manager->getCurrentSpeed()) : 0;
    const uint64_t left = next == nullptr
                              ? 0
                              : navigator->timeLeftMs(next, manager->getTargetSpeed(),
                                                      wordDisplayLength, fromRestart, rampSpeed);
    SetStatusText(minutesAndSeconds(left) + " left", eFieldTimeLeft);

    const CFlitMetricsData* metrics = manager->getFlitMetricsData();
    if ((reading == eStopped || reading == eFinished) && metrics->getDurationInMillisecs() > 0) {
        SetStatusText(wxString::Format("Achieved %u wpm", achievedSpeed()), eFieldAchieved);
    } else {
        SetStatusText(wxString(), eFieldAchieved);
    }
}

bool CReaderFrame::saveScreenshot(const wxString& path, wxString* error) {
    // Drawn from the windows themselves rather than read back from the screen, which needs no
    // compositor and works the same under a virtual display.
    const wxSize size = GetClientSize();
    wxStatusBar* status = GetStatusBar();
    const int statusHeight = status->GetSize().y;
    wxBitmap bitmap(wxMax(size.x, 1), wxMax(size.y + statusHeight, 1));
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        if (flitView->IsShown()) {
            dc.DrawBitmap(flitView->snapshot(), flitView->GetPosition());
        }
        progress->draw(dc, wxRect(progress->GetPosition(), progress->GetSize()));

        // The status bar's fields below the client area.
        dc.SetBrush(wxBrush(wxColour(242, 242, 242)));
        dc.DrawRectangle(0, size.y, size.x, statusHeight);
        dc.SetFont(status->GetFont());
        dc.SetTextForeground(wxColour(40, 40, 40));
        for (int field = 0; field < status->GetFieldsCount(); ++field) {
            wxRect rect;
            status->GetFieldRect(field, rect);
            const wxString text = status->GetStatusText(field);
            dc.DrawText(text, rect.x + 4, size.y + (statusHeight - dc.GetTextExtent(text).y) / 2);
        }
    }
    wxImage image = bitmap.ConvertToImage();
    if (!image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        *error = wxString::Format("cannot write the screenshot '%s'", path);
        return false;
    }
    screenshotTaken = true;
    return true;
}

void CReaderFrame::onCharHook(wxKeyEvent& event) {
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

void CReaderFrame::onClose(wxCloseEvent&) {
    statusTimer.Stop();
    if (!options.screenshotPath.empty() && !screenshotTaken) {
        wxString error;
        if (!saveScreenshot(options.screenshotPath, &error)) {
            std::fprintf(stderr, "flitreader: %s\n", error.utf8_str().data());
        }
    }
    // Stop, hide, end the engine, then the windows.
    Hide();
    closeDocument();
    Destroy();
}

void CReaderFrame::onOpen(wxCommandEvent&) {
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
    const long length =
        wxGetNumberFromUser("Words longer than this many letters are shown in hyphenated parts.",
                            "Word display length:", "FlitReader", wordDisplayLength, kMinWordLength,
                            kMaxWordLength, this);
    if (length >= kMinWordLength) {
        setWordDisplayLength(static_cast<unsigned int>(length));
    }
}

void CReaderFrame::onDebugDialog(wxCommandEvent&) {
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
    wxAboutDialogInfo info;
    info.SetName("FlitReader");
    info.SetDescription("Reads a text to you one word at a time, at the speed you choose.");
    wxAboutBox(info, this);
}
