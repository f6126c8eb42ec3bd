#ifndef FLIT_APP_THEMES_H
#define FLIT_APP_THEMES_H

#include <wx/colour.h>
#include <wx/string.h>

#include <cstddef>

// The reader's colour themes. Each names the colours the flash view paints with: the
// background, the flashed word, the dimmed text around it (the context shown on pause, the
// corners), the accent that marks the fixation letter, and the faint colour of the words drawn
// beside the flash (readable, yet quieter than the flashed word).
struct STheme {
    const char* key;   // how the preferences file names it
    const char* label; // how the menus and the Preferences dialog name it
    wxColour background;
    wxColour word;
    wxColour dim;
    wxColour accent;
    wxColour faint;
};

enum eTheme { eThemeDark, eThemeLight, eThemeSepia, eThemeHighContrast, eThemeCount };

// The word must stand out from its background at least this much (WCAG 2, level AA for
// ordinary text).
const double kMinWordContrast = 4.5;
// The words beside the flash stand out at least this much (WCAG 2, level AA for large text).
const double kMinFaintContrast = 3.0;

const STheme& themeOf(int theme);
// The theme a preferences file names; -1 for a name no theme has.
int themeNamed(const wxString& key);

// Relative luminance of an sRGB colour as WCAG 2 defines it: 0 for black, 1 for white.
double relativeLuminance(const wxColour& colour);
// The contrast ratio of two colours as WCAG 2 defines it, from 1 (none) to 21.
double contrastRatio(const wxColour& first, const wxColour& second);

#endif
