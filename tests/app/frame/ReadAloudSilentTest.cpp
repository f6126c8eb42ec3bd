// Read Aloud where no audio output can be had: the reader says so once and reads at the timing
// rules' pace, every word shown, nothing spoken.

#include "frame/ReaderStatus.h"
#include "support/ReaderWindowTest.h"

#include <gtest/gtest.h>

namespace {

class ReadAloudSilentTest : public ReaderWindowTest {};

TEST_F(ReadAloudSilentTest, WithoutAudioTheReaderSaysSoAndReadsAtTheRulesPace) {
    SReaderOptions options;
    options.readAloud = true;
    options.wpm = 600;
    openFrame(options);
    wxString error;
    ASSERT_TRUE(frame->openRecord(folder + "/record.tsv", &error)) << error;
    ASSERT_TRUE(frame->openDocument(write("quiet.txt", "No voice is heard here, yet every "
                                                       "word still flashes in its turn."),
                                    true));
    EXPECT_EQ("No audio output is available: reading on silently",
              frame->getStatusText(CReaderFrame::kChapterField));
    EXPECT_EQ("Read Aloud: no audio output", frame->getStatusText(eFieldAchieved));
    frame->togglePause();
    ASSERT_TRUE(reached(CReaderFrame::eFinished));
    const std::string record = read(folder + "/record.tsv");
    EXPECT_EQ(std::string::npos, record.find("\tspeech\t"));
    EXPECT_NE(std::string::npos, record.find("\tWORD\tturn.\t"));
}

} // namespace
