// Every item of the menu bar and every key of the keys overlay reaches its own command, seen by
// its effect on a real frame; an item or an overlay key the tables do not know fails.

#include "frame/ReaderFrame.h"
#include "frame/ReaderKeys.h"
#include "frame/ReaderStatus.h"
#include "view/FindBar.h"
#include "view/FlitView.h"
#include "view/KeysOverlay.h"
#include "view/PagePane.h"
#include "view/Themes.h"

#include "support/ReaderWindowTest.h"
#include "support/TestHost.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Three paragraphs on pages 3, 4 and 5 (words 1, 12 and 20 of 21), the first two chapters.
const char* const kBook = "{page 3}The tide comes in. Boats rise at their moorings. Gulls wait."
                          "\n\n{page 4}A second paragraph starts here. It ends here.\n\n"
                          "{page 5}Third part.";

// What the places' commands say with no jump made yet, and of a document not from a file.
#define NO_BACK "No place to go back to: Home, the progress bar, a chapter or a bookmark leave one"
#define NO_NOTE "No note has been passed yet"
#define NO_BOOKMARKS "Bookmarks are kept in the library, which cannot keep this document"

// Every item of the menu bar (not a submenu or a separator) with its path of labels.
using Items = std::vector<std::pair<wxString, wxMenuItem*>>;
void addItems(wxMenu* menu, const wxString& path, Items* items) {
    for (wxMenuItem* item : menu->GetMenuItems()) {
        const wxString itemPath = path + " > " + item->GetItemLabelText();
        if (item->IsSubMenu()) {
            addItems(item->GetSubMenu(), itemPath, items);
        } else if (!item->IsSeparator()) {
            items->emplace_back(itemPath, item);
        }
    }
}
Items itemsOf(wxMenuBar* bar) {
    Items items;
    for (size_t menu = 0; menu < bar->GetMenuCount(); ++menu) {
        addItems(bar->GetMenu(menu), bar->GetMenuLabelText(menu), &items);
    }
    return items;
}

// An item chosen as the toolkit does it: its check mark set, then its command sent.
void activate(wxMenuItem* item) {
    if (item->IsCheckable()) {
        item->Check(item->IsRadio() || !item->IsChecked());
    }
    item->GetMenu()->SendEvent(item->GetId(), item->IsCheckable() ? item->IsChecked() : -1);
}

// A key as the toolkit passes it on: to the frame's key hook, then, when the hook lets it go, to
// the menu item whose accelerator it is. False when neither takes it.
bool press(CReaderFrame* frame, int code, int unicode, int modifiers = wxMOD_NONE) {
    if (pressKey(frame, code, unicode, modifiers)) {
        return true;
    }
    for (const auto& [path, item] : itemsOf(frame->GetMenuBar())) {
        std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
        if (accel && accel->GetKeyCode() == code && accel->GetFlags() == modifiers) {
            activate(item);
            return true;
        }
    }
    return false;
}

// Each modal dialog (a file chooser too) is named and closed as soon as it shows.
struct SDialogsClosed : wxModalDialogHook {
    int Enter(wxDialog* dialog) override {
        if (dialog != last) { // a file chooser enters twice
            auto* files = dynamic_cast<wxFileDialog*>(dialog);
            opened += files != nullptr ? files->GetMessage() : dialog->GetTitle();
            dialog->CallAfter([dialog] { dialog->EndModal(wxID_CANCEL); });
        }
        last = dialog;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override { last = nullptr; }
    wxDialog* last = nullptr;
    wxString opened; // the titles of the dialogs shown
};

class MenuCommandsTest : public ReaderWindowTest {
protected:
    void SetUp() override {
        ReaderWindowTest::SetUp();
        openFrame();
        dialogs.Register();
    }
    void TearDown() override {
        dialogs.Unregister();
        ReaderWindowTest::TearDown();
    }

    // The book open at 250 wpm, stopped at word 10; reading from there when asked. Esc leaves
    // full screen, any key closes the keys list.
    void openBook(bool reading) {
        if (frame->keysShown()) {
            EXPECT_TRUE(press(frame, WXK_SHIFT, 0) && !frame->keysShown());
        }
        if (frame->IsFullScreen()) {
            EXPECT_TRUE(press(frame, WXK_ESCAPE, 0) && !frame->IsFullScreen());
        }
        frame->getFindBar()->close();
        frame->setReadAloud(false);
        // The clipboard is the display's: another test's process may have taken it (and gone).
        // Set again only then, since text this process still owns is freed only as it is lost.
        if (wxTheClipboard->Open()) {
            wxTextDataObject held;
            if (!wxTheClipboard->GetData(held) || held.GetText() != "Pasted words.") {
                wxTheClipboard->SetData(new wxTextDataObject("Pasted words."));
            }
            wxTheClipboard->Close();
        }
        SPreferences preferences = frame->getPreferences();
        preferences.speed = 250;
        frame->setPreferences(preferences);
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> book =
            importer.importText(kBook, CDocumentImporter::eMarkedUp, folder);
        book->setTitle("Tides");
        size_t item = 0, pages = 0;
        for (wxCDataInfoListNode* node = book->getFirstNode(); node; node = node->GetNext()) {
            if (node->GetData()->getDataInfoType() == eDITPageInfoRef && pages++ < 2) {
                book->addContentsEntry(pages == 1 ? "Tide" : "Second", 1, item);
            }
            ++item;
        }
        frame->openImported(std::move(book), "tides.flit");
        frame->moveByParagraph(1);
        frame->moveBySentence(-1);
        ASSERT_TRUE(holds("at:Word 10 of 21|Page 3|Tide", nullptr) &&
                    holds("title:Tides", nullptr));
        if (reading) {
            frame->togglePause();
        }
        dialogs.opened.clear();
    }

    // Whether the effect expected ("kind:what") holds after the item's (or a key's) command.
    bool holds(const wxString& expected, wxMenuItem* item) {
        const wxString kind = expected.BeforeFirst(':'), what = expected.AfterFirst(':');
        const CReaderFrame::eReadingState states[] = {CReaderFrame::eReading, CReaderFrame::ePaused,
                                                      CReaderFrame::eStopped};
        CFlitView* view = frame->getFlitView();
        const std::pair<const char*, std::function<bool()>> checks[] = {
            {"at", // the words, page and chapter fields, and the view's page
             [&] {
                 return frame->getStatusText(eFieldWords) + "|" + frame->getStatusText(eFieldPage) +
                                "|" + frame->getStatusText(eFieldChapter) ==
                            what &&
                        view->getPageNumber() ==
                            wxAtoi(what.AfterFirst('|').BeforeFirst('|').AfterLast(' '));
             }},
            {"dialog", [&] { return dialogs.opened == what; }},
            {"title", [&] { return frame->GetTitle() == what + " - FlitReader"; }},
            {"says", [&] { return frame->getStatusText(eFieldChapter) == what; }},
            {"speed", [&] { return frame->getManager()->getTargetSpeed() == wxAtoi(what); }},
            {"state", // the frame's and the engine's (running, paused, stopped)
             [&] {
                 return frame->getReading() == states[wxAtoi(what)] &&
                        frame->getManager()->getState() == wxAtoi(what);
             }},
            {"full", [&] { return frame->IsFullScreen(); }},
            {"find", [&] { return frame->getFindBar()->IsShown(); }},
            {"keys", [&] { return frame->keysShown(); }},
            {"quit", [&] { return wxPendingDelete.Member(frame); }},
            {"theme",
             [&] {
                 return item->GetItemLabelText() == themeOf(frame->getPreferences().theme).label;
             }},
            {"fixation", [&] { return item->IsChecked() == view->getFixationEnabled(); }},
            {"breaks", [&] { return item->IsChecked() == frame->getKeepLineBreaks(); }},
            // A menu item's state, or after a key from the defaults, turned on.
            {"flash",
             [&] {
                 return frame->getManager()->getWordsPerFlash() ==
                        static_cast<unsigned int>(wxAtoi(item ? item->GetItemLabelText() : what));
             }},
            {"neighbours",
             [&] { return (item ? item->IsChecked() : true) == view->getNeighboursShown(); }},
            {"page",
             [&] { return (item ? item->IsChecked() : true) == frame->getPagePane()->IsShown(); }},
            {"aloud", [&] { return (item ? item->IsChecked() : true) == frame->isReadingAloud(); }},
        };
        for (const auto& [name, check] : checks) {
            if (kind == name) {
                // A file opens in the background: its effects come once it is read.
                return kind == "quit" ? check() : pumpUntil(check);
            }
        }
        ADD_FAILURE() << "no such effect: " << expected;
        return false;
    }

    CZeroTimingTable zeroTiming;
    SDialogsClosed dialogs;
};

TEST_F(MenuCommandsTest, EveryMenuItemReachesItsCommand) {
    const wxString quay = write("quay.txt", "Nets dry on the quay.");
    for (const wxString& path : {quay, write("other.txt", "Other words."), quay}) {
        ASSERT_TRUE(frame->openDocument(path, true));
    }
    // The items (a pattern), whether reading goes on when they are chosen, and their effect.
    const struct {
        const char* items;
        bool reading;
        const char* effect;
    } rows[] = {
        {"File > Open...", false, "dialog:Open a document to read"},
        {"File > Open Recent > 1 *quay.txt", false, "title:quay.txt"},
        {"File > Open Recent > 2 *other.txt", false, "at:Word 0 of 2||"},
        {"File > Library...", false, "dialog:Library"},
        {"* > Start from the Beginning (Home)", false, "state:0"},
        {"Edit > Paste as Document", false, "title:Clipboard text"},
        {"Edit > Preferences...", false, "dialog:Preferences"},
        {"View > Theme > *", false, "theme"},
        {"View > Fixation Point", false, "fixation"},
        {"View > Words per Flash > *", false, "flash"},
        {"View > Neighbouring Words (W)", false, "neighbours"},
        {"View > Page (P)", false, "page"},
        {"View > Full Screen (F11)", false, "full"},
        {"View > Statistics...", false, "dialog:Reading Statistics"},
        {"View > Last Note (N)", false, "says:" NO_NOTE},
        {"Reading > Pause / Continue (Space)", true, "state:1"},
        {"Reading > Stop (Esc)", true, "state:2"},
        {"Reading > Back One Sentence (Left)", false, "at:Word 5 of 21|Page 3|Tide"},
        {"Reading > Forward One Sentence (Right)", false, "at:Word 12 of 21|Page 4|Second"},
        {"Reading > Back One Paragraph (Ctrl+Left)", false, "at:Word 1 of 21|Page 3|Tide"},
        {"Reading > Forward One Paragraph (Ctrl+Right)", false, "at:Word 12 of 21|Page 4|Second"},
        {"Reading > Keep Line Breaks", false, "breaks"},
        {"Reading > Read Aloud", false, "aloud"},
        {"Go > Chapter...", false, "dialog:Chapter"},
        {"Go > Chapters > Tide", false, "at:Word 1 of 21|Page 3|Tide"},
        {"Go > Chapters > Second", false, "at:Word 12 of 21|Page 4|Second"},
        {"Speed > Faster (Up)", false, "speed:275"},
        {"Speed > Slower (Down)", false, "speed:225"},
        {"Speed > Set Speed...", false, "dialog:Set Speed"},
        {"Reading > Back One Word (, or Shift+Left)", false, "at:Word 9 of 21|Page 3|Tide"},
        {"Reading > Forward One Word (. or Shift+Right)", false, "at:Word 11 of 21|Page 3|Tide"},
        {"Speed > Double", false, "speed:500"},
        {"Speed > Half", false, "speed:125"},
        {"Speed > Word Display Length...", false, "dialog:FlitReader"},
        {"Tools > Debug Dialog...", false, "dialog:FlitEngine Debug"},
        {"Help > Keys (F1 or ?)", false, "keys"},
        {"Help > About FlitReader", false, "dialog:About FlitReader"},
        {"Edit > Find*", false, "find"},
        {"Go > Back", false, "says:" NO_BACK},
        {"Go > Forward", false, "says:No place to go forward to"},
        {"Go > *Bookmark*", false, "says:" NO_BOOKMARKS},
        {"File > Quit", false, "quit"}, // last: the frame goes
    };
    openBook(false);
    for (const auto& [path, item] : itemsOf(frame->GetMenuBar())) {
        EXPECT_TRUE(std::any_of(std::begin(rows), std::end(rows),
                                [&](const auto& row) { return path.Matches(row.items); }))
            << "an item without a row: " << path;
    }
    for (const auto& row : rows) {
        size_t matched = 0;
        for (const auto& [path, listed] : itemsOf(frame->GetMenuBar())) {
            if (path.Matches(row.items)) {
                SCOPED_TRACE(path);
                openBook(row.reading);
                // Opening lists the chapters and recent files anew: the item as it is now.
                for (const auto& [now, item] : itemsOf(frame->GetMenuBar())) {
                    if (now == path) {
                        activate(item);
                        EXPECT_TRUE(holds(row.effect, item)) << "dialogs: " << dialogs.opened;
                        ++matched;
                    }
                }
            }
        }
        EXPECT_GT(matched, 0u) << row.items;
    }
    frame = nullptr; // quit
}

TEST_F(MenuCommandsTest, EveryOverlayKeyReachesItsCommand) {
    const struct {
        const char* key; // as the overlay lists it
        int code, unicode, modifiers;
        bool reading;
        const char* effect;
    } rows[] = {
        {"Home", WXK_HOME, 0, wxMOD_NONE, false, "state:0"},
        {"Space", WXK_SPACE, ' ', wxMOD_NONE, true, "state:1"},
        {"Esc", WXK_ESCAPE, WXK_ESCAPE, wxMOD_NONE, true, "state:2"},
        {"Left / Right", WXK_LEFT, 0, wxMOD_NONE, false, "at:Word 5 of 21|Page 3|Tide"},
        {"Left / Right", WXK_RIGHT, 0, wxMOD_NONE, false, "at:Word 12 of 21|Page 4|Second"},
        {"Ctrl+Left / Ctrl+Right", WXK_LEFT, 0, wxMOD_CONTROL, false,
         "at:Word 1 of 21|Page 3|Tide"},
        {"Ctrl+Left / Ctrl+Right", WXK_RIGHT, 0, wxMOD_CONTROL, false,
         "at:Word 12 of 21|Page 4|Second"},
        {", / . or Shift+Left / Shift+Right", ',', ',', wxMOD_NONE, false,
         "at:Word 9 of 21|Page 3|Tide"},
        {"1 to 5", '3', '3', wxMOD_NONE, false, "flash:3"},
        {"W / P", 'W', 'w', wxMOD_NONE, false, "neighbours"},
        {"W / P", 'P', 'p', wxMOD_NONE, true, "page"},
        {"Up / Down", WXK_UP, 0, wxMOD_NONE, false, "speed:275"},
        {"Up / Down", WXK_DOWN, 0, wxMOD_NONE, false, "speed:225"},
        {"Click or drag the bar", 0, 0, wxMOD_NONE, false, "at:Word 21 of 21|Page 5|Second"},
        {"L", 'L', 'l', wxMOD_NONE, false, "says:No link has been shown yet"},
        {"A", 'A', 'a', wxMOD_NONE, false, "says:No attachment has just been announced"},
        {"N", 'N', 'n', wxMOD_NONE, false, "says:" NO_NOTE},
        {"F11", WXK_F11, 0, wxMOD_NONE, false, "full"},
        {"F1 or ?", WXK_F1, 0, wxMOD_NONE, false, "keys"},
        {"F1 or ?", '/', '?', wxMOD_NONE, false, "keys"},
        {"Ctrl+O / Ctrl+V", 'O', 0, wxMOD_CONTROL, false, "dialog:Open a document to read"},
        {"Ctrl+O / Ctrl+V", 'V', 0, wxMOD_CONTROL, false, "title:Clipboard text"},
        {"Ctrl+G", 'G', 0, wxMOD_CONTROL, false, "dialog:Chapter"},
        {"Alt+Left / Alt+Right", WXK_LEFT, 0, wxMOD_ALT, false, "says:" NO_BACK},
        {"Alt+Left / Alt+Right", WXK_RIGHT, 0, wxMOD_ALT, false, "says:No place to go forward to"},
        {"Ctrl+B / Ctrl+Shift+B", 'B', 0, wxMOD_CONTROL, false, "says:" NO_BOOKMARKS},
        {"Ctrl+B / Ctrl+Shift+B", 'B', 0, wxMOD_CONTROL | wxMOD_SHIFT, false, "says:" NO_BOOKMARKS},
        {"Ctrl+F", 'F', 0, wxMOD_CONTROL, false, "find"},
        {"Ctrl+R", 'R', 0, wxMOD_CONTROL, false, "aloud"},
        {"F3 / Shift+F3", WXK_F3, 0, wxMOD_NONE, false, "find"},
        {"F3 / Shift+F3", WXK_F3, 0, wxMOD_SHIFT, false, "find"},
        {"Ctrl+D", 'D', 0, wxMOD_CONTROL, false, "dialog:FlitEngine Debug"},
        {"Ctrl+Q", 'Q', 0, wxMOD_CONTROL, false, "quit"}, // last: the frame goes
    };
    for (const auto& [listed, action] : CKeysOverlay::keys()) {
        EXPECT_TRUE(std::any_of(std::begin(rows), std::end(rows),
                                [&](const auto& row) { return wxString(row.key) == listed; }))
            << "an overlay key without a row: " << listed;
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        openBook(row.reading);
        if (row.code != 0) {
            EXPECT_TRUE(press(frame, row.code, row.unicode, row.modifiers));
        } else { // a click at the end of the progress strip
            clickStrip(1);
        }
        EXPECT_TRUE(holds(row.effect, nullptr)) << "dialogs: " << dialogs.opened;
    }
    frame = nullptr; // quit
}

// The keys go on to where the keyboard is while a menu is open, or while a text field or
// another window has the focus.
TEST_F(MenuCommandsTest, KeysGoOnWhereTheKeyboardIs) {
    openBook(false);
    wxMenu* speedMenu = frame->GetMenuBar()->GetMenu(frame->GetMenuBar()->FindMenu("Speed"));
    for (const wxEventType menu : {wxEVT_MENU_OPEN, wxEVT_MENU_CLOSE}) {
        wxMenuEvent event(menu, 0, speedMenu);
        frame->ProcessWindowEvent(event);
        EXPECT_EQ(menu == wxEVT_MENU_CLOSE, press(frame, WXK_UP, 0));
    }
    wxDialog* dialog = new wxDialog(frame, wxID_ANY, "Other");
    const std::pair<wxWindow*, bool> focuses[] = {
        {nullptr, false},
        {frame->getFlitView(), false},
        {new wxTextCtrl(frame, wxID_ANY), true},
        {new wxButton(dialog, wxID_OK), true},
    };
    for (const auto& [focus, elsewhere] : focuses) {
        EXPECT_EQ(elsewhere, CReaderKeys::focusElsewhere(focus, frame))
            << (focus ? focus->GetClassInfo()->GetClassName() : L"none");
    }
    dialog->Destroy();
}

// Go > Chapter... (Ctrl+G) can be chosen whenever there are chapters; a table of up to 40 is
// listed in a submenu too (an entry past the text left out).
TEST_F(MenuCommandsTest, ChapterItemsFollowTheTableOfContents) {
    const std::pair<size_t, int> tables[] = {{0, -1}, {3, 3}, {40, 40}, {41, -1}, {51, -1}};
    wxMenu* go = frame->GetMenuBar()->GetMenu(frame->GetMenuBar()->FindMenu("Go"));
    for (const auto& [entries, listed] : tables) {
        SCOPED_TRACE(entries);
        std::string text;
        for (int word = 0; word < 50; ++word) {
            text += "Wave ";
        }
        std::unique_ptr<CDataManager> document =
            CDocumentImporter().importText(text, CDocumentImporter::ePlainText, folder);
        for (size_t entry = 0; entry < entries; ++entry) {
            document->addContentsEntry("Part", 1, entry < 50 ? entry * 2 : 1000);
        }
        frame->openImported(std::move(document), "waves.txt");
        EXPECT_EQ(entries > 0, go->FindItemByPosition(0)->IsEnabled());
        wxMenuItem* second = go->GetMenuItemCount() > 1 ? go->FindItemByPosition(1) : nullptr;
        EXPECT_EQ(listed, second && second->GetSubMenu()
                              ? static_cast<int>(second->GetSubMenu()->GetMenuItemCount())
                              : -1);
    }
}

} // namespace
