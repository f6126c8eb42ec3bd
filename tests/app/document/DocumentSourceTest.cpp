// The document source: where a document comes from, read and prepared by the line-break rule
// chosen.

#include "document/DocumentSource.h"
#include "document/PreparedDocument.h"

#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <fstream>

namespace {

TEST(DocumentSourceTest, ReadsOriginsByTheLineBreakRuleAndRefusesBadOnes) {
    const wxString folder = wxFileName::CreateTempFileName("flit-source");
    wxRemoveFile(folder);
    wxFileName::Mkdir(folder, 0700);
    const struct {
        const char* name; // null: the clipboard's text
        const char* text;
        bool keep;
        int newlines;   // the newline items read
        bool readAgain; // a change of the rule reads it again
    } origins[] = {
        {"tide.txt", "One\ntwo\n\nthree", false, 1, true},
        {"tide.txt", "One\ntwo\n\nthree", true, 3, true},
        {"tide.flit", "One two.", false, 0, false},
        {nullptr, "Pasted\nwords.", true, 1, true},
    };
    for (const auto& origin : origins) {
        SCOPED_TRACE(origin.text);
        SDocumentOrigin from = SDocumentOrigin::clipboard(origin.text);
        if (origin.name != nullptr) {
            const wxString path = folder + "/" + origin.name;
            std::ofstream(path.ToStdString(), std::ios::binary) << origin.text;
            from = SDocumentOrigin::file(path);
            EXPECT_EQ(path, from.refusedName());
        }
        CDocumentSource source(origin.keep);
        SPrepareRules rules;
        rules.keepLineBreaks = origin.keep;
        SPreparedDocument prepared = SPreparedDocument::prepare(from, rules, {});
        const std::unique_ptr<CDataManager>& document = prepared.document;
        ASSERT_NE(nullptr, document);
        int newlines = 0;
        for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
            newlines += node->GetData()->getDataInfoType() == eDITNewline ? 1 : 0;
        }
        EXPECT_EQ(origin.newlines, newlines);
        // Known by the file's bytes (its words counted: the frame's tests).
        EXPECT_EQ(origin.name != nullptr, !prepared.hash.empty());
        source.adopt(prepared.origin);
        EXPECT_EQ(origin.readAgain, source.setKeepLineBreaks(!origin.keep));
    }
    // A file that cannot be read is refused (a bad one, in the frame's tests).
    EXPECT_NE(
        "", SPreparedDocument::prepare(SDocumentOrigin::file(folder + "/gone.txt"), {}, {}).error);
    // A progress handler that says no abandons the preparing.
    const SPreparedDocument cancelled = SPreparedDocument::prepare(
        SDocumentOrigin::clipboard("Words."), {}, [](size_t, size_t) { return false; });
    EXPECT_EQ(nullptr, cancelled.document);
    EXPECT_EQ(SImportContext::kCancelled, cancelled.error);
    EXPECT_EQ("the clipboard's text", SDocumentOrigin::clipboard("x").refusedName());
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

} // namespace
