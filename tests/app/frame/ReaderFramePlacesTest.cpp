// The places jumps leave, in the real frame: Back after each kind of jump in each state of
// reading.

#include "frame/ReaderFrame.h"
#include "reading/ReadingNavigator.h"

#include "support/ReaderWindowTest.h"
#include "support/TestHost.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

namespace {

// 22 words in two chapters; the second starts at word 11 ("Gulls").
const char* const kText = "Part one. The tide comes in. Boats rise at their moorings.\n\n"
                          "Gulls wait here. The wind turns. Nets dry on the quay.";

// Two sentences on (word 6), in each state, then a jump: Back returns to word 6 exactly, and
// Forward to where the jump went. No events are pumped: a reading engine waits on its first word.
class ReaderFramePlacesTest : public ReaderWindowTest {
protected:
    CZeroTimingTable zeroTiming;
};

TEST_F(ReaderFramePlacesTest, BackReturnsToTheExactWordAfterAJump) {
    openFrame();
    // The word reading stands at, as the frame keeps it (the engine's thread may have moved on
    // if the first word's render was not awaited): the beginning when none was shown.
    const auto place = [this] {
        wxCDataInfoListNode* at = frame->getPlace();
        return at == nullptr ? 0 : CReadingNavigator(frame->getDocument()).wordsBefore(at);
    };
    const auto kStopped = CReaderFrame::eStopped, kPaused = CReaderFrame::ePaused,
               kReading = CReaderFrame::eReading;
    const struct {
        const char* jump; // Home, a click on the strip (at 900), a drag (500 to 900), a chapter
        CReaderFrame::eReadingState state;
        size_t jumpedTo;
    } jumps[] = {
        {"home", kStopped, 0},     {"home", kPaused, 0},     {"home", kReading, 0},
        {"strip", kStopped, 19},   {"strip", kPaused, 19},   {"strip", kReading, 19},
        {"chapter", kStopped, 11}, {"chapter", kPaused, 11}, {"chapter", kReading, 11},
        {"drag", kStopped, 19},
    };
    for (const auto& jump : jumps) {
        SCOPED_TRACE(std::string(jump.jump) + " " + std::to_string(jump.state));
        std::unique_ptr<CDataManager> book =
            CDocumentImporter().importText(kText, CDocumentImporter::ePlainText, folder);
        size_t item = 0, words = 0;
        for (wxCDataInfoListNode* node = book->getFirstNode(); node; node = node->GetNext()) {
            if (node->GetData()->getDataInfoType() == eDITWord && words++ % 11 == 0) {
                book->addContentsEntry(words == 1 ? "Part one" : "Gulls", 1, item);
            }
            ++item;
        }
        frame->openImported(std::move(book), "tides.txt");
        frame->moveBySentence(1);
        frame->moveBySentence(1);
        if (jump.state != kStopped) {
            frame->togglePause();
        }
        if (jump.state == kPaused) {
            frame->pauseReading();
        }
        const std::string kind = jump.jump;
        if (kind == "home") {
            frame->startFromBeginning();
        } else if (kind == "chapter") {
            frame->goToChapter(1);
        } else {
            frame->seekTo(kind == "drag" ? 500 : 900);
            frame->seekTo(900, kind == "drag");
        }
        EXPECT_EQ(jump.jumpedTo, place());
        // Home starts reading; the other jumps leave reading as it was.
        EXPECT_EQ(kind == "home" ? kReading : jump.state, frame->getReading());
        frame->goBack();
        EXPECT_EQ(6u, place());
        frame->goForward();
        EXPECT_EQ(jump.jumpedTo, place());
    }
}

} // namespace
