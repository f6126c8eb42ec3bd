// The reader's main window: the notes of a book as reading passes their references.

#include "frame/ReaderFrame.h"

#include "frame/ReaderStatus.h"
#include "view/FlitView.h"

#include <wx/utils.h>

void CReaderFrame::presentNote(int number) {
    const wxString line = number > 0
                              ? notes.notePassed(document.get(), static_cast<unsigned int>(number))
                              : wxString();
    if (line.empty()) {
        // A reference the document holds no text for, as any host's documents may have.
        flitView->flashMarker(wxString::Format("Rapid note %d", number));
        return;
    }
    flitView->flashMarker(wxString::Format("Note %d", number));
    // Reading goes on; the bar keeps the note until the next one or a message.
    messages.show(line + "  (N: the whole note)", wxICON_INFORMATION);
}

void CReaderFrame::showLastNote() {
    if (!notes.showLast(document.get())) {
        wxBell();
        status->say("No note has been passed yet");
    }
}
