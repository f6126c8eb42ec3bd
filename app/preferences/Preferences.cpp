#include "preferences/Preferences.h"

#include "ReaderOptions.h"
#include "view/Themes.h"

#include <flitengine/engine/FlitManager.h>

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/sstream.h>
#include <wx/stdpaths.h>

#include <cstdio>

namespace {

// The layout of the file this reader writes; a file from a newer reader is not touched.
const long kFormatVersion = 1;
const char* const kVersionKey = "/Preferences/Version";
const char* const kSpeedKey = "/Reading/Speed";
const char* const kWordLengthKey = "/Reading/WordDisplayLength";
const char* const kPauseContextKey = "/Reading/PauseContext";
const char* const kThemeKey = "/View/Theme";
const char* const kFontFaceKey = "/View/FontFace";
const char* const kFontSizeKey = "/View/FontSize";
const char* const kFixationKey = "/View/FixationPoint";
const char* const kFixationColourKey = "/View/FixationColour";
const char* const kCountKey = "/Reading/Count";
const char* const kHyphenateKey = "/Reading/Hyphenate";
const char* const kLanguageKey = "/Reading/HyphenationLanguage";
const char* const kCountNames[] = {"bytes", "characters"};
const char* const kPauseContextNames[ePauseContextCount] = {"sentence", "word"};
const char* const kAsideSuffix = ".unreadable";

// The file installed with a problem, to be moved aside before it is first written; empty when
// the file may be written.
wxString protectedFile;
wxString openingProblem;
// The configuration install() made; other ones (a test's own file) are written as they are.
const wxConfigBase* installedConfig = nullptr;

// Collects the first warning or error the toolkit logs while it lives, instead of showing it
// (a message box would interrupt the reader before its window is up).
class CProblemCatcher : public wxLog {
public:
    CProblemCatcher() : previous(wxLog::SetActiveTarget(this)) {}
    ~CProblemCatcher() override { wxLog::SetActiveTarget(previous); }
    CProblemCatcher(const CProblemCatcher&) = delete;
    CProblemCatcher& operator=(const CProblemCatcher&) = delete;

    const wxString& first() const { return message; }

protected:
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Warning && message.empty()) {
            message = text;
        }
    }

private:
    wxLog* previous;
    wxString message;
};

// Reads a whole number in [low, high] into value; false (value kept) when the entry is there
// but is no such number.
bool readNumber(wxConfigBase& config, const char* key, long low, long high, long* value) {
    wxString text;
    if (!config.Read(key, &text)) {
        return true;
    }
    long number = 0;
    if (!text.Trim().Trim(false).ToLong(&number) || number < low || number > high) {
        return false;
    }
    *value = number;
    return true;
}

void noteProblem(wxString* problems, const char* key, const wxString& value) {
    *problems += wxString::Format("%s%s = '%s'", problems->empty() ? "" : ", ",
                                  wxString(key).AfterLast('/'), value);
}

} // namespace

SPreferences::SPreferences()
    : speed(CFlitManager::kDefaultWpmSpeed),
      wordLength(static_cast<unsigned int>(SReaderOptions::kDefaultWordLength)), theme(eThemeDark) {
}

wxColour SPreferences::fixationColourShown() const {
    return fixationColour.IsOk() ? fixationColour : themeOf(theme).accent;
}

bool SPreferences::operator==(const SPreferences& other) const {
    return speed == other.speed && wordLength == other.wordLength && fontFace == other.fontFace &&
           fontSize == other.fontSize && theme == other.theme && fixation == other.fixation &&
           fixationColour == other.fixationColour && pauseContext == other.pauseContext &&
           count == other.count && hyphenate == other.hyphenate && language == other.language;
}

std::string SPreferences::hyphenationLanguage(const std::string& documentLanguage) const {
    if (!language.empty()) {
        return language.utf8_string();
    }
    if (!documentLanguage.empty()) {
        return documentLanguage;
    }
    return wxLocale::GetLanguageCanonicalName(wxLocale::GetSystemLanguage()).utf8_string();
}

namespace userPreferences {

wxString path() {
    wxFileName file(wxStandardPaths::Get().GetUserConfigDir(), "flitreader.conf");
    file.AppendDir("flitreader");
    return file.GetFullPath();
}

void install() {
    const wxString file = path();
    protectedFile.clear();
    openingProblem.clear();
    // The folder is made now: the toolkit writes the file when the reader quits, and cannot
    // then make a folder for it.
    wxFileName::Mkdir(wxFileName(file).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    wxFileConfig* config = nullptr;
    {
        CProblemCatcher catcher;
        config = new wxFileConfig("flitreader", wxEmptyString, file, wxEmptyString,
                                  wxCONFIG_USE_LOCAL_FILE);
        openingProblem = catcher.first();
    }
    if (openingProblem.empty() && config->ReadLong(kVersionKey, kFormatVersion) > kFormatVersion) {
        openingProblem = "they were saved by a newer version of FlitReader";
    } else if (openingProblem.empty() && wxFileName::FileExists(file) &&
               !wxFileName::IsFileReadable(file)) {
        openingProblem = "the file cannot be read";
    }
    if (!openingProblem.empty()) {
        // Nothing of the file is used, and nothing is written over it until the user chooses:
        // the configuration lives in memory until then.
        delete config;
        wxStringInputStream nothing(wxEmptyString);
        config = new wxFileConfig(nothing);
        protectedFile = file;
        openingProblem = wxString::Format(
            "Your preferences in %s were not read (%s): the defaults are used until you "
            "change one.",
            file, openingProblem);
    }
    installedConfig = config;
    delete wxConfigBase::Set(config);
}

void close() {
    wxConfigBase* config = wxConfigBase::Set(nullptr);
    CProblemCatcher catcher;
    if (config != nullptr && (!config->Flush() || !catcher.first().empty())) {
        std::fprintf(stderr, "flitreader: your preferences could not be saved: %s\n",
                     catcher.first().utf8_str().data());
    }
    if (config == installedConfig) {
        installedConfig = nullptr;
    }
    delete config;
}

wxString takeProblem() {
    wxString problem;
    problem.swap(openingProblem);
    return problem;
}

SPreferences load(wxConfigBase& config, wxString* problem) {
    SPreferences preferences;
    wxString problems;
    long number = preferences.speed;
    if (!readNumber(config, kSpeedKey, CFlitManager::kMinWpmSpeed, CFlitManager::kMaxWpmSpeed,
                    &number)) {
        noteProblem(&problems, kSpeedKey, config.Read(kSpeedKey, ""));
    }
    preferences.speed = static_cast<unsigned int>(number);
    number = preferences.wordLength;
    if (!readNumber(config, kWordLengthKey, SReaderOptions::kMinWordLength,
                    SReaderOptions::kMaxWordLength, &number)) {
        noteProblem(&problems, kWordLengthKey, config.Read(kWordLengthKey, ""));
    }
    preferences.wordLength = static_cast<unsigned int>(number);
    number = preferences.fontSize;
    if (!readNumber(config, kFontSizeKey, SPreferences::kMinFontSize, SPreferences::kMaxFontSize,
                    &number)) {
        noteProblem(&problems, kFontSizeKey, config.Read(kFontSizeKey, ""));
    }
    preferences.fontSize = static_cast<int>(number);
    preferences.fontFace = config.Read(kFontFaceKey, "");

    const wxString themeName = config.Read(kThemeKey, themeOf(preferences.theme).key);
    if (themeNamed(themeName) >= 0) {
        preferences.theme = themeNamed(themeName);
    } else {
        noteProblem(&problems, kThemeKey, themeName);
    }
    const wxString fixation = config.Read(kFixationKey, "1");
    if (fixation == "0" || fixation == "1") {
        preferences.fixation = fixation == "1";
    } else {
        noteProblem(&problems, kFixationKey, fixation);
    }
    const wxString colour = config.Read(kFixationColourKey, "");
    if (!colour.empty() && !preferences.fixationColour.Set(colour)) {
        noteProblem(&problems, kFixationColourKey, colour);
    }
    const wxString context = config.Read(kPauseContextKey, kPauseContextNames[ePauseSentence]);
    bool contextKnown = false;
    for (int choice = 0; choice < ePauseContextCount; ++choice) {
        if (context == kPauseContextNames[choice]) {
            preferences.pauseContext = choice;
            contextKnown = true;
        }
    }
    if (!contextKnown) {
        noteProblem(&problems, kPauseContextKey, context);
    }
    const wxString count = config.Read(kCountKey, kCountNames[preferences.count]);
    if (count == kCountNames[CFlitWordCalcs::eLengthBytes] ||
        count == kCountNames[CFlitWordCalcs::eLengthCharacters]) {
        preferences.count = count == kCountNames[CFlitWordCalcs::eLengthBytes]
                                ? CFlitWordCalcs::eLengthBytes
                                : CFlitWordCalcs::eLengthCharacters;
    } else {
        noteProblem(&problems, kCountKey, count);
    }
    const wxString hyphenate = config.Read(kHyphenateKey, "0");
    if (hyphenate == "0" || hyphenate == "1") {
        preferences.hyphenate = hyphenate == "1";
    } else {
        noteProblem(&problems, kHyphenateKey, hyphenate);
    }
    preferences.language = config.Read(kLanguageKey, "");
    if (problem != nullptr) {
        *problem = problems.empty()
                       ? wxString()
                       : "Preferences not understood, the defaults are used: " + problems;
    }
    return preferences;
}

bool save(wxConfigBase& config, const SPreferences& preferences, wxString* problem) {
    wxConfigBase* target = &config;
    if (target == installedConfig && !protectedFile.empty()) {
        // The user changed a preference: the unreadable file is kept aside, not overwritten,
        // and a new one is started.
        CProblemCatcher catcher;
        if (wxFileName::FileExists(protectedFile) &&
            !wxRenameFile(protectedFile, protectedFile + kAsideSuffix)) {
            *problem = wxString::Format("Cannot move %s aside: your preferences are not saved",
                                        protectedFile);
            return false;
        }
        target = new wxFileConfig("flitreader", wxEmptyString, protectedFile, wxEmptyString,
                                  wxCONFIG_USE_LOCAL_FILE);
        protectedFile.clear();
        installedConfig = target;
        delete wxConfigBase::Set(target);
    }
    target->Write(kVersionKey, kFormatVersion);
    target->Write(kSpeedKey, static_cast<long>(preferences.speed));
    target->Write(kWordLengthKey, static_cast<long>(preferences.wordLength));
    target->Write(kPauseContextKey, kPauseContextNames[preferences.pauseContext]);
    target->Write(kThemeKey, themeOf(preferences.theme).key);
    target->Write(kFontFaceKey, preferences.fontFace);
    target->Write(kFontSizeKey, static_cast<long>(preferences.fontSize));
    target->Write(kFixationKey, preferences.fixation ? "1" : "0");
    target->Write(kCountKey, kCountNames[preferences.count]);
    target->Write(kHyphenateKey, preferences.hyphenate ? "1" : "0");
    target->Write(kLanguageKey, preferences.language);
    target->Write(kFixationColourKey,
                  preferences.fixationColour.IsOk()
                      ? preferences.fixationColour.GetAsString(wxC2S_HTML_SYNTAX)
                      : wxString());
    CProblemCatcher catcher;
    if (!target->Flush() || !catcher.first().empty()) {
        *problem = wxString::Format("Your preferences could not be saved: %s",
                                    catcher.first().empty() ? "the file cannot be written"
                                                            : catcher.first());
        return false;
    }
    return true;
}

} // namespace userPreferences
