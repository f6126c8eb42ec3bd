#ifndef FLIT_TOOLS_SCREENSHOTS_WINDOWPICTURE_H
#define FLIT_TOOLS_SCREENSHOTS_WINDOWPICTURE_H

#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/window.h>

// What a window shows on screen, copied from the display; an invalid image when the copy fails.
inline wxImage windowPicture(wxWindow* window) {
    const wxSize size = window->GetSize();
    wxBitmap bitmap(size, 24);
    {
        wxMemoryDC memory(bitmap);
        wxWindowDC source(window);
        if (!memory.Blit(0, 0, size.x, size.y, &source, 0, 0)) {
            return wxImage();
        }
    }
    return bitmap.ConvertToImage();
}

#endif
