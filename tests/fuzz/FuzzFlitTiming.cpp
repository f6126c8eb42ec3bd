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

#include "outside/OvriChars.h"
#include "outside/Utf8.h"

#include <expat.h>

namespace {

constexpr std::size_t kOptionBytes = 4;
constexpr int kMaxWpm = 5000;

// Why the text is not a well-formed XML document whose root element is svg; empty when it is.
// Checked with expat directly, without building a tree: the pictures of long texts are large.
std::string svgProblem(const std::string& svg) {
    std::string root; // the name of the first element
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &root);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char* name, const XML_Char**) {
        auto* first = static_cast<std::string*>(data);
        first->append(first->empty() ? name : "");
    });
    const std::string problem =
        XML_Parse(parser, svg.data(), static_cast<int>(svg.size()), XML_TRUE) != XML_STATUS_OK
            ? std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                  std::to_string(XML_GetCurrentLineNumber(parser))
        : root != "svg" ? "the root element is <" + root + ">"
                        : "";
    XML_ParserFree(parser);
    return problem;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const bool options = size >= kOptionBytes;
    const CDocumentImporter::eFormat format = options && (data[0] & 1) != 0
                                                  ? CDocumentImporter::eMarkedUp
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
    // The flashed words, put together again from their chunks, and the characters of each
    // word's chunks added up; a cut inside a character would make the word fewer characters.
    std::vector<std::string> flashed;
    std::vector<std::size_t> clusters;
    for (std::size_t i = 0; i < timed.size(); ++i) {
        const STimedWord& w = timed[i];
        FLIT_FUZZ_CHECK(w.separator == COvriChars::kSpaceChar ||
                            w.separator == COvriChars::kNewlineChar ||
                            w.separator == COvriChars::kNullByte,
                        "separator " + std::to_string(w.separator));
        FLIT_FUZZ_CHECK(w.displayMs >= 0 && w.delayMs >= 0,
                        "\"" + w.word + "\" timed " + std::to_string(w.displayMs) + " + " +
                            std::to_string(w.delayMs) + " ms");
        FLIT_FUZZ_CHECK(!w.word.empty() && (w.startsWord || !flashed.empty()),
                        "an empty chunk or one that begins no word");
        FLIT_FUZZ_CHECK(wordLength < 2 || CUtf8::countClusters(w.word.data(), w.word.size()) <=
                                              static_cast<std::size_t>(wordLength),
                        "chunk \"" + w.word + "\" longer than " + std::to_string(wordLength));
        const bool lastChunk = i + 1 == timed.size() || timed[i + 1].startsWord;
        FLIT_FUZZ_CHECK(lastChunk || w.word.back() == '-', "\"" + w.word + "\" without a hyphen");
        const std::string piece = lastChunk ? w.word : w.word.substr(0, w.word.size() - 1);
        if (w.startsWord) {
            flashed.emplace_back();
            clusters.push_back(0);
        }
        flashed.back() += piece;
        clusters.back() += CUtf8::countClusters(piece.data(), piece.size());
    }
    for (std::size_t k = 0; k < flashed.size(); ++k) {
        FLIT_FUZZ_CHECK(clusters[k] == CUtf8::countClusters(flashed[k].data(), flashed[k].size()),
                        "the chunks of \"" + flashed[k] + "\" cut a character");
    }
    if (format == CDocumentImporter::ePlainText) {
        std::vector<std::string> words;
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            if (!word.empty()) {
                words.push_back(word);
            }
        }
        FLIT_FUZZ_CHECK(flashed == words, std::to_string(flashed.size()) + " words flashed for " +
                                              std::to_string(words.size()) + " word items");
    }

    const std::string problem = svgProblem(CRhythmSvg(wpm, "fuzz <&> \"input\"").render(timed));
    FLIT_FUZZ_CHECK(problem.empty(), "the picture is not well-formed: " + problem);
    return 0;
}
