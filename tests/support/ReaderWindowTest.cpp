#include "support/ReaderWindowTest.h"

#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/filename.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

bool pumpUntil(const std::function<bool()>& done, std::chrono::seconds deadline) {
    for (const auto end = std::chrono::steady_clock::now() + deadline;
         !done() && std::chrono::steady_clock::now() < end; wxTheApp->Yield(true)) {
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return done();
}

bool pressKey(CReaderFrame* frame, int code, int unicode, int modifiers) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = code;
    key.m_uniChar = static_cast<wxChar>(unicode);
    key.m_controlDown = (modifiers & wxMOD_CONTROL) != 0;
    key.m_altDown = (modifiers & wxMOD_ALT) != 0;
    key.m_shiftDown = (modifiers & wxMOD_SHIFT) != 0;
    return frame->ProcessWindowEvent(key);
}

void ReaderWindowTest::SetUp() {
    folder = wxFileName::CreateTempFileName("flitreader-test");
    wxRemoveFile(folder);
    wxFileName::Mkdir(folder, 0700);
    wxSetEnv("XDG_DATA_HOME", folder);
    wxConfigBase::Set(new wxFileConfig("flitreader", wxEmptyString, folder + "/reader.conf"));
}

void ReaderWindowTest::TearDown() {
    closeFrame();
    delete wxConfigBase::Set(nullptr);
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

void ReaderWindowTest::openFrame(const SReaderOptions& options, const wxString& document) {
    frame = new CReaderFrame(options, std::chrono::steady_clock::now());
    if (!document.empty()) {
        ASSERT_TRUE(frame->openDocument(document, true));
    }
    frame->Show();
}

void ReaderWindowTest::closeFrame() {
    if (frame != nullptr) {
        frame->Close(true);
        frame = nullptr;
    }
    EXPECT_TRUE(pumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
}

wxString ReaderWindowTest::write(const wxString& name, const std::string& bytes) {
    std::ofstream((folder + "/" + name).ToStdString(), std::ios::binary) << bytes;
    return folder + "/" + name;
}

std::string ReaderWindowTest::read(const wxString& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path.ToStdString(), std::ios::binary).rdbuf();
    return bytes.str();
}

bool ReaderWindowTest::reached(CReaderFrame::eReadingState state) {
    return pumpUntil([&] { return frame->getReading() == state; });
}

void ReaderWindowTest::clickStrip(double at) {
    wxWindow* strip = wxWindow::FindWindowByName("progressStrip", frame);
    ASSERT_TRUE(pumpUntil([&] { return strip->GetClientSize().x > 0; }));
    for (const wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
        wxMouseEvent mouse(type);
        mouse.m_x =
            std::min(strip->GetClientSize().x - 1, static_cast<int>(at * strip->GetClientSize().x));
        strip->ProcessWindowEvent(mouse);
    }
}
