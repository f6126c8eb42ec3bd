// Read Aloud end to end: the reader's window speaking through a real sound server (the
// PulseAudio null sink the speech_audio fixture starts; PULSE_SERVER names it), its record
// compared with the words of the document.

#include "frame/ReaderStatus.h"
#include "support/EpubFixture.h"
#include "support/ReaderWindowTest.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// One line of the reader's record.
struct SLine {
    std::string window;
    std::string type;
    std::string text;
};

std::vector<SLine> recordLines(const std::string& bytes) {
    std::vector<SLine> lines;
    std::istringstream in(bytes);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        if (fields.size() >= 4) {
            lines.push_back({fields[1], fields[2], fields[3]});
        }
    }
    return lines;
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

const char* const kText = "Gulls cried over the quay. The keeper climbed his stair, lit the "
                          "lamp and watched the boats come home.";

class ReadAloudTest : public ReaderWindowTest {
protected:
    // A frame reading aloud, its record kept, with the document open.
    void openReadingAloud(const wxString& document) {
        SReaderOptions options;
        options.readAloud = true;
        options.wordLength = SReaderOptions::kMaxWordLength;
        options.wordLengthGiven = true;
        openFrame(options);
        wxString error;
        ASSERT_TRUE(frame->openRecord(folder + "/record.tsv", &error)) << error;
        ASSERT_TRUE(frame->openDocument(document, true));
    }
    std::vector<SLine> record() { return recordLines(read(folder + "/record.tsv")); }
    size_t count(const char* type) {
        size_t found = 0;
        for (const SLine& line : record()) {
            found += line.type == type ? 1 : 0;
        }
        return found;
    }
};

// Every word is flashed once, in order, and only once the voice has said it.
TEST_F(ReadAloudTest, EachWordFlashesOnceInOrderAfterTheVoiceSaysIt) {
    const std::string chapter = "<p>The fish market opened at dawn. Buyers shouted prices across "
                                "the wet stones.</p>";
    const struct {
        const char* name;
        std::string bytes;
        std::string words;
    } cases[] = {
        {"quay.txt", kText, kText},
        {"market.epub", flitZipBytes(flitEpubEntries("Market", {chapter}, "c1")),
         "The fish market opened at dawn. Buyers shouted prices across the wet stones."},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        openReadingAloud(write(test.name, test.bytes));
        ASSERT_TRUE(frame->getStatusText(eFieldAchieved).StartsWith("Reading aloud: "));
        frame->togglePause();
        ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; },
                              std::chrono::seconds(90)));
        std::vector<std::string> flashed;
        std::vector<std::string> spoken;
        for (const SLine& line : record()) {
            if (line.type == "SPOKEN") {
                spoken.push_back(line.text);
            } else if (line.window == "view" && line.type == "WORD" && !line.text.empty()) {
                // Said before it is shown: the voice leads, the flash follows.
                EXPECT_EQ(spoken.size(), flashed.size() + 1) << line.text;
                flashed.push_back(line.text);
            }
        }
        EXPECT_EQ(wordsOf(test.words), flashed);
        EXPECT_EQ(flashed, spoken);
        closeFrame();
    }
}

// A pause silences the voice, and continue speaks again from the word where it stopped.
TEST_F(ReadAloudTest, PauseSilencesTheVoiceAndContinueSpeaksFromTheWordShown) {
    openReadingAloud(write("quay.txt", kText));
    frame->togglePause();
    ASSERT_TRUE(pumpUntil([&] { return count("SPOKEN") >= 3; }, std::chrono::seconds(30)));
    frame->pauseReading();
    ASSERT_TRUE(reached(CReaderFrame::ePaused));
    const std::vector<SLine> atPause = record();
    std::string shown;
    for (const SLine& line : atPause) {
        if (line.window == "view" && line.type == "WORD" && !line.text.empty()) {
            shown = line.text;
        }
    }
    frame->continueReading();
    ASSERT_TRUE(pumpUntil([&] { return frame->getReading() == CReaderFrame::eFinished; },
                          std::chrono::seconds(90)));
    // Nothing more of the silenced sentence is heard; the next one begins at the word shown.
    const std::vector<SLine> lines = record();
    ASSERT_GT(lines.size(), atPause.size());
    size_t next = atPause.size();
    while (next < lines.size() && lines[next].type != "SPEECH") {
        EXPECT_NE("SPOKEN", lines[next].type) << lines[next].text;
        ++next;
    }
    ASSERT_LT(next, lines.size());
    EXPECT_EQ(shown, lines[next].text);
}

} // namespace
