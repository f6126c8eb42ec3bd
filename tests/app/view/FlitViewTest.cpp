// The flash view as a reader sees it: real windows, measured in the pixels they draw.

#include "view/FlitView.h"
#include "view/Fixation.h"

#include <flitengine/outside/Utf8.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <functional>
#include <string>

#ifdef __WXGTK3__
#include <gtk/gtk.h>
#endif

namespace {

// The first and last columns with a pixel of the colour (near it, when near) or, when unlike,
// with a pixel other than it; first > last when there is none.
std::pair<int, int> columnsOf(const wxImage& image, const wxColour& colour, bool unlike) {
    const int kNear = 40;
    std::pair<int, int> found(image.GetWidth(), -1);
    for (int x = 0; x < image.GetWidth(); ++x) {
        for (int y = 0; y < image.GetHeight(); ++y) {
            const int distance = std::abs(image.GetRed(x, y) - colour.Red()) +
                                 std::abs(image.GetGreen(x, y) - colour.Green()) +
                                 std::abs(image.GetBlue(x, y) - colour.Blue());
            if (unlike ? distance > 0 : distance < kNear) {
                found = {std::min(found.first, x), std::max(found.second, x)};
            }
        }
    }
    return found;
}

class FlitViewTest : public testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "view");
        view = new CFlitView(frame);
        frame->SetClientSize(720, 300);
        view->clearOverlay();
        frame->Show();
        wxTheApp->Yield(true);
    }
    void TearDown() override { frame->Destroy(); }
    // The columns the view draws in (other than its background), or draws the colour in.
    std::pair<int, int> drawn(const wxColour& colour = wxNullColour) {
        const wxImage image = view->snapshot().ConvertToImage();
        return columnsOf(image, colour.IsOk() ? colour : view->getBackgroundColour(),
                         !colour.IsOk());
    }
    wxFrame* frame = nullptr;
    CFlitView* view = nullptr;
};

} // namespace

TEST_F(FlitViewTest, RecognitionLetterStaysInOneColumn) {
    const struct {
        const char* chunk;
        const char* letter;
    } words[] = {
        // clang-format off
        // One letter to eighteen; punctuation and the hyphen of a split word not counted.
        {"a", "a"}, {"tide", "i"}, {"moorings", "o"}, {"\u201Charbour,\u201D", "r"},
        {"lighthouse-", "h"}, {"unconstitutionally", "n"},
        // Combining accents, Cyrillic, Greek, Japanese: counted as the letters a reader sees.
        {"re\u0301sume\u0301", "s"}, {"\u041F\u0440\u0438\u0432\u0435\u0442", "\u0438"},
        {"\u03B8\u03AC\u03BB\u03B1\u03C3\u03C3\u03B1", "\u03BB"},
        {"\u6D77\u306E\u5411\u3053\u3046", "\u306E"},
        // Right to left: Hebrew, a Hebrew word before a comma, Arabic (shaped whole).
        {"\u05E1\u05E4\u05E8\u05D9\u05DD", "\u05E4"}, {"\u05E9\u05DC\u05D5\u05DD,", "\u05DC"},
        {"\u0627\u0644\u0643\u062A\u0627\u0628", "\u0643"},
        // clang-format on
    };
    for (const auto& word : words) {
        SCOPED_TRACE(word.chunk);
        EXPECT_EQ(wxString::FromUTF8(word.letter),
                  CFixation::split(wxString::FromUTF8(word.chunk)).letter);
        view->showChunk(wxString::FromUTF8(word.chunk));
        const std::pair<int, int> letter = drawn(view->getFixationColour());
        ASSERT_LE(letter.first, letter.second);
        const int middle = (letter.first + letter.second) / 2;
        EXPECT_NEAR(view->GetClientSize().x * CFlitView::kFixationPlace, middle, 2);
        // A word of a right-to-left script begins at the right: more of it is left of its letter.
        const std::pair<int, int> ink = drawn();
        EXPECT_EQ(CUtf8::isRightToLeft(word.chunk, wxStrlen(word.chunk)),
                  middle - ink.first > ink.second - middle);
    }
}

// The words beside the flash leave the recognition letter where it was, in either direction of
// script, and draw on both sides of the chunk.
TEST_F(FlitViewTest, NeighboursLeaveTheFixationWhereItWas) {
    const char* chunks[] = {"moorings", "a", "\u05E1\u05E4\u05E8\u05D9\u05DD"};
    for (const char* chunk : chunks) {
        SCOPED_TRACE(chunk);
        view->setNeighboursShown(false);
        view->showChunk(wxString::FromUTF8(chunk));
        const std::pair<int, int> letter = drawn(view->getFixationColour()), ink = drawn();
        view->setNeighboursShown(true);
        view->setNeighbourWords("the", "lay");
        view->showChunk(wxString());
        view->showChunk(wxString::FromUTF8(chunk));
        EXPECT_EQ(letter, drawn(view->getFixationColour()));
        const std::pair<int, int> beside = drawn();
        EXPECT_LT(beside.first, ink.first - 20);
        EXPECT_GT(beside.second, ink.second + 20);
    }
}

// What would not fit a small window is shrunk, then cut: nothing is drawn at its edges.
TEST_F(FlitViewTest, EverythingFitsASmallWindow) {
    const wxString longWord =
        wxString::FromUTF8("Hafendampfschifffahrtsgesellschaftskapit\u00E4nswitwenrenten");
    const struct {
        const char* name;
        std::function<void()> show;
    } shows[] = {
        {"word", [&] { view->showChunk(longWord); }},
        {"centred word", [&] { view->setFixationEnabled(false), view->showChunk(longWord); }},
        {"sentence", [&] { view->showContext(std::vector<wxString>(40, longWord), 20); }},
        {"hint", [&] { view->showHint(); }},
        {"hold", [&] { view->showHold(longWord + " " + longWord); }},
    };
    frame->SetClientSize(480, 200);
    for (const auto& show : shows) {
        SCOPED_TRACE(show.name);
        show.show();
        const std::pair<int, int> columns = drawn();
        EXPECT_GT(columns.second - columns.first, view->GetClientSize().x / 2);
        EXPECT_GT(columns.first, 4);
        EXPECT_LT(columns.second, view->GetClientSize().x - 5);
    }
}

// A paused sentence cut short shows an ellipsis at the side it goes on, in either direction of
// script: more ink, and the marked word moved by it when it comes first.
TEST_F(FlitViewTest, ACutSentenceShowsWhereItGoesOn) {
    const struct {
        const char* word;
        bool before, after;
        int markedMoves; // -1 left, 1 right
    } cuts[] = {
        {"tide", true, false, 1},
        {"tide", false, true, 0},
        {"\u05D2\u05DC", true, false, -1},
        {"\u05D2\u05DC", false, true, 0},
    };
    for (const auto& cut : cuts) {
        SCOPED_TRACE(std::string(cut.word) + (cut.before ? " before" : " after"));
        const std::vector<wxString> words(3, wxString::FromUTF8(cut.word));
        view->showContext(words, 1);
        const std::pair<int, int> whole = drawn(), word = drawn(view->getFixationColour());
        view->showContext(words, 1, cut.before, cut.after);
        const std::pair<int, int> shown = drawn(), marked = drawn(view->getFixationColour());
        EXPECT_GT(shown.second - shown.first, whole.second - whole.first);
        EXPECT_EQ(cut.markedMoves, (marked.first > word.first) - (marked.first < word.first));
    }
}

#ifdef __WXGTK3__
// A chunk drawn ahead and then shown is copied to the window as it was drawn: whatever changed
// the view's look in between must show in it, just as the view's own paint draws it.
TEST_F(FlitViewTest, AChunkDrawnAheadShowsAsThePaintDrawsIt) {
    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"nothing", [] {}},
        {"theme", [&] { view->setColours(*wxWHITE, *wxBLACK, *wxLIGHT_GREY); }},
        {"font", [&] { view->setWordFont(wxFont(wxFontInfo(30).Family(wxFONTFAMILY_ROMAN))); }},
        {"size", [&] { frame->SetClientSize(600, 260), wxTheApp->Yield(true); }},
        {"no fixation", [&] { view->setFixationEnabled(false); }},
        {"bold", [&] { view->setBold(true); }},
        {"neighbours",
         [&] { view->setNeighboursShown(true), view->setNeighbourWords("the", "lay"); }},
    };
    // The window's pixels as the display server holds them.
    const auto onScreen = [this] {
        GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(
            view->GTKGetDrawingWindow(), 0, 0, view->GetClientSize().x, view->GetClientSize().y);
        const std::string pixels(reinterpret_cast<const char*>(gdk_pixbuf_read_pixels(pixbuf)),
                                 gdk_pixbuf_get_byte_length(pixbuf));
        g_object_unref(pixbuf);
        return pixels;
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        view->showChunk("harbour");
        view->renderNow();
        view->prepareChunk("lighthouse", "the", "lay");
        change.change();
        view->showChunk("lighthouse");
        view->renderNow();
        const std::string shown = onScreen();
        view->Refresh();
        view->Update();
        EXPECT_TRUE(shown == onScreen());
    }
}
#endif
