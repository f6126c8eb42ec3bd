// The session recorder writes what was read to a real library, and takes positions back.

#include "library/SessionRecorder.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <fstream>

namespace {

TEST(SessionRecorderTest, RecordsPositionsAndSessionsOfDocumentsFromFiles) {
    const wxString folder = wxFileName::CreateTempFileName("flit-sessions");
    wxRemoveFile(folder);
    wxFileName::Mkdir(folder, 0700);
    const wxString document = folder + "/tide.txt";
    std::ofstream(document.ToStdString()) << "The tide comes in.";
    const wxString path = folder + "/library.sqlite3";
    const wxDateTime since(1, wxDateTime::Jan, 2000);
    {
        CSessionRecorder recorder(path);
        long long position = -1;
        {
            wxLogNull quiet; // the missing file is the point
            EXPECT_FALSE(recorder.opened(folder + "/gone.txt", "Gone", 4, &position));
        }
        EXPECT_FALSE(recorder.recordsDocument());
        ASSERT_TRUE(recorder.opened(document, "Tide", 4, &position));
        EXPECT_EQ(0, position);
        const struct {
            int from;          // the words shown when a session began; -1: none began
            size_t wordsShown; // when reading stopped
            long long position;
            size_t sessions; // recorded so far
        } stops[] = {
            {0, 3, 3, 1},
            {-1, 3, -1, 1}, // no session: only the position, here none
            {3, 3, 2, 1},   // a session that showed nothing is not recorded
            {3, 4, 4, 2},
        };
        for (const auto& stop : stops) {
            SCOPED_TRACE(stop.position);
            if (stop.from >= 0) {
                recorder.beginSession(static_cast<size_t>(stop.from));
            }
            recorder.stopped(stop.wordsShown, stop.position);
            EXPECT_EQ(stop.sessions, recorder.getLibrary()->sessionsSince(since).size());
        }
        const std::vector<CLibrary::SSession> sessions =
            recorder.getLibrary()->sessionsSince(since);
        EXPECT_EQ(3, sessions[0].wordsShown);
        EXPECT_EQ(1, sessions[1].wordsShown);
        EXPECT_EQ("", recorder.takeProblem());
        recorder.forget();
        EXPECT_FALSE(recorder.recordsDocument());
    }
    // (Opened again, a document resumes where it was: LibraryTest, through the frame.)
    // A library that cannot be opened says so once, and records nothing.
    long long position = -1;
    CSessionRecorder broken(folder);
    EXPECT_TRUE(broken.opened(document, "Tide", 4, &position));
    EXPECT_FALSE(broken.takeProblem().empty());
    EXPECT_EQ("", broken.takeProblem());
    broken.reopen();
    EXPECT_FALSE(broken.takeProblem().empty());
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

} // namespace
