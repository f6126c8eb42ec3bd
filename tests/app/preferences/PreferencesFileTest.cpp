// Two readers running at once, each holding the preferences file as it was at its start:
// neither undoes the other's changes.

#include "preferences/PreferencesFile.h"
#include "preferences/Preferences.h"
#include "view/Themes.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <fstream>

namespace {

TEST(PreferencesFileTest, TwoReadersKeepEachOthersChanges) {
    const wxString path = wxFileName::CreateTempFileName("flitreader-file");
    for (const bool fasterFirst : {true, false}) {
        SCOPED_TRACE(fasterFirst ? "the speed saved first" : "the theme saved first");
        std::ofstream(path.ToStdString()) << "[Reading]\nSpeed=300\n[View]\nTheme=sepia\n"
                                             "FontSize=50\n";
        wxString problem;
        const auto faster = CPreferencesConfig::open(path, &problem);
        const auto lighter = CPreferencesConfig::open(path, &problem);
        ASSERT_EQ("", problem);
        const SPreferences held = userPreferences::load(*faster, nullptr);
        SPreferences fast = held, light = held;
        fast.speed = 400;
        light.theme = eThemeLight;
        const auto save = [&](CPreferencesConfig& config, const SPreferences& chosen) {
            EXPECT_TRUE(userPreferences::save(config, held, chosen, &problem)) << problem;
        };
        fasterFirst ? (save(*faster, fast), save(*lighter, light))
                    : (save(*lighter, light), save(*faster, fast));

        CPreferencesConfig reread(path, true);
        const SPreferences result = userPreferences::load(reread, nullptr);
        EXPECT_EQ(400u, result.speed);
        EXPECT_EQ(eThemeLight, result.theme);
        EXPECT_EQ(50, result.fontSize);
    }
    wxRemoveFile(path);
    wxRemoveFile(path + ".lock");
}

} // namespace
