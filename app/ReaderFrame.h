#ifndef FLIT_APP_READERFRAME_H
#define FLIT_APP_READERFRAME_H

#include "EventRecorder.h"
#include "ReaderOptions.h"

#include <wx/filehistory.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <memory>

class CAssessmentView;
class CDataManager;
class CFlitCommandEvent;
class CFlitManager;
class CFlitView;
class CReadingNavigator;
class wxCDataInfoListNode;
class CProgressStrip;

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

    // Opens a document, replacing the one open; shows the importer's message and returns false
    // when it cannot be read. quiet: report on standard error instead of in a message box.
    bool openDocument(const wxString& path, bool quiet = false);
    bool openRecord(const wxString& path, wxString* error);

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

    eReadingState getReading() const { return reading; }
    CFlitManager* getManager() const { return manager.get(); }
    CFlitView* getFlitView() const { return flitView; }
    CAssessmentView* getAssessmentView() const { return assessmentView; }
    CDataManager* getDocument() const { return document.get(); }
    // Where a continue would go on from while paused or stopped.
    wxCDataInfoListNode* getResumeNode() const { return resumeNode; }
    wxString getStatusText(int field) const;
    // The progress bar's value, in parts of CProgressStrip::kRange.
    int getProgress() const;

    // Saves a PNG of the window as it looks now. False with a message when it cannot.
    bool saveScreenshot(const wxString& path, wxString* error);

    enum eSpeedCommand { eFaster, eSlower, eDouble, eHalf };

private:
    void createMenus();
    void bindEngineEvents(wxWindow* window, const char* name);
    void onEngineEvent(const char* window, CFlitCommandEvent& event);
    void presentEvent(CFlitCommandEvent& event);
    void onDocumentHold(wxCDataInfoListNode* item);
    void onDone();
    void sendCommand(int type, wxCDataInfoListNode* node);
    void closeDocument();
    void showFlitView();
    void showAssessmentView();
    void showPausedContext(wxCDataInfoListNode* node);
    void moveTo(wxCDataInfoListNode* target);
    // The node reading would go on from now.
    wxCDataInfoListNode* positionNode() const;
    void updateStatus();
    // Counts a chunk the view shows: a new word unless it goes on with the word before.
    void countShownChunk(const CFlitCommandEvent& event);
    // The speed achieved by the words shown in the last reading, in words per minute.
    unsigned int achievedSpeed() const;
    // Reading starts or goes on after the engine's restart, at the node given.
    void sendRestartingCommand(int type, wxCDataInfoListNode* node);
    void finishUnattended();

    void onCharHook(wxKeyEvent& event);
    void onClose(wxCloseEvent& event);
    void onOpen(wxCommandEvent& event);
    void onRecentFile(wxCommandEvent& event);
    void onWordLength(wxCommandEvent& event);
    void onDebugDialog(wxCommandEvent& event);
    void onAbout(wxCommandEvent& event);

    SReaderOptions options;
    CEventRecorder recorder;
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
    std::unique_ptr<CFlitManager> manager;
    wxString documentPath;
    CFlitView* flitView;
    CAssessmentView* assessmentView;
    CProgressStrip* progress;
    wxTimer statusTimer;
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
    wxString lastChunk;
    // Whether the engine's start-up ramp may still be running since the last restart.
    bool rampRunning = false;
    unsigned int wordDisplayLength;
    bool screenshotTaken = false;
};

#endif
