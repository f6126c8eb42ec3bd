#include "view/FindBar.h"

#include "frame/ReaderFrame.h"
#include "reading/ReadingNavigator.h"
#include "view/FlitView.h"

#include <wx/button.h>
#include <wx/event.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>

namespace {

// Words shown either side of a match.
const size_t kContextReach = 8;
const int kFieldWidth = 260;
const int kGap = 6;
const wchar_t* const kEllipsis = L"\u2026";
// What the bar waits to do once the words are ready, other than a move either way.
const int kNoneWaiting = 0;
const int kTypedWaiting = 2;

// Text shown as it is in a label with markup: an ampersand doubled as the toolkit wants it for
// a literal one (a single one would mark a mnemonic).
wxString escapeMarkup(const wxString& text) {
    wxString escaped;
    for (const wxUniChar c : text) {
        switch (c.GetValue()) {
        case '&':
            escaped += "&amp;&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

CFindBar::CFindBar(CReaderFrame* readerFrame)
    : wxPanel(readerFrame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "findBar"),
      frame(readerFrame) {
    field = new wxSearchCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                             wxSize(kFieldWidth, -1), wxTE_PROCESS_ENTER);
    field->SetDescriptiveText("Find in the text");
    wxButton* previous =
        new wxButton(this, wxID_ANY, "Previous", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    wxButton* next =
        new wxButton(this, wxID_ANY, "Next", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    wxButton* closing =
        new wxButton(this, wxID_ANY, "Close", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    status = new wxStaticText(this, wxID_ANY, wxEmptyString);
    context = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxST_ELLIPSIZE_END | wxST_NO_AUTORESIZE);

    wxBoxSizer* controls = new wxBoxSizer(wxHORIZONTAL);
    controls->Add(field, wxSizerFlags().CenterVertical());
    controls->Add(previous, wxSizerFlags().CenterVertical().Border(wxLEFT, kGap));
    controls->Add(next, wxSizerFlags().CenterVertical().Border(wxLEFT, kGap));
    controls->Add(status, wxSizerFlags(1).CenterVertical().Border(wxLEFT, 2 * kGap));
    controls->Add(closing, wxSizerFlags().CenterVertical());
    wxBoxSizer* rows = new wxBoxSizer(wxVERTICAL);
    rows->Add(controls, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, kGap));
    rows->Add(context, wxSizerFlags().Expand().Border(wxALL, kGap));
    SetSizer(rows);
    Hide();

    // Clicked, the buttons leave the focus in the field, where typing goes on.
    for (wxButton* button : {previous, next, closing}) {
        button->SetCanFocus(false);
    }
    field->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { searchTyped(); });
    previous->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { findNext(-1); });
    next->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { findNext(1); });
    closing->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { close(); });
    // Sent to the focused window first, then up to the frame: Esc and Enter are the bar's.
    Bind(wxEVT_CHAR_HOOK, &CFindBar::onKey, this);
}

CFindBar::~CFindBar() = default;

void CFindBar::onKey(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) {
        close();
    } else if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) &&
               event.GetModifiers() == wxMOD_SHIFT) {
        findNext(-1);
    } else if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) &&
               event.GetModifiers() == wxMOD_NONE) {
        onEnter();
    } else {
        // On to the field; the frame's reading keys leave what is typed in a text field alone.
        event.Skip();
    }
}

void CFindBar::open() {
    if (!IsShown()) {
        Show();
        GetParent()->Layout();
    }
    frame->pauseReading();
    origin = placeWord();
    // The words are made ready while the query is typed.
    searchOfDocument();
    field->SetFocus();
    field->SelectAll();
    if (!field->GetValue().empty()) {
        searchTyped();
    }
}

void CFindBar::close() {
    if (IsShown()) {
        Hide();
        GetParent()->Layout();
    }
    frame->getFlitView()->SetFocus();
}

void CFindBar::forgetDocument() {
    search.reset();
    waiting = kNoneWaiting;
    matched = movedThere = false;
    origin = 0;
    say(wxString());
}

CTextSearch* CFindBar::searchOfDocument() {
    if (!search && frame->getDocument() != nullptr && frame->getNavigator() != nullptr) {
        search = std::make_unique<CTextSearch>(*frame->getDocument(), *frame->getNavigator());
        const CTextSearch* made = search.get();
        // Called on the worker; the bar is the GUI thread's. A search forgotten meanwhile (the
        // document closed) is told apart by its address while it is alive, and its destructor
        // joins the worker before another can take the address.
        search->indexInBackground([this, made] { CallAfter([this, made] { onReady(made); }); });
    }
    return search.get();
}

CTextSearch* CFindBar::readySearch(int direction) {
    CTextSearch* text = searchOfDocument();
    if (text == nullptr) {
        say("Open a document to search it");
        return nullptr;
    }
    if (!text->isReady()) {
        waiting = direction;
        say(wxString("Preparing the search") + kEllipsis);
        return nullptr;
    }
    return text;
}

void CFindBar::onReady(const CTextSearch* ready) {
    if (ready != search.get()) {
        return;
    }
    const int asked = waiting;
    waiting = kNoneWaiting;
    if (asked == kTypedWaiting) {
        searchTyped();
    } else if (asked != kNoneWaiting) {
        findNext(asked);
    }
}

size_t CFindBar::placeWord() const {
    wxCDataInfoListNode* place = frame->getPlace();
    return place != nullptr && frame->getNavigator() != nullptr
               ? frame->getNavigator()->wordsBefore(place)
               : 0;
}

void CFindBar::searchTyped() {
    matched = movedThere = false;
    const wxString query = field->GetValue();
    if (query.Strip(wxString::both).empty()) {
        waiting = kNoneWaiting;
        say(wxString());
        return;
    }
    CTextSearch* text = readySearch(kTypedWaiting);
    if (text == nullptr) {
        return;
    }
    CTextSearch::SMatch first;
    if (text->find(query, origin, 1, &first)) {
        show(first, 1);
    } else {
        say("No matches");
    }
}

void CFindBar::onEnter() {
    if (!matched) {
        wxBell();
    } else if (!movedThere) {
        jumpToMatch();
    } else {
        findNext(1);
    }
}

void CFindBar::findNext(int direction) {
    if (field->GetValue().Strip(wxString::both).empty()) {
        open();
        return;
    }
    if (!IsShown()) {
        Show();
        GetParent()->Layout();
    }
    CTextSearch* text = readySearch(direction);
    if (text == nullptr) {
        return;
    }
    // From the match shown while reading is still there; else from where reading is.
    const size_t place = placeWord();
    CTextSearch::SMatch next;
    bool found = false;
    if (matched && (!movedThere || place == match.word)) {
        found = text->step(match, direction, &next);
    } else {
        found = text->find(field->GetValue(), direction > 0 ? place + 1 : place, direction, &next);
    }
    if (!found) {
        say("No matches");
        wxBell();
        return;
    }
    show(next, direction);
    jumpToMatch();
}

void CFindBar::jumpToMatch() {
    frame->jumpTo(match.node);
    movedThere = true;
    // Typing on refines the search from here.
    origin = match.word;
}

void CFindBar::show(const CTextSearch::SMatch& found, int direction) {
    match = found;
    matched = true;
    movedThere = false;
    wxString said = wxString::Format("%zu of %zu", found.ordinal + 1, found.count);
    if (found.wrapped) {
        said += direction > 0 ? ", wrapped to the start" : ", wrapped to the end";
    }
    status->SetLabel(said);
    const CTextSearch::SContext shown = search->contextOf(found, kContextReach);
    // The words either side are cut from longer text: an ellipsis says so.
    const wxString before = shown.before.empty() ? wxString() : kEllipsis + shown.before + " ";
    const wxString after = shown.after.empty() ? wxString() : " " + shown.after + kEllipsis;
    context->SetLabelMarkup(escapeMarkup(before) + "<b>" + escapeMarkup(shown.match) + "</b>" +
                            escapeMarkup(after));
    contextText = before + shown.match + after;
    Layout();
}

void CFindBar::say(const wxString& message) {
    status->SetLabel(message);
    context->SetLabel(wxString());
    contextText.clear();
    Layout();
}

wxString CFindBar::getStatus() const {
    return status->GetLabel();
}

wxString CFindBar::getContext() const {
    return contextText;
}
