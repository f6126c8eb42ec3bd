#ifndef FLIT_APP_PAGEPANE_H
#define FLIT_APP_PAGEPANE_H

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <cstddef>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

class wxCDataInfoListNode;

// The pane under the flash that shows the text around the reading position as a page of
// running text: the current word marked in the accent colour, the page scrolled to keep it in
// view, and a click on a word moving reading there.
//
// It costs the flash nothing it would notice: a timer on the GUI thread asks where reading
// stands a few times a second (never for each word shown), and only a window of text around
// that place is laid out, again only once reading nears its ends; between, a change of the
// current word repaints the one or two lines that change.
class CPagePane : public wxWindow {
public:
    // How often, while shown, the pane follows reading.
    static const int kFollowMs = 250;

    explicit CPagePane(wxWindow* parent);

    // The place to follow: asked on each tick of the timer (the word reading stands at; null
    // before one).
    void setPlaceSource(std::function<wxCDataInfoListNode*()> source) {
        placeSource = std::move(source);
    }
    // Called with the word clicked.
    void setMoveHandler(std::function<void(wxCDataInfoListNode*)> handler) {
        moveTo = std::move(handler);
    }
    // The first node of the document shown (null: none). Forgets everything of the one before,
    // whose nodes may be gone: call it before a document is closed, and once the place source
    // gives the new document's places.
    void setDocument(wxCDataInfoListNode* first);
    void setColours(const wxColour& background, const wxColour& text, const wxColour& accent);

    bool Show(bool show = true) override;
    // Follows the place now, as the timer does.
    void follow();

    // The word marked (null: none), and where a word of the text laid out stands in the pane
    // (empty when it is not laid out or scrolled out of view).
    wxCDataInfoListNode* getMarked() const;
    wxRect wordRect(const wxCDataInfoListNode* node) const;
    // Draws the pane into rect (a screenshot).
    void draw(wxDC& dc, const wxRect& rect) const;

private:
    struct SWord {
        wxCDataInfoListNode* node;
        size_t line;
        int x;
        int width;
    };
    struct SLine {
        wxString text;
        size_t firstWord;
    };

    // Lays the text around place out in lines as wide as the pane; marks the word at or after
    // place.
    void layOut(wxCDataInfoListNode* place);
    // The index of the word at node in the text laid out; words.size() when it is not there.
    size_t indexOf(const wxCDataInfoListNode* node) const;
    // Marks the word at index and scrolls to keep it in view: the lines that change repainted.
    void mark(size_t index);
    size_t visibleLines() const;
    wxRect lineRect(size_t line) const;
    void onPaint(wxPaintEvent& event);
    void onClick(wxMouseEvent& event);
    void onWheel(wxMouseEvent& event);

    std::function<wxCDataInfoListNode*()> placeSource;
    std::function<void(wxCDataInfoListNode*)> moveTo;
    wxTimer timer;
    wxFont font;
    int lineHeight = 0;
    wxColour backgroundColour;
    wxColour textColour;
    wxColour accentColour;

    wxCDataInfoListNode* documentStart = nullptr;
    wxCDataInfoListNode* followed = nullptr; // the place last followed
    std::vector<SWord> words;
    std::vector<SLine> lines;
    std::unordered_map<const wxCDataInfoListNode*, size_t> wordAt;
    // Whether the text laid out reaches the document's start and end.
    std::pair<bool, bool> reaches{false, false};
    int laidOutWidth = 0;
    size_t marked = 0; // words.size(): none
    size_t firstLine = 0;
};

#endif
