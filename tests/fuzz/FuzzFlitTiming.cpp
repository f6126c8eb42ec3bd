// Fuzz target: flit-timing's text path. An input is four option bytes and then a text: the text
// is imported (plain or marked up), timed word by word at the chosen speed and word length, and
// drawn as the rhythm picture, as the tool does for a file.
//
// Option bytes: [0] bit 0 set for marked-up text; [1..2] the speed, 1 + (big-endian value mod
// 5000) words per minute, the tool's range; [3] the word length, used when 2 or more. Inputs
// shorter than four bytes are plain text at 250 words per minute.
//
// Checked on every input: the import's outcome (as for the importer targets); flashes with a
// known separator and times of zero or more; chunks of at most the word length in characters,
// each but a word's last ending in a hyphen, cut between characters (grapheme clusters) and
// adding up to the word; for plain text, one flashed word per non-empty word item, in order;
// and a picture that is well-formed XML with an svg root.

#include "FuzzSupport.h"

#include "RhythmSvg.h"
#include "TimingReport.h"

#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>

#include <expat.h>

constexpr std::size_t kOptionBytes = 4;
constexpr int kMaxWpm = 5000;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const bool options = size >= kOptionBytes;
    const auto format = options && (data[0] & 1) != 0 ? CDocumentImporter::eMarkedUp
                                                      : CDocumentImporter::ePlainText;
    const int wpm = options ? 1 + (data[1] << 8 | data[2]) % kMaxWpm : 250;
    const int wordLength = options && data[3] >= 2 ? data[3] : 0;
    const char* text = reinterpret_cast<const char*>(data) + (options ? kOptionBytes : 0);
    size -= options ? kOptionBytes : 0;

    const std::unique_ptr<CDataManager> document = flitFuzzImport(text, size, format);
    if (!document) {
        return 0;
    }

    const CTimingReport report(wpm, wordLength);
    const std::vector<STimedWord> timed = report.timeDocument(*document);
    // The flashed words, put together again from their chunks; the characters of the current
    // word's chunks added up, which a cut inside a character would make more than the word's.
    std::vector<std::string> flashed;
    std::size_t clusters = 0;
    for (std::size_t i = 0; i < timed.size(); ++i) {
        const STimedWord& w = timed[i];
        FLIT_FUZZ_CHECK((w.separator == COvriChars::kSpaceChar ||
                         w.separator == COvriChars::kNewlineChar ||
                         w.separator == COvriChars::kNullByte) &&
                            w.displayMs >= 0 && w.delayMs >= 0 && !w.word.empty() &&
                            (w.startsWord || !flashed.empty()),
                        "\"" + w.word + "\" separated by " + std::to_string(w.separator) +
                            ", timed " + std::to_string(w.displayMs) + " + " +
                            std::to_string(w.delayMs) + " ms, or beginning no word");
        const bool lastChunk = i + 1 == timed.size() || timed[i + 1].startsWord;
        FLIT_FUZZ_CHECK((wordLength < 2 || CUtf8::countClusters(w.word.data(), w.word.size()) <=
                                               static_cast<std::size_t>(wordLength)) &&
                            (lastChunk || w.word.back() == '-'),
                        "chunk \"" + w.word + "\" longer than " + std::to_string(wordLength) +
                            " or without its hyphen");
        const std::string piece = lastChunk ? w.word : w.word.substr(0, w.word.size() - 1);
        if (w.startsWord) {
            flashed.emplace_back();
            clusters = 0;
        }
        flashed.back() += piece;
        clusters += CUtf8::countClusters(piece.data(), piece.size());
        FLIT_FUZZ_CHECK(!lastChunk || clusters == CUtf8::countClusters(flashed.back().data(),
                                                                       flashed.back().size()),
                        "the chunks of \"" + flashed.back() + "\" cut a character");
    }
    if (format == CDocumentImporter::ePlainText) {
        std::vector<std::string> words;
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            words.insert(words.end(), kind == eDITWord ? 1 : 0, word); // the words alone
        }
        FLIT_FUZZ_CHECK(flashed == words, std::to_string(flashed.size()) + " words flashed for " +
                                              std::to_string(words.size()) + " word items");
    }

    // The picture is checked with expat directly, without building a tree: the pictures of long
    // texts are large. The first element's name is kept to check the root.
    std::string root;
    const XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &root);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char* name, const XML_Char**) {
        auto* first = static_cast<std::string*>(data);
        first->append(first->empty() ? name : "");
    });
    const std::string svg = CRhythmSvg(wpm, "fuzz <&> \"input\"").render(timed);
    const auto status = XML_Parse(parser, svg.data(), static_cast<int>(svg.size()), XML_TRUE);
    FLIT_FUZZ_CHECK(status == XML_STATUS_OK && root == "svg",
                    "the picture is not well-formed XML with an svg root: <" + root + "> " +
                        XML_ErrorString(XML_GetErrorCode(parser)));
    XML_ParserFree(parser);
    return 0;
}
