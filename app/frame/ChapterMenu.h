#ifndef FLIT_APP_CHAPTERMENU_H
#define FLIT_APP_CHAPTERMENU_H

class CChapterIndex;
class CReaderFrame;
class wxCommandEvent;
class wxMenu;
class wxMenuItem;

// The Go menu's chapter entries: a submenu of the document's chapters, or, for a long table of
// contents, one item that opens a dialog to choose from, where the table can be scrolled and
// searched. A choice moves the frame to the chapter.
class CChapterMenu {
public:
    explicit CChapterMenu(CReaderFrame* readerFrame) : frame(readerFrame) {}

    // The Go menu, its chapter entry first once rebuilt (the items after it stay).
    wxMenu* create();
    // Lists the chapters; hasContents: the document has a table of contents (whose entries may
    // all lie past its text).
    void rebuild(const CChapterIndex& chapters, bool hasContents);
    // Binds the menu's items (the submenu's entries and the dialog's item) to their handler.
    void bind();

private:
    void onChoice(wxCommandEvent& event);

    CReaderFrame* frame;
    wxMenu* goMenu = nullptr;
    // The Go menu's first item: the chapters' submenu or the dialog's item.
    wxMenuItem* chapterItem = nullptr;
    // The chapters listed, for the dialog.
    const CChapterIndex* listed = nullptr;
};

#endif
