#include "frame/Screenshot.h"

#include "view/FlitView.h"
#include "view/PagePane.h"
#include "view/ProgressStrip.h"

#include <flitengine/outside/MessageText.h>

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/statusbr.h>

#include <cstdio>

CScreenshot::CScreenshot(wxFrame* readerFrame, CFlitView* flitView, CPagePane* pagePane,
                         CProgressStrip* strip)
    : frame(readerFrame), view(flitView), page(pagePane), progress(strip) {}

bool CScreenshot::save(const wxString& path, wxString* error) {
    const wxSize size = frame->GetClientSize();
    wxStatusBar* statusBar = frame->GetStatusBar();
    const int statusHeight = statusBar->GetSize().y;
    wxBitmap bitmap(wxMax(size.x, 1), wxMax(size.y + statusHeight, 1));
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        if (view->IsShown()) {
            dc.DrawBitmap(view->snapshot(), view->GetPosition());
        }
        if (page->IsShown()) {
            page->draw(dc, wxRect(page->GetPosition(), page->GetSize()));
        }
        progress->draw(dc, wxRect(progress->GetPosition(), progress->GetSize()));

        // The status bar's fields below the client area.
        dc.SetBrush(wxBrush(wxColour(242, 242, 242)));
        dc.DrawRectangle(0, size.y, size.x, statusHeight);
        dc.SetFont(statusBar->GetFont());
        dc.SetTextForeground(wxColour(40, 40, 40));
        for (int field = 0; field < statusBar->GetFieldsCount(); ++field) {
            wxRect rect;
            statusBar->GetFieldRect(field, rect);
            const wxString text = statusBar->GetStatusText(field);
            dc.DrawText(text, rect.x + 4, size.y + (statusHeight - dc.GetTextExtent(text).y) / 2);
        }
    }
    wxImage image = bitmap.ConvertToImage();
    if (!image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        *error = wxString::Format("cannot write the screenshot '%s'", CMessageText::cut(path));
        return false;
    }
    taken = true;
    return true;
}

void CScreenshot::takeAtClose(const wxString& path) {
    if (path.empty() || taken) {
        return;
    }
    wxString error;
    if (!save(path, &error)) {
        std::fprintf(stderr, "flitreader: %s\n", error.utf8_str().data());
    }
}
