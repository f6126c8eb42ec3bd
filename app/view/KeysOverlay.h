#ifndef FLIT_APP_KEYSOVERLAY_H
#define FLIT_APP_KEYSOVERLAY_H

#include <wx/window.h>

#include <utility>
#include <vector>

// A panel over the reading view that lists every key of the reader. It does not take the
// keyboard: the frame closes it at the next key, and a click on it closes it too.
class CKeysOverlay : public wxWindow {
public:
    explicit CKeysOverlay(wxWindow* parent);

    // The keys and what each does, in the order shown.
    static const std::vector<std::pair<const char*, const char*>>& keys();

    // Shows the panel centred on area (in the parent's coordinates), shrunk to fit inside it.
    void showOver(const wxRect& area);
    void close();

private:
    void onPaint(wxPaintEvent& event);
    wxSize bestSize(wxDC& dc) const;

    wxFont font;
    wxFont boldFont;
};

#endif
