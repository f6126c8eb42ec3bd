#ifndef FLIT_APP_READERFRAMEIDS_H
#define FLIT_APP_READERFRAMEIDS_H

// What the reader's main window and its parts share: menu identifiers and the window's limits.
// Included by those files only.

#include "frame/ReaderFrame.h"
#include "frame/ReaderStatus.h"
#include "view/Themes.h"

#include <flitengine/engine/Phrases.h>

#include <wx/defs.h>

#include <cstddef>

enum {
    ID_START = wxID_HIGHEST + 1,
    ID_PAUSE,
    ID_STOP,
    ID_SENTENCE_BACK,
    ID_SENTENCE_FORWARD,
    ID_PARAGRAPH_BACK,
    ID_PARAGRAPH_FORWARD,
    ID_FASTER,
    ID_SLOWER,
    ID_DOUBLE,
    ID_HALF,
    ID_WORD_LENGTH,
    ID_DEBUG,
    ID_PASTE_DOCUMENT,
    ID_KEEP_LINE_BREAKS,
    ID_READ_ALOUD,
    ID_LIBRARY,
    ID_FULL_SCREEN,
    ID_KEYS,
    ID_CHAPTER_LIST,
    ID_PREFERENCES_FIXATION,
    ID_STATISTICS,
    // Find: Edit > Find, Find Next and Find Previous.
    ID_FIND,
    ID_FIND_NEXT,
    ID_FIND_PREVIOUS,
    // Places: Go > Back and Forward through the jumps, bookmarks.
    ID_GO_BACK,
    ID_GO_FORWARD,
    ID_ADD_BOOKMARK,
    ID_BOOKMARKS,
    // View > Last Note: the whole of the last footnote passed.
    ID_SHOW_NOTE,
    // View > Theme, one identifier per theme in eTheme's order.
    ID_THEME_FIRST,
    ID_THEME_LAST = ID_THEME_FIRST + eThemeCount - 1,
    // View > Words per Flash, one identifier per count from 1.
    ID_WORDS_PER_FLASH_FIRST,
    ID_WORDS_PER_FLASH_LAST = ID_WORDS_PER_FLASH_FIRST + 4,
    // View > Neighbouring Words and View > Page.
    ID_NEIGHBOUR_WORDS,
    ID_PAGE_PANE,
    // Word steps and exact speed: Reading > Back and Forward One Word, Speed > Set Speed.
    ID_WORD_BACK,
    ID_WORD_FORWARD,
    ID_SET_SPEED,
    // The Go > Chapter entries, one identifier each: a range after every other identifier, so
    // that the handler bound to it takes no other item. Keep this the last.
    ID_CHAPTER_FIRST,
};

static_assert(eFieldChapter == CReaderFrame::kChapterField, "the chapter field is the last");

const int kMinClientWidth = 480;
const int kMinClientHeight = 240;
const long kMinWordLength = SReaderOptions::kMinWordLength;
const long kMaxWordLength = SReaderOptions::kMaxWordLength;

// Up to this many entries the Go > Chapter submenu lists the table of contents; a longer table
// is chosen from in a dialog, where it can be scrolled and searched.
const size_t kMaxChapterMenuEntries = 40;
const int ID_CHAPTER_LAST = ID_CHAPTER_FIRST + static_cast<int>(kMaxChapterMenuEntries) - 1;
static_assert(ID_WORDS_PER_FLASH_LAST - ID_WORDS_PER_FLASH_FIRST + 1 == CPhrases::kMaxWords,
              "one words-per-flash entry per count");
static_assert(ID_CHAPTER_FIRST > ID_THEME_LAST && ID_CHAPTER_FIRST > ID_CHAPTER_LIST,
              "the chapter entries' range lies after every other menu identifier");

#endif
