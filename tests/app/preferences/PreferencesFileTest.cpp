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

// Two readers quit one after the other, each having opened a document since its start: the
// recent files of both are kept.
TEST(PreferencesFileTest, TwoReadersKeepEachOthersRecentFiles) {
    const wxString path = wxFileName::CreateTempFileName("flitreader-recent");
    wxString problem;
    const auto first = CPreferencesConfig::open(path, &problem);
    const auto second = CPreferencesConfig::open(path, &problem);
    wxFileHistory firstMenu, secondMenu;
    const auto open = [&](CPreferencesConfig& config, wxFileHistory& menu, const char* file) {
        EXPECT_TRUE(userPreferences::write(
            config,
            [&](wxConfigBase& target) {
                menu.Load(target);
                menu.AddFileToHistory(file);
                menu.Save(target);
            },
            &problem, false));
    };
    open(*first, firstMenu, "/books/first.txt");
    open(*second, secondMenu, "/books/second.txt");
    // Each quits, writing its window's place.
    for (CPreferencesConfig* config : {first.get(), second.get()}) {
        EXPECT_TRUE(userPreferences::write(
            *config, [](wxConfigBase& target) { target.Write("/Window/X", 10); }, &problem, false));
    }
    CPreferencesConfig reread(path, true);
    wxFileHistory kept;
    kept.Load(reread);
    ASSERT_EQ(2u, kept.GetCount());
    EXPECT_EQ("/books/second.txt", kept.GetHistoryFile(0));
    EXPECT_EQ("/books/first.txt", kept.GetHistoryFile(1));
    wxRemoveFile(path);
    wxRemoveFile(path + ".lock");
}

// A file from a newer reader is read for what this one understands and left byte for byte; a
// folder in the file's place gets no file, nor a temporary one; either is said once.
TEST(PreferencesFileTest, AFileNotToWriteIsLeftAlone) {
    const wxString folder = wxFileName::CreateTempFileName("flitreader-alone");
    wxRemoveFile(folder);
    wxMkdir(folder);
    const wxString path = folder + "/flitreader.conf";
    const std::string newer = "[Preferences]\nVersion=9\n[View]\nTheme=light\nShape=round\n";
    for (const bool isFolder : {false, true}) {
        SCOPED_TRACE(isFolder ? "a folder" : "a newer file");
        isFolder ? static_cast<void>(wxMkdir(path))
                 : static_cast<void>(std::ofstream(path.ToStdString()) << newer);
        wxString problem;
        const auto config = CPreferencesConfig::open(path, &problem);
        EXPECT_NE(wxNOT_FOUND, problem.Find(isFolder ? "folder" : "newer")) << problem;
        SPreferences held = userPreferences::load(*config, nullptr);
        EXPECT_EQ(isFolder ? eThemeDark : eThemeLight, held.theme);
        for (const unsigned int speed : {400u, 500u}) {
            SPreferences chosen = held;
            chosen.speed = speed;
            problem.clear();
            userPreferences::save(*config, held, chosen, &problem);
            EXPECT_EQ("", problem);
            held = chosen;
        }
        wxArrayString files;
        wxDir::GetAllFiles(folder, &files);
        files.Sort();
        const wxArrayString expected =
            isFolder ? wxArrayString(1, path + ".lock") : wxArrayString(1, path);
        EXPECT_EQ(expected, files);
        if (!isFolder) {
            std::ifstream file(path.ToStdString());
            EXPECT_EQ(newer, std::string(std::istreambuf_iterator<char>(file), {}));
            wxRemoveFile(path);
        }
    }
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

} // namespace
