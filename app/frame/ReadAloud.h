#ifndef FLIT_APP_READALOUD_H
#define FLIT_APP_READALOUD_H

#include <flitengine/engine/WordPacer.h>

#include <wx/string.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CEventRecorder;
class CFlitManager;
class CSpeechPacer;

// Reading > Read Aloud: the synthesizer speaks the document and the engine flashes each word
// as it is heard. The part keeps the speech pacer for the life of the window and stands in for
// it as each document's engine's pacer while reading aloud is on (passing each run on, and
// writing the runs and the words heard to the record); the engine's words then wait for the
// voice rather than for the timing rules. Without an audio output the pacer is never handed over:
// the reader says so once and reads on silently at the rules' pace.
//
// The pacer reports words on the synthesizer's thread. Those reports reach the engine the
// window has now through a pointer that the GUI thread changes only under reportMutex, and only
// after the engine has let go of the pacer (which stops the voice); the pacer's cancel is
// never called under that lock, since it may wait for a report in progress.
class CReadAloud : public CWordPacer {
public:
    using Say = std::function<void(const wxString&)>;

    // say: a short message in the status bar.
    CReadAloud(CEventRecorder& recorder, Say say);
    ~CReadAloud() override;
    CReadAloud(const CReadAloud&) = delete;
    CReadAloud& operator=(const CReadAloud&) = delete;

    bool isOn() const { return on; }
    // Turns reading aloud on or off for the engine given (null: none open yet).
    void setOn(bool wanted, CFlitManager* manager);
    // A document's engine was made: it reads aloud when the part is on, in the chosen voice,
    // else the voice of the document's language (a BCP 47 tag, maybe empty), else the system's.
    void attach(CFlitManager* manager, const std::string& documentLanguage,
                const wxString& chosenVoice);
    // The engine is about to go (closed with its document): it lets go of the pacer first.
    void detach(CFlitManager* manager);
    // The voice chosen in the preferences changed.
    void chooseVoice(const wxString& chosenVoice);

    // The speed to read at: wpm, or the nearest the synthesizer speaks at while reading aloud,
    // after saying the range it offers.
    unsigned int speedFor(unsigned int wpm);
    // What the status bar says of reading aloud: empty when off.
    wxString statusText() const;

    // The engine's pacer: each run goes to the voice and into the record.
    bool beginRun(long run, const std::vector<SWord>& words, unsigned int wpm) override;
    void cancelRun() override;

private:
    // Opens the audio output the first time reading aloud is on: false (said once) without one.
    bool ensureAudio();
    // The engine lets go of the pacer (which stops the voice); its reports go nowhere.
    void release(CFlitManager* manager);
    void pickVoice();
    void reportWord(long run, std::size_t index);
    void reportEnd(long run, bool complete);

    CEventRecorder& recorder;
    Say say;
    bool on = false;
    // Made, and the audio output tried, the first time reading aloud is on.
    std::unique_ptr<CSpeechPacer> pacer;
    // Whether the missing audio output was said.
    bool audioMissingSaid = false;
    // The engine the pacer is handed to, for its reports; guarded by reportMutex.
    std::mutex reportMutex;
    CFlitManager* reportTo = nullptr;
    CFlitManager* attached = nullptr;
    std::string documentLanguage;
    wxString chosenVoice;
    // The name of the voice speaking, for the status bar.
    std::string voiceLabel;
    // The words of the runs given to the voice, for the record's spoken lines: the last few
    // runs, since the voice may still speak one run while the next is handed over. Guarded by
    // reportMutex.
    struct SRunWords {
        long run;
        std::vector<wxString> words;
    };
    std::vector<SRunWords> recentRuns;
};

#endif
