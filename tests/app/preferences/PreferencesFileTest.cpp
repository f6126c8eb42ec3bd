// Two readers running at once, each holding the preferences file as it was at its start:
// neither undoes the other's changes. A file the reader must not write is never written.

#include "preferences/PreferencesFile.h"
#include "preferences/Preferences.h"
#include "view/Themes.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filehistory.h>
#include <wx/filename.h>

#include <fstream>
#include <iterator>
#include <string>

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
        // Each opens a document (its recent files) and chooses a preference, then quits.
        const auto save = [&](CPreferencesConfig& config, const SPreferences& chosen) {
            wxFileHistory recent;
            EXPECT_TRUE(userPreferences::write(
                config,
                [&](wxConfigBase& target) {
                    recent.Load(target);
                    recent.AddFileToHistory(wxString::Format("/%u.txt", chosen.speed));
                    recent.Save(target);
                },
                &problem, false));
            EXPECT_TRUE(userPreferences::save(config, held, chosen, &problem)) << problem;
        };
        fasterFirst ? (save(*faster, fast), save(*lighter, light))
                    : (save(*lighter, light), save(*faster, fast));

        CPreferencesConfig reread(path, true);
        const SPreferences result = userPreferences::load(reread, nullptr);
        EXPECT_EQ(400u, result.speed);
        EXPECT_EQ(eThemeLight, result.theme);
        EXPECT_EQ(50, result.fontSize);
        wxFileHistory recent;
        recent.Load(reread);
        EXPECT_EQ(2u, recent.GetCount());
    }
    wxRemoveFile(path);
    wxRemoveFile(path + ".lock");
}

// A file from a newer reader is read for what this one understands and left byte for byte; a
// folder in the file's place gets no file, nor a temporary one; either is said once.
TEST(PreferencesFileTest, AFileNotToWriteIsLeftAlone) {
    const wxString folder = wxFileName::CreateTempFileName("flitreader-alone"),
                   path = folder + "/flitreader.conf";
    wxRemoveFile(folder);
    const std::string newer = "[Preferences]\nVersion=9\n[View]\nTheme=light\n";
    for (const bool isFolder : {false, true}) {
        SCOPED_TRACE(isFolder ? "a folder" : "a newer file");
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
        wxFileName::Mkdir(isFolder ? path : folder, 0700, wxPATH_MKDIR_FULL);
        std::ofstream(isFolder ? "/dev/null" : path.ToStdString()) << newer;
        wxString problem;
        const auto config = CPreferencesConfig::open(path, &problem);
        EXPECT_NE(wxNOT_FOUND, problem.Find(isFolder ? "folder" : "newer")) << problem;
        SPreferences held = userPreferences::load(*config, nullptr), chosen = held;
        EXPECT_EQ(isFolder ? eThemeDark : eThemeLight, held.theme);
        for (chosen.speed = 400; chosen.speed <= 500; held = chosen, chosen.speed += 100) {
            problem.clear();
            userPreferences::save(*config, held, chosen, &problem);
            EXPECT_EQ("", problem);
        }
        wxArrayString files;
        wxDir::GetAllFiles(folder, &files);
        EXPECT_EQ(wxArrayString(1, isFolder ? path + ".lock" : path), files);
        std::ifstream kept(isFolder ? "/dev/null" : path.ToStdString());
        EXPECT_EQ(isFolder ? "" : newer, std::string(std::istreambuf_iterator<char>(kept), {}));
    }
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

} // namespace
