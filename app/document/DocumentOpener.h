#ifndef FLIT_APP_DOCUMENTOPENER_H
#define FLIT_APP_DOCUMENTOPENER_H

#include "document/DocumentSource.h"

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <memory>

class CDataManager;
class CMessageBar;
class CReaderStatus;
class wxEvtHandler;
class wxWindow;

// The reader's ways to a document: a file (or standard input) named or dropped on its windows,
// the clipboard's text, a document imported elsewhere, and the open one read again when the
// line-break rule changes. What cannot be read is refused with a message naming it; what is
// read goes to the frame to show.
class CDocumentOpener {
public:
    // Shows a document read, from its origin, with a notice about how it was read; true when
    // it is shown.
    using ShowHandler =
        std::function<bool(std::unique_ptr<CDataManager>, SDocumentOrigin, const wxString&)>;

    // frame: runs the opening of a dropped file once the drop is over.
    CDocumentOpener(wxEvtHandler* frame, bool keepLineBreaks, CMessageBar& messages,
                    CReaderStatus& status, ShowHandler show);

    // Files dropped on the window are opened (the first of them).
    void acceptDrops(wxWindow* window);
    // Says in the message bar that of count files dropped, the one at path was opened.
    void sayOpenedFirstOf(size_t count, const wxString& path);

    // A file, or standard input for "-"; quiet: a refusal goes to standard error.
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

    wxEvtHandler* frame;
    CDocumentSource source;
    CMessageBar& messages;
    CReaderStatus& status;
    ShowHandler show;
};

#endif
