// Fuzz target: the plain-text importer. Each input is imported as plain UTF-8 text.
//
// Checked on every input: either a document or an error placed inside the text, never both;
// every word non-empty valid UTF-8. Plain text has only two faults, so a text is accepted
// exactly when it is valid UTF-8 without NUL; and the document's items spell the text again
// without a leading byte order mark, each run of blanks as one space and each line break as one
// newline.

#include "FuzzSupport.h"

#include <algorithm>
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

// The text as its items should spell it: a leading byte order mark dropped, a run of blanks
// becomes " ", each line break "\n".
std::string expectedSpelling(std::string_view text) {
    std::string out;
    text.remove_prefix(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    while (!text.empty()) {
        const auto* space =
            std::find_if(std::begin(kWhiteSpace), std::end(kWhiteSpace), [&](const auto& entry) {
                return text.substr(0, entry.first.size()) == entry.first;
            });
        const bool blank = space != std::end(kWhiteSpace);
        // A blank right after a blank adds nothing; only a blank puts a space at the end.
        if (!blank || space->second == '\n' || out.empty() || out.back() != ' ') {
            out += blank ? space->second : text[0];
        }
        text.remove_prefix(blank ? space->first.size() : 1);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    wxString error;
    const std::unique_ptr<CDataManager> document =
        flitFuzzImport(text, size, CDocumentImporter::ePlainText, &error);

    const bool acceptable = flitFuzzIsUtf8(text, size) && std::count(text, text + size, '\0') == 0;
    FLIT_FUZZ_CHECK(acceptable == (document != nullptr),
                    acceptable ? "refused: " + error.utf8_string()
                               : "accepted a text that is not valid UTF-8 or holds NUL");
    if (document) {
        const std::string expected = expectedSpelling({text, size});
        std::string got;
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            FLIT_FUZZ_CHECK(kind == eDITWord || kind == eDITSpace || kind == eDITNewline,
                            "plain text gave an item of kind " + std::to_string(kind));
            got += kind == eDITWord ? word : kind == eDITSpace ? " " : "\n";
        }
        FLIT_FUZZ_CHECK(got == expected, "items spell \"" + got + "\", not \"" + expected + "\"");
    }
    return 0;
}
