#include "frame/WindowPlacement.h"

#include "preferences/Preferences.h"

#include <wx/config.h>
#include <wx/display.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kXKey = "/Window/X";
const char* const kYKey = "/Window/Y";
const char* const kWidthKey = "/Window/Width";
const char* const kHeightKey = "/Window/Height";
const char* const kMaximizedKey = "/Window/Maximized";

// The start of a span of length inside [low, low + room), as near start as it fits.
int fitSpan(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

wxRect fitToDisplays(const wxRect& window, const std::vector<wxRect>& areas, std::size_t primary) {
    if (areas.empty()) {
        return window;
    }
    std::size_t best = primary < areas.size() ? primary : 0;
    long long bestOverlap = 0;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const wxRect overlap = window.Intersect(areas[i]);
        const long long size = overlap.IsEmpty() ? 0 : 1LL * overlap.width * overlap.height;
        if (size > bestOverlap) {
            best = i;
            bestOverlap = size;
        }
    }
    const wxRect& area = areas[best];
    wxRect fitted(window.GetSize());
    fitted.width = std::min(window.width, area.width);
    fitted.height = std::min(window.height, area.height);
    fitted.x = fitSpan(window.x, fitted.width, area.x, area.width);
    fitted.y = fitSpan(window.y, fitted.height, area.y, area.height);
    return fitted;
}

CWindowPlacement::CWindowPlacement(wxTopLevelWindow* placed) : window(placed) {
    std::vector<wxRect> areas;
    std::size_t primary = 0;
    for (unsigned int i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxDisplay display(i);
        areas.push_back(display.GetClientArea());
        if (display.IsPrimary()) {
            primary = i;
        }
    }
    const wxConfigBase* config = wxConfigBase::Get();
    wxRect saved;
    const bool known = config->Read(kXKey, &saved.x) && config->Read(kYKey, &saved.y) &&
                       config->Read(kWidthKey, &saved.width) &&
                       config->Read(kHeightKey, &saved.height) && saved.width > 0 &&
                       saved.height > 0;
    if (!known) {
        saved.SetSize(window->GetSize());
        if (!areas.empty()) {
            saved = saved.CentreIn(areas[primary]);
        }
    }
    normal = fitToDisplays(saved, areas, primary);
    window->SetSize(normal);
    if (known && config->ReadBool(kMaximizedKey, false)) {
        window->Maximize();
    }
    const auto follower = [this](wxEvent& event) {
        follow();
        event.Skip();
    };
    window->Bind(wxEVT_SIZE, follower);
    window->Bind(wxEVT_MOVE, follower);
}

void CWindowPlacement::follow() {
    if (!window->IsMaximized() && !window->IsFullScreen() && !window->IsIconized()) {
        normal = window->GetRect();
    }
}

void CWindowPlacement::save() {
    follow();
    // A full-screen window is saved with the place it had before, and not as maximised.
    const bool maximized = window->IsMaximized() && !window->IsFullScreen();
    wxString problem;
    const bool written = userPreferences::write(
        *wxConfigBase::Get(),
        [this, maximized](wxConfigBase& config) {
            config.Write(kXKey, normal.x);
            config.Write(kYKey, normal.y);
            config.Write(kWidthKey, normal.width);
            config.Write(kHeightKey, normal.height);
            config.Write(kMaximizedKey, maximized);
        },
        &problem, false);
    if (!written && !problem.empty()) {
        // The window is going: standard error is the one place left to say it.
        std::fprintf(stderr, "flitreader: %s\n", problem.utf8_str().data());
    }
}
