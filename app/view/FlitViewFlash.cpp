// How the flash view puts a chunk on screen: on an X display, its band is drawn ahead on a
// pixmap of the server and copied to the window when the chunk comes, without a paint.

#include "view/FlitView.h"

#ifdef __WXGTK3__
#include <gtk/gtk.h>
#endif

#if defined(__WXGTK3__) && defined(GDK_WINDOWING_X11)
#include <gdk/gdkx.h>
#include <wx/dcgraph.h>
#include <wx/graphics.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Bands kept: the chunk on screen, the blank, the chunk drawn ahead and one spare.
const size_t kBandsKept = 4;

// The view's window when it is shown on an X display, where what is copied to the window is on
// screen; null elsewhere (Wayland draws only in a paint).
GdkWindow* x11Window(wxWindow* view) {
    GdkWindow* window = view->GTKGetDrawingWindow();
    if (window == nullptr || !gtk_widget_get_mapped(view->GetHandle()) ||
        !GDK_IS_X11_WINDOW(window)) {
        return nullptr;
    }
    return window;
}

} // namespace

// The band the chunks are drawn in, as it looks with a chunk and the words beside it, each drawn
// once on a pixmap of the display server: showing one is then a copy the server makes, which
// costs the GUI thread a request. Everything else a band shows (colours, fonts, the size, the
// picture behind) is what the view had when it was drawn: the view drops them all whenever it
// repaints the band for any other reason.
class CFlitView::CBands {
public:
    ~CBands() { clear(); }

    // The band showing text with before and after beside it (empty when the view shows no
    // neighbours), drawn now unless it was before; null when the server gives no pixmap.
    cairo_surface_t* get(CFlitView& view, GdkWindow* window, const wxRect& area,
                         const wxString& text, const wxString& before, const wxString& after) {
        const SKey key{text, before, after};
        const auto found = std::find_if(kept.begin(), kept.end(),
                                        [&key](const SBand& band) { return band.key == key; });
        if (found != kept.end()) {
            std::rotate(kept.begin(), found, found + 1);
            return kept.front().surface;
        }
        cairo_surface_t* surface =
            gdk_window_create_similar_surface(window, CAIRO_CONTENT_COLOR, area.width, area.height);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            return nullptr;
        }
        draw(view, surface, area, key);
        if (kept.size() == kBandsKept) {
            cairo_surface_destroy(kept.back().surface);
            kept.pop_back();
        }
        kept.insert(kept.begin(), SBand{key, surface});
        return surface;
    }

    void clear() {
        for (const SBand& band : kept) {
            cairo_surface_destroy(band.surface);
        }
        kept.clear();
    }

private:
    struct SKey {
        wxString text;
        wxString before;
        wxString after;
        bool operator==(const SKey& other) const {
            return text == other.text && before == other.before && after == other.after;
        }
    };
    struct SBand {
        SKey key;
        cairo_surface_t* surface;
    };

    // With the view's own drawing, as its paint of the band draws it.
    static void draw(CFlitView& view, cairo_surface_t* surface, const wxRect& area, SKey key) {
        cairo_t* context = cairo_create(surface);
        {
            wxGCDC dc(
                wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromNativeContext(context));
            dc.SetDeviceOrigin(-area.x, -area.y);
            const auto swapIn = [&view, &key] {
                std::swap(view.chunk, key.text);
                std::swap(view.neighbourBefore, key.before);
                std::swap(view.neighbourAfter, key.after);
            };
            swapIn();
            view.draw(dc, area);
            swapIn();
        }
        cairo_destroy(context);
    }

    std::vector<SBand> kept; // the most recently used first
};

void CFlitView::Refresh(bool eraseBackground, const wxRect* rect) {
    if (bands && (rect == nullptr || rect->Intersects(chunkBand()))) {
        bands->clear();
    }
    wxWindow::Refresh(eraseBackground, rect);
}

bool CFlitView::canPresentChunk() {
    // The paused sentence and the messages are painted: they change seldom.
    return x11Window(this) != nullptr && messageTitle.empty() && contextWords.empty() &&
           !chunkBand().Intersect(wxRect(GetClientSize())).IsEmpty();
}

bool CFlitView::presentChunk() {
    if (!canPresentChunk()) {
        return false;
    }
    GdkWindow* window = x11Window(this);
    const wxRect band = chunkBand().Intersect(wxRect(GetClientSize()));
    if (!bands) {
        bands = std::make_shared<CBands>();
    }
    const bool beside = neighboursShown && !chunk.empty();
    cairo_surface_t* surface =
        bands->get(*this, window, band, chunk, beside ? neighbourBefore : wxString(),
                   beside ? neighbourAfter : wxString());
    if (surface == nullptr) {
        return false;
    }
    // Straight to the window, which on X holds what is on screen: no paint buffer to fill and
    // copy again. The server leaves out anything over it.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    cairo_t* context = gdk_cairo_create(window);
    G_GNUC_END_IGNORE_DEPRECATIONS
    cairo_set_source_surface(context, surface, band.x, band.y);
    cairo_rectangle(context, band.x, band.y, band.width, band.height);
    cairo_fill(context);
    cairo_destroy(context);
    // The band is on screen if something else asked for it to be painted; the rest waits.
    cairo_region_t* rest = gdk_window_get_update_area(window);
    if (rest != nullptr) {
        const cairo_rectangle_int_t shown = {band.x, band.y, band.width, band.height};
        cairo_region_subtract_rectangle(rest, &shown);
        if (!cairo_region_is_empty(rest)) {
            gdk_window_invalidate_region(window, rest, TRUE);
        }
        cairo_region_destroy(rest);
    }
    return true;
}

void CFlitView::prepareChunk(const wxString& text, const wxString& before, const wxString& after) {
    if (text.empty() || !canPresentChunk()) {
        return;
    }
    GdkWindow* window = x11Window(this);
    if (!bands) {
        bands = std::make_shared<CBands>();
    }
    const wxRect band = chunkBand().Intersect(wxRect(GetClientSize()));
    if (bands->get(*this, window, band, text, neighboursShown ? before : wxString(),
                   neighboursShown ? after : wxString()) != nullptr) {
        // The server draws it now, while the chunk before is on screen.
        gdk_display_flush(gdk_window_get_display(window));
    }
}

#else

class CFlitView::CBands {};

void CFlitView::Refresh(bool eraseBackground, const wxRect* rect) {
    wxWindow::Refresh(eraseBackground, rect);
}

bool CFlitView::canPresentChunk() {
    return false;
}

bool CFlitView::presentChunk() {
    return false;
}

void CFlitView::prepareChunk(const wxString&, const wxString&, const wxString&) {}

#endif

void CFlitView::renderNow() {
    // Puts what changed on screen and sends it to the display.
    if (chunkPending) {
        chunkPending = false;
        if (!presentChunk()) {
            refreshBand();
        }
    }
#ifdef __WXGTK3__
    // The toolkit's Update() first waits for the display server to finish everything drawn so
    // far: a round trip that costs half a millisecond at the median and several at times, as
    // the server has to be woken, and that a word does not need (nothing this view drew before
    // is still being copied). What else was invalidated is painted and sent without it.
    GdkWindow* window = GTKGetDrawingWindow();
    if (window != nullptr && gtk_widget_get_mapped(GetHandle())) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gdk_window_process_updates(window, TRUE);
        G_GNUC_END_IGNORE_DEPRECATIONS
        gdk_display_flush(gdk_window_get_display(window));
        return;
    }
#endif
    Update();
}
