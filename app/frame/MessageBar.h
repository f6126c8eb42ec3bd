#ifndef FLIT_APP_MESSAGEBAR_H
#define FLIT_APP_MESSAGEBAR_H

#include <wx/string.h>

class wxInfoBar;
class wxWindow;

// The bar at the top of the reader's window: refusals and warnings that do not interrupt
// reading, one at a time (a new one replaces the last), and notices said once each. A message
// longer than CMessageText::kMessageChars is shown cut.
class CMessageBar {
public:
    explicit CMessageBar(wxWindow* parent);

    wxInfoBar* getBar() const { return bar; }
    // Shows a refusal or warning (a wxICON_ flag), which getShown() then gives as shown.
    void show(const wxString& message, int icon);
    // The refusal or warning shown; empty when the bar is hidden.
    wxString getShown() const;
    // Shows a warning with a button, whose click (a wxEVT_BUTTON of the id, from the bar) is
    // the caller's to handle; the button goes with the warning.
    void offer(const wxString& message, int icon, int buttonId, const wxString& label);
    void dismiss();
    // Shows a notice about how the document is read (a dictionary loading, say) once: again
    // only when it changes; an empty notice hides the bar.
    void sayNotice(const wxString& notice);

private:
    void withdrawOffer();

    wxInfoBar* bar;
    int offered = 0;
    wxString shown;
    wxString notice;
};

#endif
