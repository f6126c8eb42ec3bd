#ifndef FLIT_APP_SCREENSHOT_H
#define FLIT_APP_SCREENSHOT_H

#include <wx/string.h>

class CFlitView;
class CPagePane;
class CProgressStrip;
class wxFrame;

// PNG pictures of the reader's window as it looks, drawn from its windows themselves rather
// than read back from the screen: that needs no compositor and works the same under a virtual
// display.
class CScreenshot {
public:
    CScreenshot(wxFrame* frame, CFlitView* view, CPagePane* page, CProgressStrip* progress);

    // False with a message when the file cannot be written.
    bool save(const wxString& path, wxString* error);
    // The window closes: the screenshot asked for is taken unless one was already; a fault is
    // said on standard error.
    void takeAtClose(const wxString& path);

private:
    wxFrame* frame;
    CFlitView* view;
    CPagePane* page;
    CProgressStrip* progress;
    bool taken = false;
};

#endif
