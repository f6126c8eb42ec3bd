#ifndef FLIT_APP_DOCUMENTOPENER_H
#define FLIT_APP_DOCUMENTOPENER_H

#include "document/BackgroundOpen.h"
#include "document/DocumentSource.h"
#include "document/PreparedDocument.h"

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <memory>

class CDataManager;
class CMessageBar;
class COpeningBar;
class CReaderStatus;
class wxEvtHandler;
class wxFrame;
class wxWindow;

// The reader's ways to a document: a file (or standard input) named or dropped on its windows,
// the clipboard's text, a document imported elsewhere, and the open one read again when the
// line-break rule changes. What cannot be read is refused with a message naming it; what is
// read goes to the frame to show. A file opens in the background, with the opening bar showing
// it and the window's title naming it, while the document open stays as it was until the new
// one is ready; cancelled, nothing changes.
class CDocumentOpener {
public:
    // What the frame does with an open: shows a document prepared (true when it is shown);
    // gives the rules to prepare by; holds its reading when an open begins, and has it as it
    // was when an open ends without a document (cancelled or refused).
    struct SFrameHooks {
        std::function<bool(SPreparedDocument)> show;
        std::function<SPrepareRules()> rules;
        std::function<void()> began;
        std::function<void()> abandoned;
    };
    // After an open in the background: whether the document is shown (not called when the
    // open is cancelled).
    using DoneHandler = std::function<void(bool opened)>;

    // frame: hosts the opening bar, runs the opening of a dropped file once the drop is over,
    // and takes the results of the background.
    CDocumentOpener(wxFrame* frame, bool keepLineBreaks, CMessageBar& messages,
                    CReaderStatus& status, SFrameHooks hooks);
    ~CDocumentOpener();

    // Files dropped on the window are opened (the first of them).
    void acceptDrops(wxWindow* window);
    // Says in the message bar that of count files dropped, the one at path was opened.
    void sayOpenedFirstOf(size_t count, const wxString& path);
    // The bar that shows an open running, for the frame to place.
    COpeningBar* getBar() const { return bar; }

    // Starts opening a file, or standard input for "-" (read at once), in the background.
    // quiet: a refusal goes to standard error rather than the message bar.
    void start(const wxString& path, bool quiet = false, DoneHandler done = DoneHandler());
    // Cancels the open running: the document open stays as it was.
    void cancel();
    bool opening() const { return background.running(); }
    // Ends the document that was open on a worker thread (see CBackgroundOpen::dispose).
    void dispose(std::unique_ptr<CDataManager> document) {
        background.dispose(std::move(document));
    }

    // Opens a file, or standard input for "-", at once, on this thread; quiet as for start.
    bool open(const wxString& path, bool quiet);
    // The clipboard's text (a web page's source is read as HTML); says so in the status bar
    // when the clipboard holds no text.
    bool paste();
    void openImported(std::unique_ptr<CDataManager> imported, const wxString& name);
    // The document open, read again (by a new line-break rule).
    bool reopen() { return openOrigin(source.getCurrent(), false); }
    // Says why a document cannot be read: in the message bar, or on standard error when quiet.
    void refuse(const SDocumentOrigin& origin, const wxString& error, bool quiet);

    CDocumentSource& getSource() { return source; }
    const CDocumentSource& getSource() const { return source; }

private:
    bool openOrigin(SDocumentOrigin origin, bool quiet);
    // Shows a document prepared, or refuses it; true when shown.
    bool finish(SPreparedDocument prepared, bool quiet);
    // The opening bar and title go; the title is the one before the open.
    void endOpening();

    wxFrame* frame;
    CDocumentSource source;
    CMessageBar& messages;
    CReaderStatus& status;
    SFrameHooks hooks;
    COpeningBar* bar;
    CBackgroundOpen background;
    // The window's title before the open running.
    wxString titleBefore;
};

#endif
