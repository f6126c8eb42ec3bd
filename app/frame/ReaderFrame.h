#ifndef FLIT_APP_READERFRAME_H
#define FLIT_APP_READERFRAME_H

#include "ReaderOptions.h"
#include "preferences/Preferences.h"
#include "reading/EventRecorder.h"

#include <flitengine/import/DocumentImporter.h>

#include <wx/datetime.h>
#include <wx/filehistory.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class CAssessmentView;
class CLibrary;
class CDataManager;
class CFlitCommandEvent;
class CFlitManager;
class CFlitView;
class CKeysOverlay;
class CReadingNavigator;
class wxCDataInfoListNode;
class CProgressStrip;
class wxInfoBar;

// The reader's main window: hosts the engine on the open document, turns the user's keys and
// menu choices into the engine's commands, and shows what the engine posts.
class CReaderFrame : public wxFrame {
public:
    // Where reading stands, as the user sees it.
    enum eReadingState {
        eIdle,           // nothing read yet
        eReading,        // the engine presents the document
        ePaused,         // the user paused
        eHeldByDocument, // the document paused or stopped reading (graphic, assessment, view)
        eStopped,        // the user (or the document's stop command) stopped
        eFinished,       // the end of the document was reached
    };

    CReaderFrame(SReaderOptions options, std::chrono::steady_clock::time_point started);
    ~CReaderFrame() override;

    // Opens a document ("-": standard input), replacing the one open. When it cannot be read,
    // returns false and leaves the reader as it was, with a message naming the file and what
    // is wrong: in the bar at the top of the window, or on standard error when quiet.
    bool openDocument(const wxString& path, bool quiet = false);
    // Opens the clipboard's text as a document (a web page's source is read as HTML); says so
    // in the status bar when the clipboard holds no text.
    bool pasteDocument();
    // Shows a document imported elsewhere, under the name given.
    void openImported(std::unique_ptr<CDataManager> imported, const wxString& name);
    // Plain text: every line break read as a pause. Reopens a plain text at the same word.
    void setKeepLineBreaks(bool keep);
    bool getKeepLineBreaks() const { return keepLineBreaks; }
    // Moves to the start of an entry of the document's table of contents, as the Go > Chapter
    // menu lists them (in reading order; an entry past the end of the text is left out).
    void goToChapter(size_t entry);
    bool openRecord(const wxString& path, wxString* error);

    // The library of documents read, opened on first use; it says what went wrong, if anything.
    CLibrary* getLibrary();
    // Lists the documents read, to open or forget one.
    void showLibrary();

    // The user's commands.
    void startFromBeginning();
    void togglePause();
    void pauseReading();
    void continueReading();
    void stopReading();
    void moveBySentence(int direction);
    void moveByParagraph(int direction);
    void changeSpeed(int command);
    void setWordDisplayLength(unsigned int length);
    // Full screen on or off; the status bar stays.
    void toggleFullScreen();
    // The list of keys over the view, until the next key or click.
    void showKeys();
    bool keysShown() const;
    // Moves to the word at a value of the progress strip (parts of CProgressStrip::kRange).
    void seekTo(int value);
    // Opens the last link flashed in the browser (web, mail and file addresses only), pausing.
    void openLastLink();
    // Reads the attachment just announced, rather than skipping it.
    void readAttachment();

    const SPreferences& getPreferences() const { return preferences; }
    // Takes preferences the user chose: saves them and applies them at once.
    void setPreferences(const SPreferences& chosen);
    // Passes the preferences to the engine, the view and the menus.
    void applyPreferences();
    // How words are measured and long words cut, to the engine and the time left.
    void applyFlashRules();

    eReadingState getReading() const { return reading; }
    CFlitManager* getManager() const { return manager.get(); }
    CFlitView* getFlitView() const { return flitView; }
    CAssessmentView* getAssessmentView() const { return assessmentView; }
    CDataManager* getDocument() const { return document.get(); }
    // Where a continue would go on from while paused or stopped.
    wxCDataInfoListNode* getResumeNode() const { return resumeNode; }
    wxString getStatusText(int field) const;
    // The message of the bar at the top of the window; empty when it is hidden.
    wxString getRefusal() const;
    // The progress bar's value, in parts of CProgressStrip::kRange.
    int getProgress() const;

    // Saves a PNG of the window as it looks now. False with a message when it cannot.
    bool saveScreenshot(const wxString& path, wxString* error);

    enum eSpeedCommand { eFaster, eSlower, eDouble, eHalf };
    // The status bar's field that shows the chapter being read, or a note about the document.
    static const int kChapterField = 5;

private:
    // Where the open document came from: a file, or bytes (standard input, the clipboard) kept
    // to read them again when the line-break rule changes.
    struct SSource {
        wxString path;    // the file; empty for bytes
        wxString name;    // what the window title and the messages call it
        wxString subject; // what a refusal says could not be opened or read
        wxString label;   // for bytes: the name the importer chooses their format by
        std::string bytes;
        bool fromBytes = false;
        CDocumentImporter::eFormat format = CDocumentImporter::eAutomatic;
    };
    // An entry of the table of contents: where it starts and how many words come before it.
    struct SChapterMark {
        size_t entry;
        wxCDataInfoListNode* node;
        size_t wordsBefore;
    };

    bool openSource(SSource source, bool quiet);
    void refuse(const SSource& source, const wxString& error, bool quiet);
    void showDocument(std::unique_ptr<CDataManager> imported, SSource source,
                      const wxString& notice);
    void markChapters();
    void rebuildChapterMenu();
    // The entry of the table of contents that the word at node (wordsBefore words in) is in;
    // null before the first.
    const SChapterMark* chapterAt(wxCDataInfoListNode* node, size_t wordsBefore) const;
    // The words before the node that the status bar shows the position of.
    size_t wordsBeforeShown(wxCDataInfoListNode* node);
    // The node of the word that wordIndex words come before; null past the last.
    wxCDataInfoListNode* nodeOfWord(size_t wordIndex);
    void showNote(const wxString& note);
    void createMenus();
    wxMenu* createViewMenu();
    void savePreferences();
    void bindEngineEvents(wxWindow* window, const char* name);
    void onEngineEvent(const char* window, CFlitCommandEvent& event);
    void presentEvent(CFlitCommandEvent& event);
    void onDocumentHold(wxCDataInfoListNode* item);
    void onDone();
    void sendCommand(int type, wxCDataInfoListNode* node);
    void closeDocument();
    // Files dropped on the frame or the view are opened.
    void acceptDroppedFiles();
    void showFlitView();
    void showAssessmentView();
    void showPausedContext(wxCDataInfoListNode* node);
    // context: the word whose sentence the paused view shows; target when null.
    void moveTo(wxCDataInfoListNode* target, wxCDataInfoListNode* context = nullptr);
    // The node reading would go on from now.
    wxCDataInfoListNode* positionNode() const;
    void updateStatus();
    void onStatusTimer();
    // Stops the status updates while reading is held; a link notice still leaves on time.
    void holdStatusUpdates();
    // Counts a chunk the view shows: a new word unless it goes on with the word before.
    void countShownChunk(const CFlitCommandEvent& event);
    // The speed achieved by the words shown in the last reading, in words per minute.
    unsigned int achievedSpeed() const;
    // Reading starts or goes on after the engine's restart, at the node given.
    void sendRestartingCommand(int type, wxCDataInfoListNode* node);
    void finishUnattended();
    // The library's part (ReaderLibrary.cpp): a document opened is recorded and resumes where
    // its last reading stopped; a reading that stops is recorded as a session and a position.
    void rememberOpened();
    void beginSession();
    void rememberReading();
    void sayLibraryProblem();

    // Reading comfort: the overlay, the pointer, links (ReaderComfort.cpp).
    void setUpComfort();
    // Keys of the overlay, links and attachments; true when the key was used.
    bool onComfortKey(wxKeyEvent& event);
    // Hides the pointer over the view while reading and it rests; shows it otherwise.
    void updatePointer();
    // A word flashed for an item: a link's address shows in the status bar for a moment, for L
    // to open; an attachment announcement is remembered for A until the next email item.
    void noticeItem(const CFlitCommandEvent& event);
    // What the status bar says about the link just flashed; empty once the moment is over.
    wxString linkNotice() const;

    void onCharHook(wxKeyEvent& event);
    void onClose(wxCloseEvent& event);
    void onOpen(wxCommandEvent& event);
    void onChapterMenu(wxCommandEvent& event);
    void onRecentFile(wxCommandEvent& event);
    void onWordLength(wxCommandEvent& event);
    void onDebugDialog(wxCommandEvent& event);
    void onAbout(wxCommandEvent& event);
    void onPreferences(wxCommandEvent& event);
    void onStatistics(wxCommandEvent& event);

    SReaderOptions options;
    SPreferences preferences;
    CEventRecorder recorder;
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
    std::unique_ptr<CFlitManager> manager;
    SSource source;
    bool keepLineBreaks;
    std::vector<SChapterMark> chapters;
    // A note about the document (how it was read) or the last paste, shown until reading starts.
    wxString note;
    wxInfoBar* infoBar;
    wxString refusal;
    // The last notice of a missing hyphenation dictionary, shown once.
    wxString hyphenationNotice;
    wxMenu* goMenu = nullptr;
    CFlitView* flitView;
    CAssessmentView* assessmentView;
    CProgressStrip* progress;
    wxTimer statusTimer;
    // The status timer came while reading: the status is updated after the next chunk shown.
    bool statusDue = false;
    // Saves the speed once a run of speed changes has ended, rather than at every key.
    wxTimer speedSaveTimer;
    wxFileHistory fileHistory;

    eReadingState reading = eIdle;
    // The last word shown, the item that held reading, and where the next continue goes on
    // from (set by moves while paused or stopped).
    wxCDataInfoListNode* lastWordNode = nullptr;
    wxCDataInfoListNode* holdingItem = nullptr;
    wxCDataInfoListNode* resumeNode = nullptr;
    int pageNumber = 0;
    // Words shown since reading last started, each once however many chunks it took; the item
    // the view shows a word of, which of its words (an email item shows four) and the last
    // chunk shown.
    size_t wordsShown = 0;
    wxCDataInfoListNode* shownNode = nullptr;
    size_t wordOfItem = 0;
    // The last node wordsBeforeShown counted, and its answer.
    wxCDataInfoListNode* shownCounted = nullptr;
    size_t shownWordsBefore = 0;
    wxString lastChunk;
    // Whether the engine's start-up ramp may still be running since the last restart.
    bool rampRunning = false;
    unsigned int wordDisplayLength;
    bool screenshotTaken = false;

    std::unique_ptr<CLibrary> library;
    // The open document's hash, empty when it is not in the library (standard input).
    std::string documentHash;
    bool libraryProblemSaid = false;
    // The reading session running: when it began and the words shown before it.
    bool inSession = false;
    wxDateTime sessionStart;
    std::chrono::steady_clock::time_point sessionClock;
    size_t sessionWordsFrom = 0;

    CKeysOverlay* keysOverlay = nullptr;
    // Runs while the pointer, moved while reading, is shown over the view.
    wxTimer pointerTimer;
    bool pointerHidden = false;
    // The address of the last link flashed in this document, and when it was.
    wxString linkAddress;
    std::chrono::steady_clock::time_point linkShownAt;
    wxCDataInfoListNode* announcedAttachment = nullptr;
};

#endif
