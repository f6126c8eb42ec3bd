#ifndef FLIT_OUTSIDE_MESSAGETEXT_H
#define FLIT_OUTSIDE_MESSAGETEXT_H

#include <flitengine/FlitExport.h>

#include <wx/string.h>

#include <cstddef>

// How a value from outside (a file name, a word of a document, a number as it was written)
// stands in a message: whole when it is short; when long, its beginning and its end around an
// ellipsis, so that a message never grows with its input. Characters that cannot be shown on a
// line (control characters, bytes that are not UTF-8, the bytes of a file name the toolkit
// could not decode) become U+FFFD, and line breaks and tabs spaces, so that a value can neither
// break a message into lines nor send a terminal its escapes.
class FLIT_EXPORT CMessageText {
public:
    // The most characters (code points) of a value that a message shows.
    static constexpr std::size_t kValueChars = 48;
    // The most characters of a whole message shown or written at once.
    static constexpr std::size_t kMessageChars = 600;

    // The value, cut to at most limit characters (limit of 3 or more): of a longer value, its
    // first two thirds and its last third with an ellipsis between. The cuts fall between
    // code points.
    static wxString cut(const wxString& value, std::size_t limit = kValueChars);
    // The same for size bytes of UTF-8 (invalid bytes allowed), read no further than the cut
    // needs.
    static wxString cut(const char* utf8, std::size_t size, std::size_t limit = kValueChars);
};

#endif
