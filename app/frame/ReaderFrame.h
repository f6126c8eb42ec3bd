#ifndef FLIT_APP_READERFRAME_H
#define FLIT_APP_READERFRAME_H

#include "ReaderOptions.h"
#include "document/DocumentOpener.h"
#include "document/PreparedDocument.h"
#include "frame/MessageBar.h"
#include "frame/Screenshot.h"
#include "frame/ViewComfort.h"
#include "library/ReaderLibrary.h"
#include "preferences/ReaderSettings.h"
#include "reading/ChapterIndex.h"
#include "reading/EventRecorder.h"
#include "reading/LinkNotices.h"
#include "reading/NoteShower.h"
#include "reading/PositionHistory.h"
#include "reading/ShownWordCounter.h"

#include <wx/frame.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>

class CAssessmentView;
class CDataManager;
class CFlitCommandEvent;
class CFlitManager;
class CFindBar;
class CFlitView;
class CPagePane;
class CProgressStrip;
class CReadAloud;
class CReaderKeys;
class CReaderMenus;
class CReaderStatus;
class CReadingNavigator;
class CWindowPlacement;
class wxCDataInfoListNode;

// The reader's main window: hosts the engine on the open document, keeps where reading stands
// (the reading state machine) and presents what the engine posts. Its parts, which it owns and
// wires: the document opener, the settings, the chapters, the counter of words shown, the links
// noticed, the library, the message bar, the status bar, the menus, the keys, the comforts over
// the view and the screenshots. The parts turn the user's menu choices and keys into the
// frame's commands.
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

    // Starts opening a document ("-": standard input) in the background, to replace the one
    // open once it is read: the window answers meanwhile, shows the open's progress, and Esc
    // cancels it. When it cannot be read, the reader stays as it was, with a message naming
    // the file and what is wrong in the bar at the top of the window.
    void openDocument(const wxString& path) { opener->start(path); }
    // The same, with the refusal on standard error when quiet, and then done told whether the
    // document is shown (not when the open is cancelled).
    void openDocument(const wxString& path, bool quiet, CDocumentOpener::DoneHandler done) {
        opener->start(path, quiet, std::move(done));
    }
    // Opens a document at once, on the GUI thread (scripts and tests): false, with the
    // refusal, when it cannot be read.
    bool openDocument(const wxString& path, bool quiet) { return opener->open(path, quiet); }
    // A document being opened in the background, and its cancel (Esc).
    bool isOpening() const { return opener->opening(); }
    void cancelOpening() { opener->cancel(); }
    // Opens the clipboard's text as a document (a web page's source is read as HTML); says so
    // in the status bar when the clipboard holds no text.
    bool pasteDocument() { return opener->paste(); }
    // Shows a document imported elsewhere, under the name given.
    void openImported(std::unique_ptr<CDataManager> imported, const wxString& name) {
        opener->openImported(std::move(imported), name);
    }
    // Plain text: every line break read as a pause. Reopens a plain text at the same word.
    void setKeepLineBreaks(bool keep);
    bool getKeepLineBreaks() const { return opener->getSource().getKeepLineBreaks(); }
    // Moves to the start of an entry of the document's table of contents, as the Go > Chapter
    // menu lists them (in reading order; an entry past the end of the text is left out).
    void goToChapter(size_t entry);
    bool openRecord(const wxString& path, wxString* error) { return recorder.open(path, error); }

    // The library of documents read, opened on first use; it says what went wrong, if anything.
    CLibrary* getLibrary() { return library->getLibrary(); }
    // Lists the documents read, to open or forget one.
    void showLibrary() { library->show(); }

    // The user's commands.
    void startFromBeginning();
    void togglePause();
    void pauseReading();
    void continueReading();
    void stopReading();
    void moveBySentence(int direction);
    void moveByParagraph(int direction);
    // speed: the exact speed for eExactSpeed.
    void changeSpeed(int command, unsigned int speed = 0);
    void setWordDisplayLength(unsigned int length);
    // Full screen on or off; the status bar stays.
    void toggleFullScreen() { comfort->toggleFullScreen(); }
    // The list of keys over the view, until the next key or click.
    void showKeys() { comfort->showKeys(); }
    bool keysShown() const { return comfort->keysShown(); }
    // Moves to the word at a value of the progress strip (parts of CProgressStrip::kRange).
    // dragged: a step of a drag, which goes on with the move its press began.
    void seekTo(int value, bool dragged = false);
    // A move of more than a sentence (Home, the strip, a chapter, the library, a search): the
    // place left is kept for Go > Back, then it moves as the sentence moves do.
    void jumpTo(wxCDataInfoListNode* target, wxCDataInfoListNode* context = nullptr);
    // Go > Back and Go > Forward through the places jumps left, as a browser's; a bell and a
    // note when there is nowhere to go.
    void goBack() { goThroughHistory(-1); }
    void goForward() { goThroughHistory(1); }
    bool canGoBack() const { return history.canGoBack(); }
    bool canGoForward() const { return history.canGoForward(); }
    // Marks the word reading stands at with an optional note, pausing meanwhile; lists the
    // document's bookmarks to go to one. Only for a document the library keeps.
    void addBookmark();
    void showBookmarks();
    bool offersBookmarks() const { return navigator && library->offersBookmarks(); }
    // Opens the last link flashed in the browser (web, mail and file addresses only), pausing.
    void openLastLink();
    // Reads the attachment just announced, rather than skipping it.
    void readAttachment();
    // Shows the whole of the last note passed, pausing meanwhile; a bell and a word when none.
    void showLastNote();

    const SPreferences& getPreferences() const { return settings.get(); }
    // Takes preferences the user chose: saves them and applies them at once.
    void setPreferences(const SPreferences& chosen);
    // Passes the preferences to the engine, the view and the menus.
    void applyPreferences();
    // How words are measured and long words cut, to the engine and the time left.
    void applyFlashRules();

    eReadingState getReading() const { return reading; }
    CFlitManager* getManager() const { return manager.get(); }
    CFlitView* getFlitView() const { return flitView; }
    // The page under the flash (View > Page); hidden unless chosen.
    CPagePane* getPagePane() const { return pagePane; }
    CAssessmentView* getAssessmentView() const { return assessmentView; }
    CDataManager* getDocument() const { return document.get(); }
    CReadingNavigator* getNavigator() const { return navigator.get(); }
    // The word reading is at: a move's target still waiting, else the word last shown.
    wxCDataInfoListNode* getPlace() const { return placeNode(); }
    CFindBar* getFindBar() const { return findBar; }
    // Where a continue would go on from while paused or stopped.
    wxCDataInfoListNode* getResumeNode() const { return resumeNode; }
    wxString getStatusText(int field) const;
    // The message of the bar at the top of the window; empty when it is hidden.
    wxString getRefusal() const { return messages.getShown(); }
    // Shows a warning in the bar at the top of the window.
    void showWarning(const wxString& warning);
    // Says something quietly in the status bar's last field, until a document opens.
    void showNote(const wxString& note);
    // The progress bar's value, in parts of CProgressStrip::kRange.
    int getProgress() const;

    // Saves a PNG of the window as it looks now. False with a message when it cannot.
    bool saveScreenshot(const wxString& path, wxString* error) {
        return screenshot->save(path, error);
    }

    enum eSpeedCommand { eFaster, eSlower, eDouble, eHalf, eExactSpeed };
    // The status bar's field that shows the chapter being read, or a note about the document.
    static const int kChapterField = 5;

    // Word steps: while paused or stopped, a word back (-1) or forward (1), shown as it
    // flashes, and the next continue goes on from it. Presses that come faster than the view
    // follows (a held key's repeats) are taken together, so none waits behind the others.
    void stepWord(int direction);
    bool canStepWords() const { return navigator && reading != eReading; }

    // Reading > Read Aloud: the text spoken, each word flashed as it is heard.
    void setReadAloud(bool on);
    bool isReadingAloud() const;

private:
    // Shows a document the opener read; true when the engine takes it.
    bool showDocument(SPreparedDocument prepared);
    // An open begins: reading is held, the figures wait for the new document. It ends without
    // one: the document open as it was, reading again if it was.
    void onOpenBegan();
    void onOpenAbandoned();
    // What the opener asks of the frame.
    CDocumentOpener::SFrameHooks openHooks();
    // The rules a document is prepared by, from the settings.
    SPrepareRules prepareRules() const;
    void closeDocument();
    void bindEngineEvents(wxWindow* window, const char* name);
    void onEngineEvent(const char* window, CFlitCommandEvent& event);
    void presentEvent(CFlitCommandEvent& event);
    // A word or an item's word on screen: counted, noticed, and followed while paused.
    void presentChunk(CFlitCommandEvent& event);
    void onDocumentHold(wxCDataInfoListNode* item);
    // A note reference passed: the note said in the message bar when the document has it.
    void presentNote(int number);
    void onDone();
    void finishUnattended();
    void sendCommand(int type, wxCDataInfoListNode* node);
    // Reading starts or goes on after the engine's restart, at the node given.
    void sendRestartingCommand(int type, wxCDataInfoListNode* node);
    // Reading starts or goes on from node (the beginning when null), measured afresh for a
    // start.
    void beginReading(int type, wxCDataInfoListNode* from);
    void showFlitView();
    void showAssessmentView();
    void showPausedContext(wxCDataInfoListNode* node);
    // context: the word whose sentence the paused view shows; target when null.
    void moveTo(wxCDataInfoListNode* target, wxCDataInfoListNode* context = nullptr);
    // The node reading would go on from now.
    wxCDataInfoListNode* positionNode() const;
    // The word a move or a reread counts from: a move's target still waiting, else the word
    // last shown (null before the first).
    wxCDataInfoListNode* placeNode() const { return resumeNode ? resumeNode : lastWordNode; }
    // The word a sentence or paragraph move starts from: the place, else the first word.
    wxCDataInfoListNode* moveOrigin() const;
    // The index of the word reading stands at, as a jump leaves it: the word on screen while
    // reading, the one the paused view shows, else where reading would go on from.
    size_t placeLeft();
    // A jump to target is about to leave the place: kept in the history.
    void keepPlaceLeft(wxCDataInfoListNode* target);
    void goThroughHistory(int direction);
    void updateStatus();
    void onStatusTimer();
    // Stops the status updates while reading is held; a link notice still leaves on time.
    void holdStatusUpdates();
    // What the library remembers: a document opened resumes where its last reading stopped;
    // a reading that stops is recorded as a session and a position.
    // hash: of the file's bytes, when known.
    void rememberOpened(const std::string& hash);
    void rememberReading();
    // The voice to read aloud with: the command line's, else the preferences'.
    wxString chosenVoice() const;
    void onClose(wxCloseEvent& event);

    SReaderOptions options;
    CEventRecorder recorder;
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
    std::unique_ptr<CFlitManager> manager;
    // The open document's parts: its chapters, the words shown, the links and attachments,
    // the places jumps left.
    CChapterIndex chapters;
    CShownWordCounter counter;
    CLinkNotices links;
    CPositionHistory history;
    CNoteShower notes{this};

    CMessageBar messages;
    CReaderSettings settings;
    CFlitView* flitView;
    CPagePane* pagePane;
    CAssessmentView* assessmentView;
    CProgressStrip* progress;
    CFindBar* findBar;
    std::unique_ptr<CReaderStatus> status;
    std::unique_ptr<CDocumentOpener> opener;
    std::unique_ptr<CReaderLibrary> library;
    std::unique_ptr<CReaderMenus> menus;
    std::unique_ptr<CViewComfort> comfort;
    std::unique_ptr<CReaderKeys> keys;
    std::unique_ptr<CScreenshot> screenshot;
    std::unique_ptr<CWindowPlacement> placement;
    std::unique_ptr<CReadAloud> readAloud;

    eReadingState reading = eIdle;
    // The last word shown, the item that held reading, and where the next continue goes on
    // from (set by moves while paused or stopped).
    wxCDataInfoListNode* lastWordNode = nullptr;
    wxCDataInfoListNode* holdingItem = nullptr;
    wxCDataInfoListNode* resumeNode = nullptr;
    // While reading: a move's target is the place until a word shows (the engine's thread may
    // be anywhere meanwhile).
    bool moveNotShown = false;
    // Reading was held for an open, or asked for during one: it goes on if the open ends
    // without a document.
    bool resumeAfterOpen = false;

    // Word steps pressed and not yet taken (their sum), and whether their taking is queued.
    void takeWordSteps();
    void showWordAt(wxCDataInfoListNode* node);
    int pendingWordSteps = 0;
    bool wordStepsQueued = false;
};

#endif
