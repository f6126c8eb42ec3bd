#include "frame/PauseWhileModal.h"

#include "frame/ReaderFrame.h"

CPauseWhileModal::CPauseWhileModal(CReaderFrame* readerFrame) : frame(readerFrame) {
    if (frame->getReading() == CReaderFrame::eReading) {
        frame->pauseReading();
        pausedReading = frame->getReading() == CReaderFrame::ePaused;
    }
}

CPauseWhileModal::~CPauseWhileModal() {
    if (pausedReading && frame->getReading() == CReaderFrame::ePaused) {
        frame->continueReading();
    }
}
