#include "preferences/PreferencesDialog.h"

#include "ReaderOptions.h"
#include "speech/SpeechSynth.h"
#include "view/Themes.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/engine/Phrases.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/fontpicker.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <algorithm>
#include <utility>

namespace {

const int kGap = 8;

wxFont wordFontOf(const SPreferences& preferences) {
    wxFontInfo info(preferences.fontSize);
    if (preferences.fontFace.empty()) {
        info.Family(wxFONTFAMILY_SWISS);
    } else {
        info.FaceName(preferences.fontFace);
    }
    return wxFont(info);
}

} // namespace

CPreferencesDialog::CPreferencesDialog(wxWindow* parent, const SPreferences& preferences,
                                       Apply applyChange)
    : wxDialog(parent, wxID_ANY, "Preferences"), shown(preferences), apply(std::move(applyChange)) {
    speed = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                           wxSP_ARROW_KEYS, static_cast<int>(CFlitManager::kMinWpmSpeed),
                           static_cast<int>(CFlitManager::kMaxWpmSpeed),
                           static_cast<int>(preferences.speed));
    wordLength =
        new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxSP_ARROW_KEYS, SReaderOptions::kMinWordLength,
                       SReaderOptions::kMaxWordLength, static_cast<int>(preferences.wordLength));
    font = new wxFontPickerCtrl(this, wxID_ANY, wordFontOf(preferences), wxDefaultPosition,
                                wxDefaultSize, wxFNTP_FONTDESC_AS_LABEL);
    font->SetMinPointSize(SPreferences::kMinFontSize);
    font->SetMaxPointSize(SPreferences::kMaxFontSize);
    theme = new wxChoice(this, wxID_ANY);
    for (int each = 0; each < eThemeCount; ++each) {
        theme->Append(themeOf(each).label);
    }
    theme->SetSelection(preferences.theme);
    fixation = new wxCheckBox(this, wxID_ANY, "Mark the &fixation letter");
    fixation->SetValue(preferences.fixation);
    themeAccent = new wxCheckBox(this, wxID_ANY, "The theme's &accent colour");
    themeAccent->SetValue(!preferences.fixationColour.IsOk());
    fixationColour = new wxColourPickerCtrl(this, wxID_ANY, preferences.fixationColourShown());
    pauseContext = new wxChoice(this, wxID_ANY);
    pauseContext->Append("The sentence around the word");
    pauseContext->Append("The word alone");
    pauseContext->SetSelection(preferences.pauseContext);
    // In the order of CFlitWordCalcs::eLengthUnit.
    count = new wxChoice(this, wxID_ANY);
    count->Append("Bytes (as first tuned)");
    count->Append("Characters (any script)");
    count->SetSelection(preferences.count);
    hyphenate = new wxChoice(this, wxID_ANY);
    hyphenate->Append("Cut at the word display length");
    hyphenate->Append("Hyphenate at syllables");
    hyphenate->SetSelection(preferences.hyphenate ? 1 : 0);
    language = new wxChoice(this, wxID_ANY);
    language->Append("From the document");
    languages = CHyphenation::installedLanguages();
    const std::string chosenLanguage = preferences.language.utf8_string();
    if (!chosenLanguage.empty() &&
        std::find(languages.begin(), languages.end(), chosenLanguage) == languages.end()) {
        languages.push_back(chosenLanguage);
    }
    language->SetSelection(0);
    for (std::size_t i = 0; i < languages.size(); ++i) {
        const wxLanguageInfo* info = wxLocale::FindLanguageInfo(languages[i]);
        language->Append(info != nullptr ? info->Description + " (" + languages[i] + ")"
                                         : wxString::FromUTF8(languages[i]));
        if (languages[i] == chosenLanguage) {
            language->SetSelection(static_cast<int>(i) + 1);
        }
    }
    voice = new wxChoice(this, wxID_ANY);
    voice->Append("From the document's language");
    voice->SetSelection(0);
    for (const CSpeechSynth::SVoice& offered : CSpeechSynth::get().voices()) {
        voices.push_back(offered.identifier);
        voice->Append(wxString::FromUTF8(offered.name + " (" + offered.language + ")"));
        if (wxString::FromUTF8(offered.identifier) == preferences.voice) {
            voice->SetSelection(static_cast<int>(voices.size()));
        }
    }
    reopenLast = new wxCheckBox(this, wxID_ANY, "&Reopen the last document at start");
    reopenLast->SetValue(preferences.reopenLast);
    wordsPerFlash = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                   wxSP_ARROW_KEYS, CPhrases::kMinWords, CPhrases::kMaxWords,
                                   static_cast<int>(preferences.wordsPerFlash));
    // Chunks a person can read: otherwise long words are cut as "Long words" says.
    cutForReading = new wxCheckBox(this, wxID_ANY, "For r&eading: at hyphens, syllables or evenly");
    cutForReading->SetValue(preferences.cutForReading);

    wxFlexGridSizer* grid = new wxFlexGridSizer(2, kGap, 2 * kGap);
    grid->AddGrowableCol(1);
    const auto row = [&](const char* label, wxWindow* control) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), wxSizerFlags().CentreVertical());
        grid->Add(control, wxSizerFlags().Expand());
    };
    row("&Speed (words per minute):", speed);
    row("&Word display length:", wordLength);
    row("Font of the &word:", font);
    row("Colour &theme:", theme);
    row("Fixation point:", fixation);
    row("Fixation colour:", themeAccent);
    grid->AddSpacer(0);
    grid->Add(fixationColour);
    row("When &paused, show:", pauseContext);
    row("&Count word lengths in:", count);
    row("&Long words:", hyphenate);
    row("&Hyphenation language:", language);
    row("Starting without a document:", reopenLast);
    row("Words per &flash (short words of a line):", wordsPerFlash);
    row("Cut long words:", cutForReading);
    row("&Voice (Read Aloud):", voice);

    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, wxSizerFlags(1).Expand().Border(wxALL, 2 * kGap));
    sizer->Add(CreateSeparatedButtonSizer(wxCLOSE), wxSizerFlags().Expand().Border(wxALL, kGap));
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_CLOSE);
    showFixationChoices();

    const auto changed = [this](wxEvent&) { onChange(); };
    speed->Bind(wxEVT_SPINCTRL, changed);
    wordLength->Bind(wxEVT_SPINCTRL, changed);
    font->Bind(wxEVT_FONTPICKER_CHANGED, changed);
    theme->Bind(wxEVT_CHOICE, changed);
    fixation->Bind(wxEVT_CHECKBOX, changed);
    themeAccent->Bind(wxEVT_CHECKBOX, changed);
    fixationColour->Bind(wxEVT_COLOURPICKER_CHANGED, changed);
    pauseContext->Bind(wxEVT_CHOICE, changed);
    count->Bind(wxEVT_CHOICE, changed);
    hyphenate->Bind(wxEVT_CHOICE, changed);
    language->Bind(wxEVT_CHOICE, changed);
    reopenLast->Bind(wxEVT_CHECKBOX, changed);
    wordsPerFlash->Bind(wxEVT_SPINCTRL, changed);
    cutForReading->Bind(wxEVT_CHECKBOX, changed);
    voice->Bind(wxEVT_CHOICE, changed);
}

SPreferences CPreferencesDialog::getPreferences() const {
    SPreferences chosen = shown;
    chosen.speed = static_cast<unsigned int>(speed->GetValue());
    chosen.wordLength = static_cast<unsigned int>(wordLength->GetValue());
    const wxFont picked = font->GetSelectedFont();
    if (picked.IsOk()) {
        // The face is kept only when the user picked one: the default follows the system's.
        if (picked.GetFaceName() != wordFontOf(shown).GetFaceName()) {
            chosen.fontFace = picked.GetFaceName();
        }
        chosen.fontSize = picked.GetPointSize();
    }
    chosen.theme = theme->GetSelection();
    chosen.fixation = fixation->GetValue();
    chosen.fixationColour = themeAccent->GetValue() ? wxColour() : fixationColour->GetColour();
    chosen.pauseContext = pauseContext->GetSelection();
    chosen.count = count->GetSelection() == CFlitWordCalcs::eLengthBytes
                       ? CFlitWordCalcs::eLengthBytes
                       : CFlitWordCalcs::eLengthCharacters;
    chosen.hyphenate = hyphenate->GetSelection() == 1;
    const int languageChoice = language->GetSelection();
    chosen.language =
        languageChoice > 0
            ? wxString::FromUTF8(languages[static_cast<std::size_t>(languageChoice) - 1])
            : wxString();
    chosen.reopenLast = reopenLast->GetValue();
    chosen.wordsPerFlash = static_cast<unsigned int>(wordsPerFlash->GetValue());
    chosen.cutForReading = cutForReading->GetValue();
    // A voice the synthesizer no longer offers stays chosen until another is picked.
    const int voiceChoice = voice->GetSelection();
    if (voiceChoice > 0) {
        chosen.voice = wxString::FromUTF8(voices[static_cast<std::size_t>(voiceChoice) - 1]);
    } else if (voiceChoice == 0) {
        chosen.voice.clear();
    }
    return chosen;
}

void CPreferencesDialog::onChange() {
    const SPreferences chosen = getPreferences();
    showFixationChoices();
    if (chosen != shown) {
        shown = chosen;
        apply(shown);
    }
    // The picker shows the colour the letter is drawn in, the theme's accent included.
    fixationColour->SetColour(shown.fixationColourShown());
}

void CPreferencesDialog::showFixationChoices() {
    language->Enable(hyphenate->GetSelection() == 1 || cutForReading->GetValue());
    themeAccent->Enable(fixation->GetValue());
    fixationColour->Enable(fixation->GetValue() && !themeAccent->GetValue());
}
