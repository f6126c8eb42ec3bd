#ifndef FLIT_APP_FLITVIEW_H
#define FLIT_APP_FLITVIEW_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

// The window in which words are flashed, on the background colour or a picture scaled to fit,
// with the page number and speed in the corners. Each chunk is placed so that its recognition
// letter, drawn in an accent colour, stands at the same place between two guide marks (or, with
// the fixation point off, the chunk is centred). While reading is paused or stopped it shows the
// sentence around the current word instead, with that word marked (a sentence of a right-to-left
// script, Hebrew or Arabic, runs from the right, as a flashed word of one does); messages (the
// empty view's hint, why the document holds reading, the end's summary) show centred.
// Everything shown fits the window: a font shrinks for what would not fit, down to a readable
// size, and what still does not fit is cut with an ellipsis.
class CFlitView : public wxWindow {
public:
    // The smallest type anything is shrunk to.
    static constexpr int kMinPointSize = 10;
    // Where the recognition letter's middle stands, as a part of the view's width.
    static constexpr double kFixationPlace = 0.4;
    // The size of the corners' notes.
    static constexpr int kCornerPointSize = 11;

    explicit CFlitView(wxWindow* parent);

    void showChunk(const wxString& text);
    // The document's colour for the words that follow; resetTextColour goes back to the
    // theme's.
    void setTextColour(const wxColour& colour);
    void resetTextColour();
    void setBold(bool on);
    void setHighlight(bool on);
    void showDefaultBackground();
    // False (and the default background shown) when the file is not a picture it can read.
    bool showBackgroundImage(const wxString& path);
    // The page shown in the upper corner (0: none).
    void setPageNumber(int page);
    int getPageNumber() const { return pageNumber; }
    void setSpeed(int wordsPerMinute);
    // A short note in the lower corner for a moment (note and dogear references).
    void flashMarker(const wxString& marker);
    // cutBefore, cutAfter: the words stop short of the sentence's start or end, which an
    // ellipsis marks.
    void showContext(const std::vector<wxString>& words, int marked, bool cutBefore = false,
                     bool cutAfter = false);
    void showMessage(const wxString& title, const wxString& detail);
    // The empty view's message: how to open something to read.
    void showHint();
    // Says why reading waits (over the picture, if one shows) and how to go on.
    void showHold(const wxString& reason);
    // Back to flashing: no context, no message.
    void clearOverlay();

    // How the reader looks: the fixation point and its colour, the theme's colours (background,
    // words, and the dim colour of the corners and guide marks) and the flashed word's font
    // (the paused sentence and the corners use its face at their own sizes).
    void setFixationEnabled(bool on);
    bool getFixationEnabled() const { return fixationEnabled; }
    void setFixationColour(const wxColour& colour);
    const wxColour& getFixationColour() const { return fixationColour; }
    void setColours(const wxColour& background, const wxColour& word, const wxColour& dim);
    const wxColour& getBackgroundColour() const { return backgroundColour; }
    void setWordFont(const wxFont& font);

    // The words before and after the flash, drawn on either side of each chunk in the theme's
    // faint colour while shown, cut with an ellipsis where they meet the edge; the chunk keeps
    // its place. Empty: none on that side.
    void setNeighboursShown(bool on);
    bool getNeighboursShown() const { return neighboursShown; }
    void setNeighbourWords(const wxString& before, const wxString& after);
    void setFaintColour(const wxColour& colour);

    // Paints now rather than at the next idle time, so a word is on screen when this returns.
    void renderNow();
    // Draws, ahead of time and off screen, a chunk likely to be shown soon with the words beside
    // it, so that showing it then costs a copy rather than its drawing (FlitViewFlash.cpp).
    void prepareChunk(const wxString& text, const wxString& before, const wxString& after);
    // Any repaint of the band drops the chunks drawn ahead, since what they were drawn with may
    // have changed (colours, fonts, the size, the picture behind).
    void Refresh(bool eraseBackground = true, const wxRect* rect = nullptr) override;

    const wxString& getChunk() const { return chunk; }
    const wxString& getMessageTitle() const { return messageTitle; }
    const wxString& getMessageDetail() const { return messageDetail; }
    // The view as it looks now, drawn off screen.
    wxBitmap snapshot();

private:
    void onPaint(wxPaintEvent& event);
    void onSize(wxSizeEvent& event);

    // How a chunk is put on screen (FlitViewFlash.cpp).
    // Whether presentChunk can: shown on an X display, no overlay, the band inside the window.
    bool canPresentChunk();
    // Shows the chunk by copying its band, drawn ahead or now, straight to the window, without
    // a paint; false when it cannot, and the band is to be painted.
    bool presentChunk();
    // Asks for a paint of the band.
    void refreshBand();
    bool chunkPending = false;  // shown since the last render
    bool presentQueued = false; // a render after showChunk is queued

    // Drawing (FlitViewDrawing.cpp).
    // area is what the paint redraws; empty when everything is (a snapshot).
    void draw(wxDC& dc, const wxRect& area = wxRect());
    void drawBackground(wxDC& dc, const wxSize& size);
    void drawCorners(wxDC& dc, const wxSize& size);
    void drawChunk(wxDC& dc, const wxSize& size);
    // Beside the chunk drawn at place, between left and right (FlitViewNeighbours.cpp).
    void drawNeighbours(wxDC& dc, const wxRect& place, bool rightToLeft, int left, int right);
    void drawGuideMarks(wxDC& dc, const wxSize& size);
    void drawContext(wxDC& dc, const wxSize& size);
    void drawMessage(wxDC& dc, const wxSize& size);
    // The band across the view in which chunks are drawn, highlight included.
    wxRect chunkBand() const;
    // The word font's face at a size, made once per size.
    const wxFont& fontAt(int pointSize, bool bold);
    // The words of the paused sentence as lines that fit width; words too long for a line
    // are cut with an ellipsis.
    std::vector<std::vector<std::pair<size_t, wxString>>> wrapContext(wxDC& dc, int pointSize,
                                                                      int width);

    wxFont wordFont;
    int wordPointSize;
    int wordHeight;       // of a line of the word font at its full size
    int cornerLineHeight; // of a line of the corners' notes
    std::map<std::pair<int, bool>, wxFont> fonts;

    bool fixationEnabled = true;
    wxColour fixationColour;
    wxColour backgroundColour;
    wxColour wordColour;
    wxColour dimColour;
    wxColour faintColour;
    bool neighboursShown = false;
    wxString neighbourBefore;
    wxString neighbourAfter;

    wxString chunk;
    wxColour documentColour; // the document's colour for the words; not Ok when it set none
    bool bold = false;
    bool highlight = false;
    wxImage backgroundImage;
    wxBitmap scaledBackground; // backgroundImage fitted to the window; rebuilt on resize
    int pageNumber = 0;
    int speed = 0;
    wxString marker;
    wxTimer markerTimer;
    std::vector<wxString> contextWords;
    int contextMarked = -1;
    std::pair<bool, bool> contextCut; // before, after
    wxString messageTitle;
    wxString messageDetail;
    // The bands drawn ahead, on the display server (FlitViewFlash.cpp).
    // (Shared only so that this header need not say what they are.)
    class CBands;
    std::shared_ptr<CBands> bands;
};

#endif
