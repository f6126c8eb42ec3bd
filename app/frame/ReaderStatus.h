#ifndef FLIT_APP_READERSTATUS_H
#define FLIT_APP_READERSTATUS_H

#include <wx/string.h>
#include <wx/timer.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

class CChapterIndex;
class CFlitManager;
class CLinkNotices;
class CProgressStrip;
class CReadingNavigator;
class CShownWordCounter;
class wxCDataInfoListNode;
class wxFrame;

// The fields of the reader's status bar.
enum eStatusField {
    eFieldSpeed,
    eFieldPage,
    eFieldWords,
    eFieldTimeLeft,
    eFieldAchieved,
    eFieldChapter,
    eFieldCount,
};

// "h:mm:ss" for a duration, rounded to the second.
wxString formatDuration(unsigned long long milliseconds);
// A count with the digit grouping of the user's locale.
wxString formatCount(size_t count);

// What the status bar shows of a reading.
struct SStatusFigures {
    int speed = 0;
    // The word on screen or chosen, counted from 1 (0: none yet), of the document's words.
    size_t position = 0;
    size_t total = 0;
    // A link's notice, which the last field names before anything else; then the note, or the
    // chapter in a document that has chapters.
    wxString link;
    bool hasChapters = false;
    wxString chapter;
    uint64_t timeLeftMs = 0;
    // False while the words are timed again (other rules, another word length): "…" shows.
    bool timeLeftKnown = true;
    // The speed the last reading achieved, when it is shown.
    bool achievedShown = false;
    unsigned int achieved = 0;
    // Read Aloud's state and voice, in the achieved speed's field while that is not shown.
    wxString speech;
};

// What the figures of an open document are taken from: the engine and the document's parts,
// and where reading stands.
struct SStatusSources {
    CFlitManager* manager = nullptr;
    CReadingNavigator* navigator = nullptr;
    const CShownWordCounter* counter = nullptr;
    const CLinkNotices* links = nullptr;
    const CChapterIndex* chapters = nullptr;
    unsigned int wordLength = 0;
    bool reading = false;  // words flash now
    bool finished = false; // the end was reached
    // The speed the last reading achieved is shown (stopped or finished).
    bool achievedShown = false;
    // A move's target still waiting for the next continue or start; null when none.
    wxCDataInfoListNode* chosen = nullptr;
    // Where reading goes on from; null at the end.
    wxCDataInfoListNode* next = nullptr;
    wxString speech;
};

// The reader's status bar and progress strip: the speed, the page, the position, the time
// left, the speed achieved and the chapter or a note; and the timer that updates them while
// reading.
class CReaderStatus {
public:
    // Makes the frame's status bar; onTimer is called at each tick of the updates' timer.
    CReaderStatus(wxFrame* frame, CProgressStrip* progress, std::function<void()> onTimer);

    void showNothingOpen();
    // A document opens: its figures are not known yet.
    void showOpening();
    void show(const SStatusFigures& figures);
    // The figures of the open document's reading, worked out from their sources.
    void showReading(const SStatusSources& from);

    // A note about the document (how it was read) or the last paste, shown until reading starts.
    void setNote(const wxString& text) { note = text; }
    void showNote(const wxString& text);
    // Says something in the last field until the next update.
    void say(const wxString& text);
    // Says something in the last field for a few seconds, over the updates meanwhile; nothing
    // ends what was said so.
    void sayAwhile(const wxString& text);
    // The page shown: the engine's last page number, or the page of the word a move chose.
    void setPage(int page) { pageNumber = page; }
    int getPage() const { return pageNumber; }

    // The words before node, for the position of the word shown: asked at every update, the
    // answer for the node shown is kept.
    size_t wordsBefore(CReadingNavigator& navigator, wxCDataInfoListNode* node);
    // The document closed: its nodes are gone.
    void forgetDocument() { counted = nullptr; }

    // Updates every engine period; or once, after a delay; or none.
    void startUpdates();
    void updateOnceIn(int milliseconds);
    void stopUpdates() { timer.Stop(); }
    // An update came while reading: it is done after the next chunk shown.
    bool isDue() const { return due; }
    void markDue() { due = true; }

private:
    wxFrame* frame;
    CProgressStrip* progress;
    wxTimer timer;
    bool due = false;
    wxString note;
    // What sayAwhile said, and until when.
    wxString saying;
    std::chrono::steady_clock::time_point sayingUntil;
    int pageNumber = 0;
    // The last node wordsBefore counted, and its answer.
    wxCDataInfoListNode* counted = nullptr;
    size_t countedWordsBefore = 0;
};

#endif
