#ifndef FLIT_APP_PAUSEWHILEMODAL_H
#define FLIT_APP_PAUSEWHILEMODAL_H

class CReaderFrame;

// Pauses reading for as long as a dialog of the reader is open, and goes on reading when it
// closes if it was reading before. Every place that shows a modal dialog or message box over the
// reader makes one on the stack just before showing it:
//
//     CPauseWhileModal pause(this);
//     wxFileDialog dialog(this, ...);
//     if (dialog.ShowModal() == wxID_OK) { ... }
//
// Reading goes on only when it is still paused by this helper when the helper ends: a dialog
// whose choice opened another document, started reading or stopped it leaves that as it is.
class CPauseWhileModal {
public:
    explicit CPauseWhileModal(CReaderFrame* frame);
    ~CPauseWhileModal();
    CPauseWhileModal(const CPauseWhileModal&) = delete;
    CPauseWhileModal& operator=(const CPauseWhileModal&) = delete;

    // Whether the helper paused reading (and will go on reading when it ends).
    bool paused() const { return pausedReading; }

private:
    CReaderFrame* frame;
    bool pausedReading = false;
};

#endif
