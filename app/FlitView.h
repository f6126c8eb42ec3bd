#ifndef FLIT_APP_FLITVIEW_H
#define FLIT_APP_FLITVIEW_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <vector>

// The window in which words are flashed: the chunk centred in a large font, on the default
// background or a picture scaled to fit, with the page number and speed in the corners. While
// reading is paused or stopped it shows the sentence around the current word instead, with that
// word marked; at the end it shows a summary.
class CFlitView : public wxWindow {
public:
    explicit CFlitView(wxWindow* parent);

    void showChunk(const wxString& text);
    void setTextColour(const wxColour& colour);
    void resetTextColour();
    void setBold(bool on);
    void setHighlight(bool on);
    void showDefaultBackground();
    // False (and the default background shown) when the file is not a picture it can read.
    bool showBackgroundImage(const wxString& path);
    void setPageNumber(int page);
    void setSpeed(int wordsPerMinute);
    // A short note in the lower corner for a moment (note and dogear references).
    void flashMarker(const wxString& marker);
    void showContext(const std::vector<wxString>& words, int marked);
    void showMessage(const wxString& title, const wxString& detail);
    // Back to flashing: no context, no message.
    void clearOverlay();

    // Paints now rather than at the next idle time, so a word is on screen when this returns.
    void renderNow();

    const wxString& getChunk() const { return chunk; }
    const wxString& getMessageDetail() const { return messageDetail; }
    // The view as it looks now, drawn off screen.
    wxBitmap snapshot();

private:
    void onPaint(wxPaintEvent& event);
    void onSize(wxSizeEvent& event);
    void draw(wxDC& dc);
    void drawBackground(wxDC& dc, const wxSize& size);
    void drawCorners(wxDC& dc, const wxSize& size);
    void drawContext(wxDC& dc, const wxSize& size);
    // Where the chunk is drawn (highlight included).
    wxRect chunkRect(const wxString& text) const;

    // Made once: building fonts at every paint costs more than the drawing.
    wxFont wordFont;
    wxFont boldWordFont;
    wxFont contextFont;
    wxFont boldContextFont;
    wxFont cornerFont;

    wxString chunk;
    wxColour textColour;
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
    wxString messageTitle;
    wxString messageDetail;
};

#endif
