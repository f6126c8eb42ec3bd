#include "document/DocumentOpener.h"

#include "document/OpeningBar.h"
#include "frame/MessageBar.h"
#include "frame/ReaderStatus.h"

#include <flitengine/outside/DataManager.h>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/defs.h>
#include <wx/dnd.h>
#include <wx/event.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/window.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

// Files dropped on the reader's windows: the first is opened once the drop is over (and, of
// several, said to be the first).
class CDocumentDropTarget : public wxFileDropTarget {
public:
    CDocumentDropTarget(wxEvtHandler* readerFrame, CDocumentOpener* documentOpener)
        : frame(readerFrame), opener(documentOpener) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        if (files.empty()) {
            return false;
        }
        const wxString& path = files[0];
        const size_t count = files.size();
        frame->CallAfter([opener = opener, path, count] {
            opener->start(path, false, [opener, path, count](bool opened) {
                if (opened && count > 1) {
                    // The others are not lost without a word.
                    opener->sayOpenedFirstOf(count, path);
                }
            });
        });
        return true;
    }

private:
    wxEvtHandler* frame;
    CDocumentOpener* opener;
};

} // namespace

CDocumentOpener::CDocumentOpener(wxFrame* readerFrame, bool keepLineBreaks, CMessageBar& messageBar,
                                 CReaderStatus& readerStatus, SFrameHooks frameHooks)
    : frame(readerFrame), source(keepLineBreaks), messages(messageBar), status(readerStatus),
      hooks(std::move(frameHooks)),
      bar(new COpeningBar(
          readerFrame, CBackgroundOpen::kRange, [this] { return background.progress(); },
          [this] { cancel(); })),
      background(readerFrame) {}

CDocumentOpener::~CDocumentOpener() = default;

void CDocumentOpener::acceptDrops(wxWindow* window) {
    window->SetDropTarget(new CDocumentDropTarget(frame, this));
}

void CDocumentOpener::sayOpenedFirstOf(size_t count, const wxString& path) {
    messages.show(wxString::Format("Opened the first of %zu files dropped: %s", count,
                                   wxFileName(path).GetFullName()),
                  wxICON_INFORMATION);
}

void CDocumentOpener::start(const wxString& path, bool quiet, DoneHandler done) {
    SDocumentOrigin origin = SDocumentOrigin::file(path);
    if (path == "-") {
        // A pipe may never end: read on this thread, it cannot keep the program from quitting.
        wxString reason;
        if (!SDocumentOrigin::standardInput(&origin, &reason)) {
            refuse(origin, reason, quiet);
            if (done) {
                done(false);
            }
            return;
        }
    }
    const bool begins = !opening();
    if (begins) {
        titleBefore = frame->GetTitle();
    }
    frame->SetTitle(wxString::Format(L"Opening %s\u2026 - FlitReader", origin.name));
    bar->showOpening(origin.name);
    SPrepareRules rules = hooks.rules();
    rules.keepLineBreaks = source.getKeepLineBreaks();
    background.start(std::move(origin), rules,
                     [this, quiet, done = std::move(done)](SPreparedDocument prepared) {
                         endOpening();
                         const bool shown = finish(std::move(prepared), quiet);
                         if (done) {
                             done(shown);
                         }
                     });
    if (begins) {
        hooks.began();
    }
}

void CDocumentOpener::cancel() {
    if (!opening()) {
        return;
    }
    background.cancel();
    endOpening();
    hooks.abandoned();
}

void CDocumentOpener::endOpening() {
    bar->hideOpening();
    frame->SetTitle(titleBefore);
}

bool CDocumentOpener::open(const wxString& path, bool quiet) {
    cancel();
    if (path != "-") {
        return openOrigin(SDocumentOrigin::file(path), quiet);
    }
    SDocumentOrigin origin;
    wxString reason;
    if (!SDocumentOrigin::standardInput(&origin, &reason)) {
        refuse(origin, reason, quiet);
        return false;
    }
    return openOrigin(std::move(origin), quiet);
}

bool CDocumentOpener::paste() {
    std::string bytes;
    if (wxTheClipboard->Open()) {
        wxTextDataObject text;
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(text)) {
            // The buffer may point into the string: the string must outlive it.
            const wxString pasted = text.GetText();
            const wxScopedCharBuffer utf8 = pasted.utf8_str();
            bytes.assign(utf8.data(), utf8.length());
        }
        wxTheClipboard->Close();
    }
    if (wxString::FromUTF8(bytes).Strip(wxString::both).empty()) {
        status.showNote("The clipboard holds no text to read");
        return false;
    }
    cancel();
    return openOrigin(SDocumentOrigin::clipboard(std::move(bytes)), false);
}

void CDocumentOpener::openImported(std::unique_ptr<CDataManager> imported, const wxString& name) {
    cancel();
    SPreparedDocument prepared;
    prepared.origin = SDocumentOrigin::imported(name);
    prepared.document = std::move(imported);
    prepared.prepareParts(hooks.rules());
    hooks.show(std::move(prepared));
}

bool CDocumentOpener::openOrigin(SDocumentOrigin origin, bool quiet) {
    SPrepareRules rules = hooks.rules();
    rules.keepLineBreaks = source.getKeepLineBreaks();
    return finish(SPreparedDocument::prepare(std::move(origin), rules, {}), quiet);
}

bool CDocumentOpener::finish(SPreparedDocument prepared, bool quiet) {
    if (!prepared.document) {
        refuse(prepared.origin, prepared.error, quiet);
        hooks.abandoned();
        return false;
    }
    return hooks.show(std::move(prepared));
}
void CDocumentOpener::refuse(const SDocumentOrigin& origin, const wxString& error, bool quiet) {
    if (quiet) {
        std::fprintf(stderr, "flitreader: %s: %s\n", origin.refusedName().utf8_str().data(),
                     error.utf8_str().data());
        return;
    }
    // One message at a time: a new refusal replaces the last.
    messages.show(wxString::Format("Cannot open %s: %s", origin.subject, error), wxICON_ERROR);
}
