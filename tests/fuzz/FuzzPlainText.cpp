// Fuzz target: the plain-text importer. Each input is imported as plain text.
//
// Checked on every input: either a document or an error placed inside the text (or, for bytes
// refused whole, nowhere), never both; every word non-empty valid UTF-8. Valid UTF-8 without
// NUL and without control characters beyond the white space is always accepted, and its
// document's items spell the text again without a leading byte order mark, each run of white
// space as one item: a newline where it ends a paragraph (two line breaks or more, or one in a
// text that has no run of two), a space otherwise. Spaces are left out of the comparison: the
// word writer joins marks to their words and cuts unspaced scripts into words.

#include "FuzzSupport.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

// White space as its UTF-8 bytes, written out here rather than taken from the tokenizer so that
// the check stays independent of it, with what it reads as: line breaks as "\n", blanks as " ".
// "\r\n" comes before "\r" so that it matches whole.
const std::pair<std::string_view, char> kWhiteSpace[] = {
    {"\r\n", '\n'},   {"\n", '\n'},    {"\r", '\n'},    {"\xC2\x85", '\n'}, {"\u2028", '\n'},
    {"\u2029", '\n'}, {" ", ' '},      {"\t", ' '},     {"\v", ' '},        {"\f", ' '},
    {"\u1680", ' '},  {"\u2000", ' '}, {"\u2001", ' '}, {"\u2002", ' '},    {"\u2003", ' '},
    {"\u2004", ' '},  {"\u2005", ' '}, {"\u2006", ' '}, {"\u2007", ' '},    {"\u2008", ' '},
    {"\u2009", ' '},  {"\u200A", ' '}, {"\u205F", ' '}, {"\u3000", ' '}};

// The text as its items should spell it: a leading byte order mark dropped, each run of white
// space one " " or "\n" as the importer's paragraph rule says.
std::string expectedSpelling(std::string_view text) {
    // First each white space character as " " or "\n", words as they are.
    std::string marked;
    text.remove_prefix(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    while (!text.empty()) {
        const auto* space =
            std::find_if(std::begin(kWhiteSpace), std::end(kWhiteSpace), [&](const auto& entry) {
                return text.substr(0, entry.first.size()) == entry.first;
            });
        const bool blank = space != std::end(kWhiteSpace);
        marked += blank ? space->second : text[0];
        text.remove_prefix(blank ? space->first.size() : 1);
    }
    // Then each run as one item; the second pass knows whether the text has a blank line.
    std::string out;
    bool blankLine = false;
    for (int pass = 0; pass < 2; ++pass) {
        out.clear();
        for (std::size_t i = 0; i < marked.size();) {
            const std::size_t end = std::min(marked.find_first_not_of(" \n", i), marked.size());
            const auto breaks = std::count(marked.begin() + i, marked.begin() + end, '\n');
            blankLine = blankLine || breaks >= 2;
            out += end == i ? marked[i] : breaks >= 2 || (breaks == 1 && !blankLine) ? '\n' : ' ';
            i = std::max(end, i + 1);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    wxString error;
    const std::unique_ptr<CDataManager> document =
        flitFuzzImport(text, size, CDocumentImporter::ePlainText, &error);

    // Valid UTF-8 without NUL and without control characters other than white space is always
    // read.
    const bool plain = flitFuzzIsUtf8(text, size) && std::all_of(text, text + size, [](char c) {
                           const auto byte = static_cast<unsigned char>(c);
                           return (byte >= 0x20 && byte != 0x7F) || std::isspace(byte);
                       });
    FLIT_FUZZ_CHECK(!plain || document != nullptr, "refused: " + error.utf8_string());
    if (document && plain) {
        std::string expected = expectedSpelling({text, size});
        std::string got;
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            FLIT_FUZZ_CHECK(kind == eDITWord || kind == eDITSpace || kind == eDITNewline,
                            "plain text gave an item of kind " + std::to_string(kind));
            got += kind == eDITWord ? word : kind == eDITSpace ? " " : "\n";
        }
        got.erase(std::remove(got.begin(), got.end(), ' '), got.end());
        expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
        FLIT_FUZZ_CHECK(got == expected, "items spell \"" + got + "\", not \"" + expected + "\"");
    }
    return 0;
}
