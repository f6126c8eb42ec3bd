#ifndef FLIT_APP_FINDBAR_H
#define FLIT_APP_FINDBAR_H

#include "reading/TextSearch.h"

#include <wx/panel.h>

#include <memory>

class CReaderFrame;
class wxKeyEvent;
class wxSearchCtrl;
class wxStaticText;

// The bar that finds text in the open document, above the progress strip, hidden until asked
// for. Typing searches from the place reading was at when the bar opened and shows the match
// in its context, with its number among the matches; Enter moves reading there, and the next
// Enter (or F3) on to the next match. Keys typed in the bar stay in it: none reaches the
// frame's reading keys. Esc closes it. A long document's words are made ready for searching on a
// worker from the moment the bar opens; a search asked for before then says so and runs when
// they are.
class CFindBar : public wxPanel {
public:
    explicit CFindBar(CReaderFrame* frame);
    ~CFindBar() override;

    // Shows the bar with the focus in its field, pausing reading.
    void open();
    // Moves reading to the next match (direction > 0) or the previous one, of the query in the
    // field, from the match last shown or the place reading is at. With no query, opens the bar.
    void findNext(int direction);
    // Hides the bar and gives the focus back to the view.
    void close();
    // The document closes: what was found in it goes.
    void forgetDocument();

    // What the bar says: the match's number or why there is none, and the context shown.
    wxString getStatus() const;
    wxString getContext() const;
    wxSearchCtrl* getField() const { return field; }

private:
    void onKey(wxKeyEvent& event);
    // Enter: moves to the match shown, or on to the next once there.
    void onEnter();
    // The query typed changed: the first match from where the bar opened.
    void searchTyped();
    // The search over the open document, its words made ready on a worker from the first call;
    // null when none is open.
    CTextSearch* searchOfDocument();
    // The search over the open document once its words are ready; null (having said so, and
    // remembering what to do then) before, or when none is open.
    CTextSearch* readySearch(int direction);
    // The words are ready: the search asked for meanwhile runs.
    void onReady(const CTextSearch* ready);
    // The word reading is at.
    size_t placeWord() const;
    // direction: the way the search went, to say which end it went round.
    void show(const CTextSearch::SMatch& match, int direction);
    void say(const wxString& message);
    void jumpToMatch();

    CReaderFrame* frame;
    wxSearchCtrl* field;
    wxStaticText* status;
    wxStaticText* context;
    wxString contextText;
    std::unique_ptr<CTextSearch> search;
    // What was asked for before the words were ready: kNoneWaiting, a search of the field as
    // typed, or a move to the next match (1) or the previous one (-1).
    int waiting = 0;
    // The word typing searches from, and the match shown; whether reading was moved to it.
    size_t origin = 0;
    CTextSearch::SMatch match;
    bool matched = false;
    bool movedThere = false;
};

#endif
