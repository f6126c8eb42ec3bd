// minimal-host: the smallest FlitEngine host. One window flashes a text file word by word at
// the engine's default speed, then says that it has finished.
//
//     minimal-host FILE [--quit-at-end]
//
// FILE is plain (.txt) or marked-up (.flit) text. --quit-at-end closes the window at the end.

#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/frame.h>

#include <cstdio>
#include <memory>

// The window the words are flashed in: the current word, centred.
class CWordView : public wxWindow {
public:
    explicit CWordView(wxWindow* parent) : wxWindow(parent, wxID_ANY) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, &CWordView::onPaint, this);
    }

    // Shows the text now: it is on screen when this returns.
    void showWord(const wxString& text) {
        word = text;
        Refresh();
        Update();
    }

private:
    void onPaint(wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dc.SetFont(wxFontInfo(32));
        const wxSize text = dc.GetTextExtent(word);
        const wxSize size = GetClientSize();
        dc.DrawText(word, (size.x - text.x) / 2, (size.y - text.y) / 2);
    }

    wxString word;
};

class CHostFrame : public wxFrame {
public:
    CHostFrame(std::unique_ptr<CDataManager> text, bool quitWhenDone)
        : wxFrame(nullptr, wxID_ANY, "FlitEngine minimal host", wxDefaultPosition,
                  wxSize(480, 200)),
          document(std::move(text)), quitAtEnd(quitWhenDone) {
        view = new CWordView(this);
        // The engine posts to the frame and to the view; both go to one handler here.
        for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
            const wxEventTypeTag<CFlitCommandEvent> type(*entry.type);
            Bind(type, &CHostFrame::onEngineEvent, this);
            view->Bind(type, &CHostFrame::onEngineEvent, this);
        }
        Bind(wxEVT_CLOSE_WINDOW, &CHostFrame::onClose, this);
    }

    bool startReading() {
        manager = std::make_unique<CFlitManager>();
        // No assessment view: the engine posts nothing to a window it is not given.
        if (!manager->initialize(document.get(), this, view, nullptr)) {
            manager.reset();
            return false;
        }
        send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
        return true;
    }

private:
    void send(int type, wxCDataInfoListNode* node) {
        CFlitCommandEvent command(type);
        command.dataInfoListNode = node;
        manager->ProcessEvent(command);
    }

    void onEngineEvent(CFlitCommandEvent& event) {
        if (!manager) {
            return;
        }
        if (event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG) {
            view->showWord(event.text); // an empty text is the blank between words
        } else if (event.GetEventType() == EVT_FLIT_COMMAND_DONE_MSG) {
            view->showWord("(finished)");
            if (quitAtEnd) {
                CallAfter([this] { Close(); });
            }
        }
        // The engine waits until what it posted is on screen, and times the word from then.
        if (event.waitsForRender()) {
            manager->signalGuiThreadRendered(event.getRenderTicket());
        }
    }

    void onClose(wxCloseEvent&) {
        // Stop reading and end the engine's thread before the windows it posts to go.
        if (manager) {
            send(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
            manager.reset();
        }
        Destroy();
    }

    std::unique_ptr<CDataManager> document; // outlives the manager, which reads it
    std::unique_ptr<CFlitManager> manager;
    CWordView* view;
    bool quitAtEnd;
};

class CHostApp : public wxApp {
public:
    bool OnInit() override {
        if (argc < 2) {
            std::fprintf(stderr, "usage: minimal-host FILE [--quit-at-end]\n");
            return false;
        }
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> document = importer.importFile(argv[1]);
        if (!document) {
            std::fprintf(stderr, "minimal-host: %s\n", importer.getError().utf8_str().data());
            return false;
        }
        // How the document was read, when that is worth knowing (e.g. a text in another
        // encoding than UTF-8).
        if (!importer.getNotice().empty()) {
            std::fprintf(stderr, "minimal-host: %s\n", importer.getNotice().utf8_str().data());
        }
        CHostFrame* frame =
            new CHostFrame(std::move(document), argc > 2 && argv[2] == "--quit-at-end");
        frame->Show();
        if (!frame->startReading()) {
            frame->Destroy();
            return false;
        }
        return true;
    }
};

wxIMPLEMENT_APP(CHostApp);
