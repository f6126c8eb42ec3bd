#ifndef FLIT_APP_READERMENUS_H
#define FLIT_APP_READERMENUS_H

#include "frame/ChapterMenu.h"

#include <wx/filehistory.h>

class CChapterIndex;
class CReaderFrame;
class wxMenu;

// The reader's menu bar: makes the menus, binds their items to the frame's commands, keeps the
// recent files, and runs the dialogs that the menus open (open a file, word length, debug,
// about, preferences, statistics).
class CReaderMenus {
public:
    // Makes the frame's menu bar, the chapters listed in the Go menu.
    CReaderMenus(CReaderFrame* frame, const CChapterIndex& chapters);

    // A file opened, for File > Open Recent (by its absolute path).
    void addRecentFile(const wxString& path);
    CChapterMenu& getChapterMenu() { return chapterMenu; }

private:
    wxMenu* createViewMenu();
    void bindCommands();

    void onOpen();
    void onRecentFile(int index);
    void onWordLength();
    // Speed > Set Speed: a typed speed, asked again with what is wrong until it is in range.
    void onSetSpeed();
    void onDebugDialog();
    void onAbout();
    void onPreferences();
    void onStatistics();

    CReaderFrame* frame;
    CChapterMenu chapterMenu;
    wxFileHistory fileHistory;
};

#endif
