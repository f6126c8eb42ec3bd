// Takes the README's pictures of the reader (`make screenshots` runs it, under a virtual
// display):
//
//   xvfb-run -a -s "-screen 0 1600x1200x24" build/tools/screenshots/reader-screenshots docs
//
// writes into the folder given (the current folder by default):
//   reader-reading.png      a word being flashed (samples/lighthouse.txt at 300 words per minute)
//   reader-paused.png       the context shown while paused
//   reader-themes.png       a word flashed in each colour theme, side by side
//   reader-library.png      the library, after a few sample documents were opened and moved in
//   reader-statistics.png   the statistics, over four weeks of made-up reading sessions
//   reader-preferences.png  the Preferences dialog
//   reader-languages.png    Hebrew flashed and paused on, Japanese and an emoji sequence flashed
//   reader-find.png         the find bar on a match, reading moved there
//   reader-bookmarks.png    Go > Bookmarks, after a few places of samples/lighthouse.txt were
//   marked
//   reader-phrase.png       three short words flashed at once (View > Words per Flash > 3)
//   reader-neighbours.png   a word flashed with the words before and after it (View >
//                           Neighbouring Words)
//   reader-page.png         a word flashed over the page that follows it (View > Page)
//
// The preferences and the library live in a temporary folder for the run (XDG_CONFIG_HOME and
// XDG_DATA_HOME point there), so the user's own are never read or changed.

#include "WindowPicture.h"
#include "frame/ReaderFrame.h"
#include "library/BookmarksDialog.h"
#include "library/Library.h"
#include "library/LibraryDialog.h"
#include "library/StatisticsDialog.h"
#include "preferences/Preferences.h"
#include "preferences/PreferencesDialog.h"
#include "view/FindBar.h"
#include "view/FlitView.h"
#include "view/PagePane.h"
#include "view/ProgressStrip.h"
#include "view/Themes.h"

#include <flitengine/engine/FlitManager.h>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/srchctrl.h>
#include <wx/stdpaths.h>
#include <wx/textdlg.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

bool pumpUntil(const std::function<bool()>& done, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void wrote(const wxString& path) {
    std::printf("wrote %s\n", path.utf8_str().data());
}

bool cannot(const wxString& what) {
    std::fprintf(stderr, "reader-screenshots: %s\n", what.utf8_str().data());
    return false;
}

bool save(CReaderFrame* frame, const wxString& path) {
    wxString error;
    if (!frame->saveScreenshot(path, &error)) {
        return cannot(error);
    }
    wrote(path);
    return true;
}

bool saveImage(const wxImage& image, const wxString& path) {
    if (!image.IsOk() || !image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        return cannot("cannot write " + path);
    }
    wrote(path);
    return true;
}

// Waits until a window just shown is on screen and has finished painting: painted at least
// once, then nothing of it repainted for a moment (a list control lays its rows out when idle
// and paints again).
bool waitUntilPainted(wxWindow* window) {
    // The handlers stay with the windows after the wait (a window may be gone before it could
    // unbind them): what they write lives as long as they do.
    struct SPaints {
        bool painted = false;
        std::chrono::steady_clock::time_point last;
    };
    const auto paints = std::make_shared<SPaints>();
    const std::function<void(wxWindow*)> watch = [&](wxWindow* each) {
        each->Bind(wxEVT_PAINT, [paints](wxPaintEvent& event) {
            paints->painted = true;
            paints->last = std::chrono::steady_clock::now();
            event.Skip();
        });
        for (wxWindow* child : each->GetChildren()) {
            watch(child);
        }
    };
    watch(window);
    const auto quiet = std::chrono::milliseconds(150);
    return pumpUntil(
        [&] {
            return window->IsShownOnScreen() && paints->painted &&
                   std::chrono::steady_clock::now() - paints->last > quiet;
        },
        std::chrono::seconds(20));
}

// Copies what a window shows on screen into a PNG file.
bool capture(wxWindow* window, const wxString& path) {
    const wxImage picture = windowPicture(window);
    if (!picture.IsOk()) {
        return cannot("cannot copy the window for " + path);
    }
    return saveImage(picture, path);
}

// Shows a dialog without a modal loop, takes its picture and destroys it.
bool captureDialog(wxDialog* dialog, const wxString& path) {
    dialog->Move(40, 40);
    dialog->Show();
    const bool shown = waitUntilPainted(dialog);
    const bool saved =
        shown ? capture(dialog, path) : cannot("the dialog for " + path + " did not show");
    dialog->Destroy();
    pumpUntil([] { return wxTopLevelWindows.GetCount() == 1; }, std::chrono::seconds(10));
    return saved;
}

// Waits for a word of at least letters letters shown after the words counted so far.
bool catchWord(CReaderFrame* frame, size_t letters) {
    const long long from = frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed();
    return pumpUntil(
        [&] {
            return frame->getFlitView()->getChunk().length() >= letters &&
                   frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed() > from + 2;
        },
        std::chrono::seconds(60));
}

void setTheme(CReaderFrame* frame, int theme) {
    SPreferences chosen = frame->getPreferences();
    chosen.theme = theme;
    frame->setPreferences(chosen);
}

// Pictures two by two, each named below it, on a white sheet.
bool saveSheet(const std::vector<wxBitmap>& pictures, const std::vector<wxString>& labels,
               const wxString& path) {
    const int gap = 10;
    const int labelHeight = 28;
    const wxSize tile = pictures.front().GetSize();
    const int columns = 2;
    const int count = static_cast<int>(pictures.size());
    const int rows = (count + columns - 1) / columns;
    wxBitmap sheet(gap + columns * (tile.x + gap), gap + rows * (tile.y + labelHeight + gap), 24);
    {
        wxMemoryDC dc(sheet);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dc.SetFont(wxFontInfo(11).Family(wxFONTFAMILY_SWISS));
        dc.SetTextForeground(wxColour(40, 40, 40));
        for (int i = 0; i < count; ++i) {
            const int x = gap + (i % columns) * (tile.x + gap);
            const int y = gap + (i / columns) * (tile.y + labelHeight + gap);
            dc.DrawBitmap(pictures[i], x, y);
            dc.DrawText(labels[i], x,
                        y + tile.y + (labelHeight - dc.GetTextExtent(labels[i]).y) / 2);
        }
    }
    return saveImage(sheet.ConvertToImage(), path);
}

// A word flashed in each theme, two by two, each named below its picture.
bool saveThemes(CReaderFrame* frame, const wxString& path) {
    const wxSize clientSize(520, 250);
    frame->SetClientSize(clientSize);
    if (!pumpUntil([&] { return frame->GetClientSize() == clientSize; },
                   std::chrono::seconds(10))) {
        return cannot("the window did not take its new size");
    }
    frame->continueReading();
    std::vector<wxBitmap> pictures;
    for (int theme = 0; theme < eThemeCount; ++theme) {
        setTheme(frame, theme);
        if (!catchWord(frame, 7)) {
            return cannot("no word was caught in the theme " + wxString(themeOf(theme).label));
        }
        pictures.push_back(frame->getFlitView()->snapshot());
    }
    frame->pauseReading();
    setTheme(frame, eThemeDark);

    std::vector<wxString> labels;
    labels.reserve(eThemeCount);
    for (int theme = 0; theme < eThemeCount; ++theme) {
        labels.emplace_back(themeOf(theme).label);
    }
    return saveSheet(pictures, labels, path);
}

// The reader on a text of other scripts (samples/languages/screens.txt): a Hebrew word flashed,
// reading paused on its Hebrew sentence (which holds a number), Japanese flashed, and an emoji
// sequence (a family of four joined into one character) flashed.
bool saveLanguages(CReaderFrame* frame, const wxString& path) {
    if (!frame->openDocument(FLIT_SAMPLES_DIR "/languages/screens.txt", true)) {
        return cannot("cannot open languages/screens.txt");
    }
    CFlitView* view = frame->getFlitView();
    const auto caught = [&](const std::function<bool(const wxString&)>& wanted) {
        return pumpUntil([&] { return wanted(view->getChunk()); }, std::chrono::seconds(60));
    };
    const wxString hebrew = wxString::FromUTF8("\u05DC\u05E1\u05E4\u05D9\u05E0\u05D5\u05EA");
    const wxString family =
        wxString::FromUTF8("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    std::vector<wxBitmap> pictures;
    frame->startFromBeginning();
    if (!caught([&](const wxString& chunk) { return chunk == hebrew; })) {
        return cannot("the Hebrew word was not caught");
    }
    pictures.push_back(view->snapshot());
    frame->pauseReading();
    pumpUntil([] { return false; }, std::chrono::seconds(1));
    pictures.push_back(view->snapshot());
    frame->continueReading();
    // The first chunk of the Japanese line (its first character is an ideograph).
    if (!caught([](const wxString& chunk) { return !chunk.empty() && chunk[0] >= 0x4E00; })) {
        return cannot("no Japanese was caught");
    }
    pictures.push_back(view->snapshot());
    if (!caught([&](const wxString& chunk) { return chunk.Contains(family); })) {
        return cannot("the emoji sequence was not caught");
    }
    pictures.push_back(view->snapshot());
    frame->pauseReading();
    return saveSheet(pictures,
                     {"Hebrew, right to left", "Paused on a Hebrew sentence", "Japanese",
                      "An emoji sequence: one character"},
                     path);
}

// Opens samples/lighthouse.txt in a window of the pictures' size (760 by 420).
bool openLighthouse(CReaderFrame* frame) {
    if (!frame->openDocument(FLIT_SAMPLES_DIR "/lighthouse.txt", true)) {
        return cannot("cannot open lighthouse.txt");
    }
    const wxSize clientSize(760, 420);
    frame->SetClientSize(clientSize);
    if (!pumpUntil([&] { return frame->GetClientSize() == clientSize; },
                   std::chrono::seconds(10))) {
        return cannot("the window did not take its new size");
    }
    return true;
}

// The find bar over samples/lighthouse.txt, on the second match of a name, reading moved there.
bool saveFind(CReaderFrame* frame, const wxString& path) {
    if (!openLighthouse(frame)) {
        return false;
    }
    CFindBar* bar = frame->getFindBar();
    bar->open();
    bar->getField()->SetValue("elspeth");
    bar->findNext(1);
    if (!waitUntilPainted(frame)) {
        return cannot("the find bar did not show");
    }
    // The client area: what the window copy holds below it was never painted.
    const wxImage picture = windowPicture(frame);
    if (!picture.IsOk()) {
        return cannot("cannot copy the window for " + path);
    }
    return saveImage(picture.GetSubImage(wxRect(wxPoint(), frame->GetClientSize())), path);
}

// Opens a sample and moves to a part of it (in thousandths); the position is remembered when
// the next document is opened.
bool openAt(CReaderFrame* frame, const char* name, int thousandths) {
    if (!frame->openDocument(wxString(FLIT_SAMPLES_DIR "/") + name, true)) {
        return cannot(wxString("cannot open ") + name);
    }
    frame->seekTo(thousandths * CProgressStrip::kRange / 1000);
    return true;
}

// Four weeks of evening reading sessions of the documents in the library: most days, a little
// more and a little faster as the weeks go by.
void recordSessions(CLibrary& library) {
    const std::vector<CLibrary::SDocument> documents = library.documents();
    if (documents.empty()) {
        return;
    }
    const int days = CStatisticsDialog::kDaysShown;
    for (int ago = days - 1; ago >= 1; --ago) {
        if (ago % 7 == 3 || ago % 11 == 5) {
            continue; // days without reading
        }
        const int sessions = ago % 3 == 0 ? 2 : 1;
        for (int session = 0; session < sessions; ++session) {
            const int progress = days - ago;
            CLibrary::SSession record;
            record.hash = documents[static_cast<size_t>(ago + session) % documents.size()].hash;
            record.start = wxDateTime::Today() - wxDateSpan::Days(ago) +
                           wxTimeSpan::Hours(session == 0 ? 20 : 13) +
                           wxTimeSpan::Minutes((ago * 17) % 50);
            record.achievedWpm = static_cast<unsigned int>(270 + progress * 4 + (ago * 37) % 45);
            record.wordsShown = 1200 + progress * 60 + (ago * 613) % 1500;
            record.durationMs = record.wordsShown * 60000 / record.achievedWpm;
            library.addSession(record);
        }
    }
}

// Answers the note dialog of Add Bookmark with note, once it is up.
void answerNote(const wxString& note) {
    wxTheApp->CallAfter([note] {
        for (wxWindow* window : wxTopLevelWindows) {
            wxTextEntryDialog* dialog = dynamic_cast<wxTextEntryDialog*>(window);
            if (dialog != nullptr && dialog->IsModal()) {
                dialog->SetValue(note);
                dialog->EndModal(wxID_OK);
                return;
            }
        }
        answerNote(note);
    });
}

// Marks a few places of samples/lighthouse.txt as a reader would (Ctrl+B, a note or none) and
// pictures Go > Bookmarks.
bool saveBookmarks(CReaderFrame* frame, CLibrary* library, const wxString& path) {
    if (!frame->openDocument(FLIT_SAMPLES_DIR "/lighthouse.txt", true)) {
        return cannot("cannot open lighthouse.txt");
    }
    const struct {
        int thousandths;
        const char* note;
    } marks[] = {{62, "the point at low water"},
                 {236, ""},
                 {418, "waves under the floor"},
                 {705, "the postcards"}};
    for (const auto& mark : marks) {
        frame->seekTo(mark.thousandths * CProgressStrip::kRange / 1000);
        answerNote(mark.note);
        frame->addBookmark();
    }
    CLibrary::SDocument lighthouse;
    for (const CLibrary::SDocument& document : library->documents()) {
        if (document.path.EndsWith("/lighthouse.txt")) {
            lighthouse = document;
        }
    }
    return captureDialog(new CBookmarksDialog(frame, library, library->bookmarks(lighthouse.hash),
                                              static_cast<size_t>(lighthouse.words)),
                         path);
}

// Three words of a line flashed as one phrase, caught while on screen; one word per flash
// again afterwards.
bool savePhrase(CReaderFrame* frame, const wxString& path) {
    frame->SetClientSize(760, 420);
    SPreferences chosen = frame->getPreferences();
    chosen.wordsPerFlash = 3;
    frame->setPreferences(chosen);
    frame->startFromBeginning();
    const bool shown = pumpUntil(
        [&] {
            return frame->getFlitView()->getChunk().Freq(' ') == 2 &&
                   frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed() > 30;
        },
        std::chrono::seconds(60));
    const bool saved = shown ? save(frame, path) : cannot("no phrase of three words was flashed");
    frame->stopReading();
    chosen.wordsPerFlash = 1;
    frame->setPreferences(chosen);
    return saved;
}

// The reading modes beside and under the flash, on samples/lighthouse.txt where it was left:
// the words before and after the flash, then the page that follows it, each caught on a longer
// word (the page once it marks that word).
bool saveReadingModes(CReaderFrame* frame, const wxString& folder) {
    if (!openLighthouse(frame)) {
        return false;
    }
    SPreferences chosen = frame->getPreferences();
    chosen.neighbourWords = true;
    frame->setPreferences(chosen);
    frame->togglePause();
    if (!catchWord(frame, 7) || !save(frame, folder + "/reader-neighbours.png")) {
        return cannot("no word was caught beside its neighbours");
    }
    chosen.neighbourWords = false;
    chosen.pagePane = true;
    frame->setPreferences(chosen);
    // Taller, so that the flash keeps its room over the page.
    const wxSize pageSize(760, 560);
    frame->SetClientSize(pageSize);
    if (!pumpUntil([&] { return frame->GetClientSize() == pageSize; }, std::chrono::seconds(10))) {
        return cannot("the window did not take its new size");
    }
    CPagePane* page = frame->getPagePane();
    const long long from = frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed();
    const bool marked = pumpUntil(
        [&] {
            return frame->getFlitView()->getChunk().length() >= 7 &&
                   frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed() > from + 30 &&
                   page->getMarked() == frame->getPlace();
        },
        std::chrono::seconds(60));
    if (!marked || !save(frame, folder + "/reader-page.png")) {
        return cannot("no word was caught marked on the page");
    }
    frame->pauseReading();
    chosen.pagePane = false;
    frame->setPreferences(chosen);
    return true;
}

int takeScreenshots(const wxString& folder) {
    SReaderOptions options;
    options.wpm = 300;
    CReaderFrame* frame = new CReaderFrame(options, std::chrono::steady_clock::now());
    frame->SetClientSize(760, 420);
    bool done = false;
    if (frame->openDocument(FLIT_SAMPLES_DIR "/lighthouse.txt", true)) {
        frame->Show();
        frame->startFromBeginning();
        // A longer word, caught while it is on screen.
        const bool shown = pumpUntil(
            [&] {
                return frame->getFlitView()->getChunk().length() >= 9 &&
                       frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed() > 20;
            },
            std::chrono::seconds(60));
        if (shown && save(frame, folder + "/reader-reading.png")) {
            frame->pauseReading();
            // Lets the events posted before the pause arrive, so the picture shows where it rests.
            pumpUntil([] { return false; }, std::chrono::seconds(1));
            done = save(frame, folder + "/reader-paused.png") &&
                   saveThemes(frame, folder + "/reader-themes.png") &&
                   savePhrase(frame, folder + "/reader-phrase.png") &&
                   saveReadingModes(frame, folder);
        }
    }
    // A few more documents in the library, each left part of the way in; the first comes back
    // last and resumes where it was paused.
    done = done && openAt(frame, "harbour-book.epub", 620) &&
           openAt(frame, "harbour-guide.html", 240) && openAt(frame, "harbour.txt", 850) &&
           frame->openDocument(FLIT_SAMPLES_DIR "/lighthouse.txt", true);
    CLibrary* library = frame->getLibrary();
    if (done && !library->isAvailable()) {
        done = cannot(library->getProblem());
    }
    if (done) {
        recordSessions(*library);
        done = captureDialog(new CLibraryDialog(frame, library), folder + "/reader-library.png") &&
               captureDialog(new CStatisticsDialog(frame, *library),
                             folder + "/reader-statistics.png") &&
               captureDialog(new CPreferencesDialog(frame, frame->getPreferences(),
                                                    [frame](const SPreferences& chosen) {
                                                        frame->setPreferences(chosen);
                                                    }),
                             folder + "/reader-preferences.png") &&
               saveLanguages(frame, folder + "/reader-languages.png") &&
               saveFind(frame, folder + "/reader-find.png") &&
               saveBookmarks(frame, library, folder + "/reader-bookmarks.png");
    }
    frame->Close(true);
    pumpUntil([] { return wxTopLevelWindows.IsEmpty(); }, std::chrono::seconds(10));
    return done ? 0 : 1;
}

// A fresh folder for the run's preferences and library, named in XDG_CONFIG_HOME and
// XDG_DATA_HOME; empty when none could be made.
wxString makeScratchHome() {
    std::string scratch = (wxFileName::GetTempDir() + "/reader-screenshots-XXXXXX").ToStdString();
    if (mkdtemp(&scratch[0]) == nullptr) {
        return wxString();
    }
    const wxString home = wxString::FromUTF8(scratch);
    if (!wxFileName::Mkdir(home + "/config") || !wxFileName::Mkdir(home + "/data") ||
        !wxSetEnv("XDG_CONFIG_HOME", home + "/config") ||
        !wxSetEnv("XDG_DATA_HOME", home + "/data")) {
        wxFileName::Rmdir(home, wxPATH_RMDIR_RECURSIVE);
        return wxString();
    }
    return home;
}

} // namespace

int main(int argc, char** argv) {
    const wxString folder = argc > 1 ? wxString::FromUTF8(argv[1]) : wxString(".");
    // Before anything reads them: the toolkit, the preferences, the library.
    const wxString scratch = makeScratchHome();
    if (scratch.empty()) {
        std::fprintf(stderr, "reader-screenshots: cannot make a temporary folder\n");
        return 1;
    }
    wxApp::SetInstance(new wxApp);
    int toolkitArgc = 1;
    if (!wxEntryStart(toolkitArgc, argv)) {
        std::fprintf(stderr, "reader-screenshots: needs a display (try xvfb-run -a)\n");
        wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    // The toolkit's and the engine's debug messages are not the program's output.
    wxLog::SetLogLevel(wxLOG_Info);
    // The reader's own file layout and names, as its application sets them up.
    wxTheApp->SetAppName("flitreader");
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    userPreferences::install();
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();

    const int status = takeScreenshots(folder);

    userPreferences::close();
    wxTheApp->OnExit();
    wxEntryCleanup();
    wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);
    return status;
}
