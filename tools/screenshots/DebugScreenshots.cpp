// Takes a picture of each page of the debug dialog, as the README shows them (`make screenshots`
// runs it, under a virtual display):
//
//   xvfb-run -a -s "-screen 0 1600x1200x24" build/tools/screenshots/debug-screenshots docs
//
// writes debug-dialog-timing.png and debug-dialog-metrics.png into the folder given (the
// current folder by default). The metrics page shows a real reading of a short text at the
// default speed, so the program takes a few seconds.

#include "WindowPicture.h"

#include <flitengine/debug/FEDebugDlg.h>

#include "support/TestHost.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/notebook.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

const char* const kText = "The harbour lights came on one by one as the last ferry turned "
                          "slowly past the breakwater and into the calm of the inner basin.";

// Lets GTK map, size, lay out and paint what was shown: painting follows GTK's frame clock,
// so this takes a little real time.
void settle(CTestHost& host) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < end) {
        wxTheApp->Yield(true);
        host.pumpFor(std::chrono::milliseconds(10));
    }
}

// Copies what the window shows into a PNG file.
bool capture(wxWindow* window, const wxString& path) {
    const wxImage picture = windowPicture(window);
    return picture.IsOk() && picture.SaveFile(path, wxBITMAP_TYPE_PNG);
}

// Reads the text through a real engine at the default speed and stops, so that the metrics
// hold a completed reading.
bool readText(CTestHost& host, CDataManager& document, CFlitManager& engine) {
    wxCDataInfoListNode* first = nullptr;
    std::istringstream words(kText);
    for (std::string word; words >> word;) {
        if (first != nullptr) {
            document.appendSpace();
        }
        wxCDataInfoListNode* node = document.appendWord(word.c_str());
        if (first == nullptr) {
            first = node;
        }
    }
    host.attach(&engine);
    if (!engine.initialize(&document, host.mainFrame(), host.flitView(), host.assessmentView())) {
        return false;
    }
    host.send(engine, EVT_FLIT_COMMAND_START_MSG, first);
    if (!host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) == 1; },
                      std::chrono::seconds(60))) {
        return false;
    }
    host.send(engine, EVT_FLIT_COMMAND_STOP_MSG);
    return true;
}

int takeScreenshots(const wxString& folder) {
    CTestHost host;
    CDataManager document;
    CFlitManager engine;
    if (!readText(host, document, engine)) {
        std::fprintf(stderr, "the reading did not complete\n");
        return 1;
    }

    CFEDebugDlg* dialog = new CFEDebugDlg;
    dialog->initialize(&engine);
    dialog->Move(40, 40);
    int result = 0;
    const char* const pictures[] = {"debug-dialog-timing.png", "debug-dialog-metrics.png"};
    wxNotebook* notebook = wxDynamicCast(dialog->FindWindow("notebook"), wxNotebook);
    for (size_t page = 0; page < notebook->GetPageCount(); ++page) {
        // The dialog opens on each page in turn: switching pages in an open dialog would move
        // the focus into the new page and show it in the picture.
        notebook->SetSelection(page);
        dialog->Show();
        settle(host);
        const wxString path = wxFileName(folder, pictures[page]).GetFullPath();
        if (capture(dialog, path)) {
            std::printf("%s\n", static_cast<const char*>(path.utf8_str()));
        } else {
            std::fprintf(stderr, "cannot write %s\n", static_cast<const char*>(path.utf8_str()));
            result = 1;
        }
        dialog->Hide();
    }
    delete dialog;
    host.attach(nullptr);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    const wxString folder = argc > 1 ? wxString::FromUTF8(argv[1]) : wxString(".");
    // The folder is ours: the toolkit sees only the program name.
    int toolkitArgc = 1;
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(toolkitArgc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: is there a display? (try xvfb-run -a)\n");
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    const int result = takeScreenshots(folder);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
