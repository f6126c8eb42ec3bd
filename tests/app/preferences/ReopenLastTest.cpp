// Which starts reopen the last document, and which document that is.

#include "preferences/ReopenLast.h"
#include "ReaderOptions.h"
#include "preferences/Preferences.h"

#include <gtest/gtest.h>

namespace {

TEST(ReopenLastTest, OnlyAnAttendedStartWithoutADocumentReopens) {
    const struct {
        const char* name;
        void (*set)(SReaderOptions&, SPreferences&);
        bool reopens;
    } cases[] = {
        {"no options", [](SReaderOptions&, SPreferences&) {}, true},
        {"preference off", [](SReaderOptions&, SPreferences& p) { p.reopenLast = false; }, false},
        {"a document given", [](SReaderOptions& o, SPreferences&) { o.documentPath = "a"; }, false},
        {"--autostart", [](SReaderOptions& o, SPreferences&) { o.autostart = true; }, false},
        {"--exit-when-done", [](SReaderOptions& o, SPreferences&) { o.exitWhenDone = true; },
         false},
        {"--record", [](SReaderOptions& o, SPreferences&) { o.recordPath = "r.tsv"; }, false},
        {"--screenshot", [](SReaderOptions& o, SPreferences&) { o.screenshotPath = "s.png"; },
         false},
        {"--from-start", [](SReaderOptions& o, SPreferences&) { o.fromStart = true; }, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        SReaderOptions options;
        SPreferences preferences;
        row.set(options, preferences);
        EXPECT_EQ(row.reopens, reopensLast(options, preferences));
    }
}

TEST(ReopenLastTest, TheLastDocumentReadIfItsFileIsThere) {
    const wxString sample = FLIT_SAMPLES_DIR "/harbour.txt";
    CLibrary::SDocument there, gone;
    there.path = sample;
    gone.path = sample + ".gone";
    const struct {
        const char* name;
        std::vector<CLibrary::SDocument> documents;
        wxString path, note;
    } cases[] = {
        {"none read", {}, "", ""},
        {"the last is there", {there, gone}, sample, ""},
        {"the last is gone",
         {gone, there},
         "",
         "Not reopened: " + gone.path + " is no longer there"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        wxString note;
        EXPECT_EQ(row.path, lastDocumentPath(row.documents, &note));
        EXPECT_EQ(row.note, note);
    }
}

} // namespace
