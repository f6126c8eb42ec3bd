#include "preferences/Preferences.h"

#include "ReaderOptions.h"
#include "preferences/PreferencesFile.h"
#include "view/Themes.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/outside/MessageText.h>

#include <wx/config.h>
#include <wx/filefn.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>

namespace {

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
const char* const kReopenLastKey = "/Start/ReopenLastDocument";
const char* const kWordsPerFlashKey = "/Reading/WordsPerFlash";
const char* const kCutForReadingKey = "/Reading/CutForReading";
const char* const kNeighbourWordsKey = "/View/NeighbourWords";
const char* const kPagePaneKey = "/View/PagePane";
const char* const kVoiceKey = "/Speech/Voice";
const char* const kCountNames[] = {"bytes", "characters"};
const char* const kPauseContextNames[ePauseContextCount] = {"sentence", "word"};

wxString openingProblem;

struct SKeyValue {
    const char* key;
    wxString value;
};

// Every preference as the file writes it.
std::vector<SKeyValue> valuesOf(const SPreferences& preferences) {
    return {
        {kSpeedKey, wxString::Format("%u", preferences.speed)},
        {kWordLengthKey, wxString::Format("%u", preferences.wordLength)},
        {kPauseContextKey, kPauseContextNames[preferences.pauseContext]},
        {kThemeKey, themeOf(preferences.theme).key},
        {kFontFaceKey, preferences.fontFace},
        {kFontSizeKey, wxString::Format("%d", preferences.fontSize)},
        {kFixationKey, preferences.fixation ? "1" : "0"},
        {kFixationColourKey, preferences.fixationColour.IsOk()
                                 ? preferences.fixationColour.GetAsString(wxC2S_HTML_SYNTAX)
                                 : wxString()},
        {kCountKey, kCountNames[preferences.count]},
        {kHyphenateKey, preferences.hyphenate ? "1" : "0"},
        {kLanguageKey, preferences.language},
        {kReopenLastKey, preferences.reopenLast ? "1" : "0"},
        {kWordsPerFlashKey, wxString::Format("%u", preferences.wordsPerFlash)},
        {kCutForReadingKey, preferences.cutForReading ? "1" : "0"},
        {kNeighbourWordsKey, preferences.neighbourWords ? "1" : "0"},
        {kPagePaneKey, preferences.pagePane ? "1" : "0"},
        {kVoiceKey, preferences.voice},
    };
}

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

// A value not understood: named in problems, its key noted in keys.
void noteProblem(wxString* problems, std::vector<std::string>* keys, const char* key,
                 const wxString& value) {
    *problems += wxString::Format("%s%s = '%s'", problems->empty() ? "" : ", ",
                                  wxString(key).AfterLast('/'), CMessageText::cut(value));
    keys->push_back(key);
}

// Reads a flag written "1" or "0" into value; false (value kept) when it is something else.
bool readFlag(wxConfigBase& config, const char* key, bool* value) {
    const wxString text = config.Read(key, *value ? "1" : "0");
    if (text != "0" && text != "1") {
        return false;
    }
    *value = text == "1";
    return true;
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
           count == other.count && hyphenate == other.hyphenate && language == other.language &&
           reopenLast == other.reopenLast && wordsPerFlash == other.wordsPerFlash &&
           cutForReading == other.cutForReading && neighbourWords == other.neighbourWords &&
           pagePane == other.pagePane && voice == other.voice;
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
    // The folder is made now, for the lock beside the file and the file itself.
    wxFileName::Mkdir(wxFileName(file).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    wxString problem;
    std::unique_ptr<CPreferencesConfig> config = CPreferencesConfig::open(file, &problem);
    openingProblem.clear();
    if (config->isNewer()) {
        openingProblem = wxString::Format(
            "Your preferences in %s were saved by a newer version of FlitReader: what this "
            "version understands of them is used, and the file is left as it is (changes are "
            "kept until you quit).",
            file);
    } else if (wxDirExists(file)) {
        openingProblem = wxString::Format(
            "Your preferences cannot be kept: %s is a folder, not a file (changes are kept "
            "until you quit).",
            file);
    } else if (!problem.empty()) {
        openingProblem = wxString::Format(
            "Your preferences in %s were not read (%s): the defaults are used until you "
            "change one.",
            file, problem);
    }
    delete wxConfigBase::Set(config.release());
}

void close() {
    delete wxConfigBase::Set(nullptr);
}

wxString takeProblem() {
    wxString problem;
    problem.swap(openingProblem);
    return problem;
}

SPreferences load(wxConfigBase& config, wxString* problem,
                  std::vector<std::string>* notUnderstood) {
    SPreferences preferences;
    wxString problems;
    std::vector<std::string> keys;
    long number = preferences.speed;
    if (!readNumber(config, kSpeedKey, CFlitManager::kMinWpmSpeed, CFlitManager::kMaxWpmSpeed,
                    &number)) {
        noteProblem(&problems, &keys, kSpeedKey, config.Read(kSpeedKey, ""));
    }
    preferences.speed = static_cast<unsigned int>(number);
    number = preferences.wordLength;
    if (!readNumber(config, kWordLengthKey, SReaderOptions::kMinWordLength,
                    SReaderOptions::kMaxWordLength, &number)) {
        noteProblem(&problems, &keys, kWordLengthKey, config.Read(kWordLengthKey, ""));
    }
    preferences.wordLength = static_cast<unsigned int>(number);
    number = preferences.fontSize;
    if (!readNumber(config, kFontSizeKey, SPreferences::kMinFontSize, SPreferences::kMaxFontSize,
                    &number)) {
        noteProblem(&problems, &keys, kFontSizeKey, config.Read(kFontSizeKey, ""));
    }
    preferences.fontSize = static_cast<int>(number);
    preferences.fontFace = config.Read(kFontFaceKey, "");

    const wxString themeName = config.Read(kThemeKey, themeOf(preferences.theme).key);
    if (themeNamed(themeName) >= 0) {
        preferences.theme = themeNamed(themeName);
    } else {
        noteProblem(&problems, &keys, kThemeKey, themeName);
    }
    if (!readFlag(config, kFixationKey, &preferences.fixation)) {
        noteProblem(&problems, &keys, kFixationKey, config.Read(kFixationKey, ""));
    }
    const wxString colour = config.Read(kFixationColourKey, "");
    if (!colour.empty() && !preferences.fixationColour.Set(colour)) {
        noteProblem(&problems, &keys, kFixationColourKey, colour);
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
        noteProblem(&problems, &keys, kPauseContextKey, context);
    }
    const wxString count = config.Read(kCountKey, kCountNames[preferences.count]);
    if (count == kCountNames[CFlitWordCalcs::eLengthBytes] ||
        count == kCountNames[CFlitWordCalcs::eLengthCharacters]) {
        preferences.count = count == kCountNames[CFlitWordCalcs::eLengthBytes]
                                ? CFlitWordCalcs::eLengthBytes
                                : CFlitWordCalcs::eLengthCharacters;
    } else {
        noteProblem(&problems, &keys, kCountKey, count);
    }
    if (!readFlag(config, kHyphenateKey, &preferences.hyphenate)) {
        noteProblem(&problems, &keys, kHyphenateKey, config.Read(kHyphenateKey, ""));
    }
    preferences.language = config.Read(kLanguageKey, "");
    preferences.voice = config.Read(kVoiceKey, "");
    if (!readFlag(config, kReopenLastKey, &preferences.reopenLast)) {
        noteProblem(&problems, &keys, kReopenLastKey, config.Read(kReopenLastKey, ""));
    }
    number = preferences.wordsPerFlash;
    if (!readNumber(config, kWordsPerFlashKey, CPhrases::kMinWords, CPhrases::kMaxWords, &number)) {
        noteProblem(&problems, &keys, kWordsPerFlashKey, config.Read(kWordsPerFlashKey, ""));
    }
    preferences.wordsPerFlash = static_cast<unsigned int>(number);
    if (!readFlag(config, kCutForReadingKey, &preferences.cutForReading)) {
        noteProblem(&problems, &keys, kCutForReadingKey, config.Read(kCutForReadingKey, ""));
    }
    for (const auto& flag : {std::make_pair(kNeighbourWordsKey, &preferences.neighbourWords),
                             std::make_pair(kPagePaneKey, &preferences.pagePane)}) {
        if (!readFlag(config, flag.first, flag.second)) {
            noteProblem(&problems, &keys, flag.first, config.Read(flag.first, ""));
        }
    }
    if (problem != nullptr) {
        *problem = problems.empty()
                       ? wxString()
                       : "Preferences not understood, the defaults are used: " + problems;
    }
    if (notUnderstood != nullptr) {
        *notUnderstood = keys;
    }
    return preferences;
}

bool save(wxConfigBase& config, const SPreferences& before, const SPreferences& after,
          wxString* problem, const std::vector<std::string>& rewrite) {
    const std::vector<SKeyValue> was = valuesOf(before);
    const std::vector<SKeyValue> now = valuesOf(after);
    std::vector<SKeyValue> changed;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (was[i].value != now[i].value ||
            std::find(rewrite.begin(), rewrite.end(), now[i].key) != rewrite.end()) {
            changed.push_back(now[i]);
        }
    }
    if (changed.empty()) {
        return true;
    }
    return write(
        config,
        [&changed](wxConfigBase& target) {
            for (const SKeyValue& entry : changed) {
                target.Write(entry.key, entry.value);
            }
        },
        problem);
}

bool write(wxConfigBase& config, const Change& change, wxString* problem, bool chosen) {
    if (CPreferencesConfig* file = dynamic_cast<CPreferencesConfig*>(&config)) {
        return file->apply(change, problem, chosen);
    }
    change(config);
    if (!config.Flush()) {
        *problem = "Your preferences could not be saved: the file cannot be written";
        return false;
    }
    return true;
}

void changeRecentFiles(wxFileHistory& history, const std::function<void()>& change) {
    wxString problem;
    write(
        *wxConfigBase::Get(),
        [&history, &change](wxConfigBase& config) {
            history.Load(config);
            change();
            history.Save(config);
        },
        &problem, false);
}

} // namespace userPreferences
