#include "view/Themes.h"

#include <algorithm>
#include <cmath>

namespace {

// The dark theme is the view's original look; the others are chosen for daylight, for warm
// paper-like reading, and for the strongest contrast the screen can give.
const STheme kThemes[eThemeCount] = {
    {"dark", "Dark", wxColour(24, 28, 36), wxColour(236, 236, 228), wxColour(150, 160, 175),
     wxColour(255, 112, 84), wxColour(104, 112, 126)},
    {"light", "Light", wxColour(250, 250, 247), wxColour(28, 28, 32), wxColour(108, 110, 118),
     wxColour(204, 40, 40), wxColour(138, 140, 146)},
    {"sepia", "Sepia", wxColour(244, 236, 216), wxColour(66, 50, 32), wxColour(122, 102, 78),
     wxColour(178, 58, 26), wxColour(150, 132, 108)},
    {"high-contrast", "High Contrast", wxColour(0, 0, 0), wxColour(255, 255, 255),
     wxColour(210, 210, 210), wxColour(255, 230, 0), wxColour(128, 128, 128)},
};

// sRGB to linear light, per channel, with WCAG 2's threshold.
double linearChannel(unsigned char value) {
    const double kThreshold = 0.03928;
    const double scaled = value / 255.0;
    return scaled <= kThreshold ? scaled / 12.92 : std::pow((scaled + 0.055) / 1.055, 2.4);
}

} // namespace

const STheme& themeOf(int theme) {
    return kThemes[theme >= 0 && theme < eThemeCount ? theme : eThemeDark];
}

int themeNamed(const wxString& key) {
    for (int theme = 0; theme < eThemeCount; ++theme) {
        if (key == kThemes[theme].key) {
            return theme;
        }
    }
    return -1;
}

double relativeLuminance(const wxColour& colour) {
    return 0.2126 * linearChannel(colour.Red()) + 0.7152 * linearChannel(colour.Green()) +
           0.0722 * linearChannel(colour.Blue());
}

double contrastRatio(const wxColour& first, const wxColour& second) {
    // The lighter colour's luminance over the darker's, each lifted by the screen's flare.
    const double kFlare = 0.05;
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + kFlare) / (std::min(a, b) + kFlare);
}
