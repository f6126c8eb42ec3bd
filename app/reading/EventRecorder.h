#ifndef FLIT_APP_EVENTRECORDER_H
#define FLIT_APP_EVENTRECORDER_H

#include <wx/string.h>

#include <chrono>
#include <cstdio>
#include <mutex>

class CFlitCommandEvent;

// Writes one line per engine event the reader receives, in arrival order, flushed as it goes:
//   t_ms<TAB>window<TAB>type<TAB>text<TAB>number<TAB>colour
// t_ms is milliseconds since the reader started, on a monotonic clock, with three decimals;
// window is "view", "frame" or "assessment"; type is the event's short name ("WORD",
// "BACKGROUND", ...); tabs, newlines and backslashes in the text are escaped as \t, \n and \\;
// colour is #rrggbb or empty. The first line names the columns. After an event the engine
// waits on, once the reader has shown it and signalled the render, a RENDERED line follows
// with the moment of the signal: the event's window, no text, the number -1, no colour.
//
// While the reader reads aloud, the speech's own moments come in between, in the window
// "speech": a SPEECH line as the synthesizer is given a run of words (the first word as text,
// the number of words as number), and a SPOKEN line as it reports each word heard (the word,
// its index in the run). They come from the synthesizer's thread, so every line is written
// whole under a lock.
class CEventRecorder {
public:
    explicit CEventRecorder(std::chrono::steady_clock::time_point origin);
    ~CEventRecorder();
    CEventRecorder(const CEventRecorder&) = delete;
    CEventRecorder& operator=(const CEventRecorder&) = delete;

    // Opens (truncates) the file and writes the header. False with a message on failure.
    bool open(const wxString& path, wxString* error);
    bool isOpen() const { return file != nullptr; }

    void record(const char* window, const CFlitCommandEvent& event);
    // The render signal of the event last recorded for the window, now.
    void recordRendered(const char* window);
    // A speech line (type "SPEECH" or "SPOKEN"), now; from any thread.
    void recordSpeech(const char* type, const wxString& text, long number);

    // "WORD" for the word event type and so on; "UNKNOWN" for a type the engine never uses.
    static const char* typeName(int eventType);
    // The text with tab, newline and backslash escaped.
    static wxString escapeText(const wxString& text);

private:
    double millisecondsNow() const;

    std::chrono::steady_clock::time_point origin;
    std::FILE* file = nullptr;
    std::mutex fileMutex;
};

#endif
