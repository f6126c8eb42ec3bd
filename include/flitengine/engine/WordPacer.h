#ifndef FLIT_ENGINE_WORDPACER_H
#define FLIT_ENGINE_WORDPACER_H

#include <flitengine/FlitExport.h>
#include <flitengine/outside/DataInfo.h>

#include <wx/string.h>

#include <cstddef>
#include <vector>

// A host that says when each word is due, in place of the timing rules' sleeps: a speech
// synthesizer that reports each word as it is heard, say. The manager holds at most one
// (CFlitManager::setWordPacer); without one, the default, the timing rules pace every word.
//
// The presentation thread hands the pacer a run: the words from the one about to be shown to
// the end of its sentence. The pacer starts on it and then reports, from any thread, each word
// of the run as it becomes due (CFlitManager::wordDue) and the run's end once its last word is
// over (CFlitManager::runEnded). The thread shows each word when it is due, with its chunks and
// blank, and everything between the words (pages, colours, pictures, styles) as it comes.
// Reports that name a run no longer current are ignored, so a pacer never has to fence them.
//
// The engine never calls beginRun and cancelRun at the same time, and calls neither while
// holding the lock the reports take, so cancelRun may wait for a report in progress. The next
// run may begin while the last word of the one before is still being said: a pacer queues it.
// A pacer that reports nothing for a word for a while (the longer of 5 seconds and four times
// the word's time by the rules) is taken for stalled: its run is cancelled and the timing rules
// show the rest of it.
class FLIT_EXPORT CWordPacer {
public:
    struct SWord {
        // The word's node in the document.
        wxCDataInfoListNode* node;
        // The word as the document holds it.
        wxString text;
    };

    virtual ~CWordPacer() = default;

    // On the presentation thread: begin the run numbered run, of these words, at wpm words a
    // minute (the reader's target speed). True when the pacer will report its words; false
    // when it cannot (no audio, say): the thread then times the first word by the rules and
    // asks again at the next sentence.
    virtual bool beginRun(long run, const std::vector<SWord>& words, unsigned int wpm) = 0;
    // From the GUI or presentation thread: stop the current run at once (pause, stop, a move, a
    // restart, a change of pacer, the manager's destruction, a stall). Nothing more is due of
    // it; returns promptly. May come when no run is in hand, or twice for one run: it then does
    // nothing.
    virtual void cancelRun() = 0;
};

#endif
