#ifndef FLIT_APP_OPENINGBAR_H
#define FLIT_APP_OPENINGBAR_H

#include <wx/panel.h>
#include <wx/timer.h>

#include <functional>

class wxGauge;
class wxStaticText;

// The bar that shows, under the message bar, what is opening: its name, a gauge that moves
// (the share read when it is known, else a pulse) and a Cancel button. Hidden between opens.
class COpeningBar : public wxPanel {
public:
    // progress: the share read, in parts of range, or -1 while unknown; asked at each tick.
    COpeningBar(wxWindow* parent, int range, std::function<int()> progress,
                std::function<void()> onCancel);

    void showOpening(const wxString& name);
    void hideOpening();
    // How many times the gauge moved since the bar was shown.
    int getMoves() const { return moves; }

    // How often the gauge moves, in milliseconds.
    static const int kTickMs = 50;

private:
    void onTick();

    wxStaticText* label;
    wxGauge* gauge;
    wxTimer timer;
    std::function<int()> progress;
    int moves = 0;
};

#endif
