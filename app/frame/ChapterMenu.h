#ifndef FLIT_APP_CHAPTERMENU_H
#define FLIT_APP_CHAPTERMENU_H

class CChapterIndex;
class CReaderFrame;
class wxMenu;
class wxMenuItem;

// The Go menu's chapter entries: an item (Ctrl+G) that opens a dialog listing the document's
// chapters, where the table can be scrolled and searched, and for a short table of contents a
// submenu of them too. A choice moves the frame to the chapter.
class CChapterMenu {
public:
    explicit CChapterMenu(CReaderFrame* readerFrame) : frame(readerFrame) {}

    // The Go menu, its chapter items empty until rebuilt.
    wxMenu* create();
    // Lists the chapters; hasContents: the document has a table of contents (whose entries may
    // all lie past its text).
    void rebuild(const CChapterIndex& chapters, bool hasContents);
    // Binds the menu's items (the submenu's entries and the dialog's item) to their handler.
    void bind();

private:
    void chooseInDialog();

    CReaderFrame* frame;
    wxMenu* goMenu = nullptr;
    wxMenuItem* submenuItem = nullptr;
    // The chapters listed, for the dialog.
    const CChapterIndex* listed = nullptr;
};

#endif
