// Every item of the menu bar and every key of the keys overlay reaches its own command, seen by
// its effect on a real frame; an item or an overlay key the tables do not know fails.

#include "frame/ReaderFrame.h"
#include "frame/ReaderKeys.h"
#include "frame/ReaderStatus.h"
#include "view/FlitView.h"
#include "view/KeysOverlay.h"
#include "view/Themes.h"

#include "support/TestHost.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dialog.h>
#include <wx/fileconf.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/srchctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

namespace {

// Three paragraphs on pages 3, 4 and 5 (words 1, 12 and 20 of 21), the first two chapters.
const char* const kBook = "{page 3}The tide comes in. Boats rise at their moorings. Gulls wait."
                          "\n\n{page 4}A second paragraph starts here. It ends here.\n\n"
                          "{page 5}Third part.";

// Every item (a list's entries by pattern), its command activated as the toolkit does.
void forEachItem(wxMenu* menu, const wxString& path,
                 const std::function<void(wxMenuItem*, const wxString&)>& visit) {
    for (wxMenuItem* item : menu->GetMenuItems()) {
        const wxString itemPath = path + " > " + item->GetItemLabelText();
        if (item->IsSubMenu()) {
            forEachItem(item->GetSubMenu(), itemPath, visit);
        } else if (!item->IsSeparator()) {
            visit(item, itemPath);
        }
    }
}

void activate(wxMenuItem* item) {
    if (item->IsCheckable()) {
        item->Check(item->IsRadio() || !item->IsChecked());
    }
    item->GetMenu()->SendEvent(item->GetId(), item->IsCheckable() ? item->IsChecked() : -1);
}

// A key as the toolkit passes it on: to the frame's key hook, then, when the hook lets it go, to
// the menu item whose accelerator it is.
bool press(CReaderFrame* frame, int code, int unicode, int modifiers = wxMOD_NONE) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = code;
    key.m_uniChar = static_cast<wxChar>(unicode);
    key.m_controlDown = (modifiers & wxMOD_CONTROL) != 0;
    if (frame->ProcessWindowEvent(key)) {
        return true;
    }
    wxMenuBar* bar = frame->GetMenuBar();
    wxMenuItem* found = nullptr;
    for (size_t menu = 0; menu < bar->GetMenuCount(); ++menu) {
        forEachItem(bar->GetMenu(menu), "", [&](wxMenuItem* item, const wxString&) {
            std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
            if (accel && accel->GetKeyCode() == code && accel->GetFlags() == modifiers) {
                found = item;
            }
        });
    }
    if (found != nullptr) {
        activate(found);
    }
    return found != nullptr;
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

class MenuCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        folder = wxFileName::CreateTempFileName("flit-menus");
        wxRemoveFile(folder);
        wxFileName::Mkdir(folder, 0700);
        wxSetEnv("XDG_DATA_HOME", folder);
        wxConfigBase::Set(new wxFileConfig("flitreader", wxEmptyString, folder + "/config"));
        frame = new CReaderFrame(SReaderOptions(), std::chrono::steady_clock::now());
        frame->Show();
        dialogs.Register();
    }
    void TearDown() override {
        dialogs.Unregister();
        if (frame != nullptr) {
            frame->Close(true);
        }
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
             !wxTopLevelWindows.IsEmpty() && std::chrono::steady_clock::now() < end;) {
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        delete wxConfigBase::Set(nullptr);
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }

    // The book open, stopped at its second paragraph.
    void openBook() {
        if (frame->IsFullScreen()) {
            frame->toggleFullScreen();
        }
        if (frame->keysShown()) {
            press(frame, WXK_SHIFT, 0); // any key closes the list
        }
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> book =
            importer.importText(kBook, CDocumentImporter::eMarkedUp, folder);
        size_t item = 0, pages = 0;
        for (wxCDataInfoListNode* node = book->getFirstNode(); node; node = node->GetNext()) {
            if (node->GetData()->getDataInfoType() == eDITPageInfoRef && pages++ < 2) {
                book->addContentsEntry(pages == 1 ? "Tide" : "Second", 1, item);
            }
            ++item;
        }
        frame->openImported(std::move(book), "tides.flit");
        frame->moveByParagraph(1);
        ASSERT_EQ("Word 12 of 21", frame->getStatusText(eFieldWords));
        ASSERT_EQ("Page 4", frame->getStatusText(eFieldPage));
        speed = frame->getManager()->getTargetSpeed();
        opened.clear();
    }

    // What a row expects after its command: the status bar's words and page fields, or a
    // dialog's title, or anything else.
    bool shows(const char* words, const char* page) {
        return frame->getStatusText(eFieldWords) == words &&
               frame->getStatusText(eFieldPage) == page &&
               frame->getFlitView()->getPageNumber() == wxAtoi(wxString(page).AfterLast(' '));
    }
    bool reading() const { return frame->getReading() == CReaderFrame::eReading; }

    wxString writeFile(const wxString& name, const std::string& text) {
        std::ofstream((folder + "/" + name).ToStdString(), std::ios::binary) << text;
        return folder + "/" + name;
    }

    CZeroTimingTable zeroTiming;
    wxString folder;
    CReaderFrame* frame = nullptr;
    SDialogsClosed dialogs;
    wxString& opened = dialogs.opened;
    int speed = 0; // before the command
};

TEST_F(MenuCommandsTest, EveryMenuItemReachesItsCommand) {
    writeFile("other.txt", "Other words.");
    wxString quay = writeFile("quay.txt", "Nets dry on the quay.");
    ASSERT_TRUE(frame->openDocument(quay, true));
    ASSERT_TRUE(frame->openDocument(folder + "/other.txt", true));
    ASSERT_TRUE(frame->openDocument(quay, true));
    const auto dialog = [this](const char* title) {
        return [this, title] { return opened == title; };
    };
    const auto title = [this](const char* name) {
        return [this, name] { return frame->GetTitle() == wxString(name) + " - FlitReader"; };
    };
    const auto words = [this](const char* at, const char* page) {
        return [this, at, page] { return shows(at, page); };
    };
    using Effect = std::function<bool()>;
    const struct {
        const char* items; // the items' paths, wildcards for a list's entries
        std::function<void()> before;
        std::function<Effect(wxMenuItem*)> effect; // given the item activated
    } rows[] = {
        {"File > Open...", nullptr, [&](wxMenuItem*) { return dialog("Open a document to read"); }},
        {"File > Open Recent > 1 *quay.txt", nullptr,
         [&](wxMenuItem*) { return title("quay.txt"); }},
        {"File > Open Recent > 2 *other.txt", nullptr,
         [&](wxMenuItem*) {
             return Effect([&] { return title("other.txt")() && shows("Word 0 of 2", ""); });
         }},
        {"File > Library...", nullptr, [&](wxMenuItem*) { return dialog("Library"); }},
        {"* > Start from the Beginning (Home)", nullptr,
         [&](wxMenuItem*) { return [&] { return reading(); }; }},
        {"Edit > Paste as Document",
         [] {
             wxTheClipboard->Open();
             wxTheClipboard->SetData(new wxTextDataObject("Pasted words."));
             wxTheClipboard->Close();
         },
         [&](wxMenuItem*) { return title("Clipboard text"); }},
        {"Edit > Preferences...", nullptr, [&](wxMenuItem*) { return dialog("Preferences"); }},
        {"View > Theme > *", nullptr,
         [&](wxMenuItem* item) {
             return [&, item] {
                 return wxString(themeOf(frame->getPreferences().theme).label) ==
                        item->GetItemLabelText();
             };
         }},
        {"View > Fixation Point", nullptr,
         [&](wxMenuItem* item) {
             return [&, item] {
                 return frame->getFlitView()->getFixationEnabled() == item->IsChecked();
             };
         }},
        {"View > Full Screen (F11)", nullptr,
         [&](wxMenuItem*) { return [&] { return frame->IsFullScreen(); }; }},
        {"View > Statistics...", nullptr,
         [&](wxMenuItem*) { return dialog("Reading Statistics"); }},
        {"Reading > Pause / Continue (Space)", nullptr,
         [&](wxMenuItem*) { return [&] { return reading(); }; }},
        {"Reading > Stop (Esc)", [&] { frame->togglePause(); },
         [&](wxMenuItem*) {
             return [&] { return frame->getReading() == CReaderFrame::eStopped; };
         }},
        {"Reading > Back One Sentence (Left)", nullptr,
         [&](wxMenuItem*) { return words("Word 10 of 21", "Page 3"); }},
        {"Reading > Forward One Sentence (Right)", nullptr,
         [&](wxMenuItem*) { return words("Word 17 of 21", "Page 4"); }},
        {"Reading > Back One Paragraph (Ctrl+Left)", nullptr,
         [&](wxMenuItem*) { return words("Word 1 of 21", "Page 3"); }},
        {"Reading > Forward One Paragraph (Ctrl+Right)", nullptr,
         [&](wxMenuItem*) { return words("Word 20 of 21", "Page 5"); }},
        {"Reading > Keep Line Breaks", nullptr,
         [&](wxMenuItem* item) {
             return [&, item] { return frame->getKeepLineBreaks() == item->IsChecked(); };
         }},
        {"Go > Chapter...", nullptr, [&](wxMenuItem*) { return dialog("Chapter"); }},
        {"Go > Chapters > *", nullptr,
         [&](wxMenuItem* item) {
             return [&, item] {
                 return frame->getStatusText(eFieldChapter) == item->GetItemLabelText() &&
                        shows(item->GetItemLabelText() == "Tide" ? "Word 1 of 21" : "Word 12 of 21",
                              item->GetItemLabelText() == "Tide" ? "Page 3" : "Page 4");
             };
         }},
        {"Speed > Faster by 25 wpm (Up)", nullptr,
         [&](wxMenuItem*) {
             return [&] { return frame->getManager()->getTargetSpeed() == speed + 25; };
         }},
        {"Speed > Slower by 25 wpm (Down)", nullptr,
         [&](wxMenuItem*) {
             return [&] { return frame->getManager()->getTargetSpeed() == speed - 25; };
         }},
        {"Speed > Double", nullptr,
         [&](wxMenuItem*) {
             return [&] { return frame->getManager()->getTargetSpeed() == speed * 2; };
         }},
        {"Speed > Half", nullptr,
         [&](wxMenuItem*) {
             return [&] { return frame->getManager()->getTargetSpeed() == speed / 2; };
         }},
        {"Speed > Word Display Length...", nullptr,
         [&](wxMenuItem*) { return dialog("FlitReader"); }},
        {"Tools > Debug Dialog...", nullptr,
         [&](wxMenuItem*) { return dialog("FlitEngine Debug"); }},
        {"Help > Keys (F1 or ?)", nullptr,
         [&](wxMenuItem*) { return [&] { return frame->keysShown(); }; }},
        {"Help > About FlitReader", nullptr,
         [&](wxMenuItem*) { return dialog("About FlitReader"); }},
        // Last: the frame goes.
        {"File > Quit", nullptr,
         [&](wxMenuItem*) { return [&] { return wxPendingDelete.Member(frame); }; }},
    };
    openBook();
    wxMenuBar* bar = frame->GetMenuBar();
    wxString unknown;
    for (size_t menu = 0; menu < bar->GetMenuCount(); ++menu) {
        forEachItem(bar->GetMenu(menu), bar->GetMenuLabelText(menu),
                    [&](wxMenuItem*, const wxString& path) {
                        if (std::none_of(std::begin(rows), std::end(rows), [&](const auto& row) {
                                return path.Matches(row.items);
                            })) {
                            unknown += path + "; ";
                        }
                    });
    }
    EXPECT_EQ("", unknown) << "items without a row";
    for (const auto& row : rows) {
        // The items matched, listed afresh: the lists change as documents open.
        std::vector<wxString> paths;
        for (size_t menu = 0; menu < bar->GetMenuCount(); ++menu) {
            forEachItem(bar->GetMenu(menu), bar->GetMenuLabelText(menu),
                        [&](wxMenuItem*, const wxString& path) {
                            if (path.Matches(row.items)) {
                                paths.push_back(path);
                            }
                        });
        }
        EXPECT_FALSE(paths.empty()) << row.items;
        for (const wxString& path : paths) {
            SCOPED_TRACE(path);
            openBook();
            if (row.before) {
                row.before();
            }
            wxMenuItem* item = nullptr;
            for (size_t menu = 0; menu < bar->GetMenuCount() && item == nullptr; ++menu) {
                forEachItem(bar->GetMenu(menu), bar->GetMenuLabelText(menu),
                            [&](wxMenuItem* at, const wxString& atPath) {
                                item = atPath == path ? at : item;
                            });
            }
            ASSERT_NE(nullptr, item);
            activate(item);
            EXPECT_TRUE(row.effect(item)()) << "opened: " << opened;
        }
    }
    frame = nullptr; // quit
}

TEST_F(MenuCommandsTest, EveryOverlayKeyReachesItsCommand) {
    const auto key = [this](int code, int unicode, int modifiers = wxMOD_NONE) {
        return [=] { press(frame, code, unicode, modifiers); };
    };
    const auto says = [this](const char* text) {
        return [=] { return frame->getStatusText(eFieldChapter) == text; };
    };
    const auto words = [this](const char* at, const char* page) {
        return [=] { return shows(at, page); };
    };
    const auto speedBy = [this](int change) {
        return [=] { return frame->getManager()->getTargetSpeed() == speed + change; };
    };
    const auto dialog = [this](const char* title) { return [=] { return opened == title; }; };
    const struct {
        const char* key; // as the overlay lists it
        std::function<void()> press;
        std::function<bool()> effect;
    } rows[] = {
        {"Home", key(WXK_HOME, 0), [&] { return reading(); }},
        {"Space", key(WXK_SPACE, ' '), [&] { return reading(); }},
        {"Esc",
         [&] {
             frame->togglePause();
             key(WXK_ESCAPE, WXK_ESCAPE)();
         },
         [&] { return frame->getReading() == CReaderFrame::eStopped; }},
        {"Left / Right", key(WXK_LEFT, 0), words("Word 10 of 21", "Page 3")},
        {"Left / Right", key(WXK_RIGHT, 0), words("Word 17 of 21", "Page 4")},
        {"Ctrl+Left / Ctrl+Right", key(WXK_LEFT, 0, wxMOD_CONTROL),
         words("Word 1 of 21", "Page 3")},
        {"Ctrl+Left / Ctrl+Right", key(WXK_RIGHT, 0, wxMOD_CONTROL),
         words("Word 20 of 21", "Page 5")},
        {"Up / Down", key(WXK_UP, 0), speedBy(25)},
        {"Up / Down", key(WXK_DOWN, 0), speedBy(-25)},
        {"Click or drag the bar",
         [&] {
             wxWindow* strip = wxWindow::FindWindowByName("progressStrip", frame);
             for (const wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
                 wxMouseEvent mouse(type);
                 mouse.m_x = strip->GetClientSize().x - 1;
                 strip->ProcessWindowEvent(mouse);
             }
         },
         words("Word 21 of 21", "Page 5")},
        {"L", key('L', 'l'), says("No link has been shown yet")},
        {"A", key('A', 'a'), says("No attachment has just been announced")},
        {"F11", key(WXK_F11, 0), [&] { return frame->IsFullScreen(); }},
        {"F1 or ?", key(WXK_F1, 0), [&] { return frame->keysShown(); }},
        {"F1 or ?", key('/', '?'), [&] { return frame->keysShown(); }},
        {"Ctrl+O / Ctrl+V", key('O', 0, wxMOD_CONTROL), dialog("Open a document to read")},
        {"Ctrl+O / Ctrl+V", key('V', 0, wxMOD_CONTROL),
         [&] { return frame->GetTitle().StartsWith("Clipboard"); }},
        {"Ctrl+G", key('G', 0, wxMOD_CONTROL), dialog("Chapter")},
        {"Ctrl+D", key('D', 0, wxMOD_CONTROL), dialog("FlitEngine Debug")},
        {"Ctrl+Q", key('Q', 0, wxMOD_CONTROL), [&] { return wxPendingDelete.Member(frame); }},
    };
    for (const auto& [listed, action] : CKeysOverlay::keys()) {
        EXPECT_TRUE(std::any_of(std::begin(rows), std::end(rows),
                                [&](const auto& row) { return wxString(row.key) == listed; }))
            << "an overlay key without a row: " << listed;
    }
    wxTheClipboard->Open();
    wxTheClipboard->SetData(new wxTextDataObject("Pasted words."));
    wxTheClipboard->Close();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        openBook();
        row.press();
        EXPECT_TRUE(row.effect()) << "opened: " << opened;
    }
    frame = nullptr; // quit
}

// The keys go on to where the keyboard is while a menu is open, or while a text field or
// another window has the focus.
TEST_F(MenuCommandsTest, KeysGoOnWhereTheKeyboardIs) {
    openBook();
    wxMenu* speedMenu = frame->GetMenuBar()->GetMenu(frame->GetMenuBar()->FindMenu("Speed"));
    const struct {
        wxEventType menu;
        bool acts;
    } steps[] = {{wxEVT_MENU_OPEN, false}, {wxEVT_MENU_CLOSE, true}};
    for (const auto& step : steps) {
        wxMenuEvent event(step.menu, 0, speedMenu);
        frame->ProcessWindowEvent(event);
        EXPECT_EQ(step.acts, press(frame, WXK_UP, 0)) << step.acts;
    }
    EXPECT_EQ(speed + 25, frame->getManager()->getTargetSpeed());
    wxDialog* dialog = new wxDialog(frame, wxID_ANY, "Other");
    const struct {
        wxWindow* focus;
        bool elsewhere;
    } focuses[] = {
        {nullptr, false},
        {frame->getFlitView(), false},
        {new wxTextCtrl(frame, wxID_ANY), true},
        {new wxSearchCtrl(frame, wxID_ANY), true},
        {new wxButton(dialog, wxID_OK), true},
    };
    for (const auto& focus : focuses) {
        EXPECT_EQ(focus.elsewhere, CReaderKeys::focusElsewhere(focus.focus, frame))
            << (focus.focus ? focus.focus->GetClassInfo()->GetClassName() : L"none");
    }
    dialog->Destroy();
}

} // namespace
