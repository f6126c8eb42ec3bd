#ifndef FLIT_IMPORT_TEXTHELPERS_H
#define FLIT_IMPORT_TEXTHELPERS_H

#include <wx/string.h>

#include <cstddef>
#include <string>

// The small pieces of text handling that several importers share, each written once. White space
// here is what plain text counts as white space (CTextTokenizer's blanks and line breaks):
// Unicode's spaces and line separators, but not the no-break spaces, which keep words together.
namespace textHelpers {

// Whether bytes[0..size) start with the first length bytes of prefix (all of it by default).
bool startsWith(const char* bytes, std::size_t size, const char* prefix,
                std::size_t length = std::string::npos);

// The bytes of the run of white space that text[0..size) starts with, 0 when it starts with
// something else; *lineBreak is set when the run holds a line break (and left as it was when not).
std::size_t whiteSpaceRun(const char* text, std::size_t size, bool* lineBreak);

// Whether a character is white space.
bool isWhiteSpace(char32_t c);

// UTF-8 text with each run of white space made one space and none at either end: how a title or
// a table of contents label is shown, whatever the document's line breaks and indents.
std::string collapsed(const std::string& text);

// Appends the UTF-8 bytes of a character.
void appendUtf8(std::string* out, char32_t c);

// The value of a hexadecimal digit in either case; -1 for any other character.
int hexDigit(char c);

// A name from inside a document (UTF-8) in double quotes, as messages show it.
wxString quoted(const std::string& name);

} // namespace textHelpers

#endif
