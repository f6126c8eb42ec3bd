// The record of the engine's events: one escaped, tab-separated line per event.

#include "reading/EventRecorder.h"

#include <flitengine/engine/FlitCommandEvent.h>

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <chrono>
#include <fstream>
#include <string>

namespace {

TEST(EventRecorderTest, WritesOneEscapedLinePerEvent) {
    const wxString path = wxFileName::CreateTempFileName("flitrecord");
    {
        CEventRecorder recorder(std::chrono::steady_clock::now());
        wxString error;
        ASSERT_TRUE(recorder.open(path, &error)) << error;
        CFlitCommandEvent word(EVT_FLIT_COMMAND_WORD_MSG);
        word.text = "tab\there\\new\nline";
        recorder.record("view", word);
        CFlitCommandEvent colour(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
        colour.colour = wxColour(200, 50, 40);
        colour.number = 1;
        recorder.record("frame", colour);
    }
    std::ifstream in(path.ToStdString());
    std::string header, first, second;
    std::getline(std::getline(std::getline(in, header), first), second);
    EXPECT_EQ("t_ms\twindow\ttype\ttext\tnumber\tcolour", header);
    EXPECT_NE(std::string::npos, first.find("\tview\tWORD\ttab\\there\\\\new\\nline\t-1\t"));
    EXPECT_NE(std::string::npos, second.find("\tframe\tTEXT_COLOUR\t\t1\t#c83228"));
    // Milliseconds with three decimals.
    EXPECT_EQ('.', first[first.find('\t') - 4]);
    EXPECT_STREQ("UNKNOWN", CEventRecorder::typeName(-12345));
    wxRemoveFile(path);
}

} // namespace
