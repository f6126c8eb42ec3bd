#ifndef FLIT_APP_WINDOWPLACEMENT_H
#define FLIT_APP_WINDOWPLACEMENT_H

#include <wx/gdicmn.h>

#include <cstddef>
#include <vector>

class wxTopLevelWindow;

// A window's rectangle moved onto the display area it overlaps most (the primary one when it
// overlaps none), and shrunk to it where it is larger, so that all of it can be seen. With no
// areas it is left as it is.
wxRect fitToDisplays(const wxRect& window, const std::vector<wxRect>& areas, std::size_t primary);

// Where the reader's window is: its size, position and maximised state, restored at the start
// from the preferences file and saved there when it closes. A place that is no longer on a
// display (one unplugged, a resolution lowered) is brought back onto one; the first start
// centres the default size on the primary display. Full screen is left as the place before it.
class CWindowPlacement {
public:
    // Places window (not yet shown) as it was left.
    explicit CWindowPlacement(wxTopLevelWindow* window);
    CWindowPlacement(const CWindowPlacement&) = delete;
    CWindowPlacement& operator=(const CWindowPlacement&) = delete;

    // Saves where the window is, as the window closes.
    void save();

private:
    // Keeps the window's rectangle while it is neither maximised, full screen nor iconised.
    void follow();

    wxTopLevelWindow* window;
    wxRect normal;
};

#endif
