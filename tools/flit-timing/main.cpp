// flit-timing: shows what the timing rules make of a text, word by word.

#include "RhythmSvg.h"
#include "TimingReport.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/FileNames.h>
#include <flitengine/outside/FileParser.h>
#include <flitengine/outside/MessageText.h>
#include <flitengine/timing/FlitWordCalcs.h>
#include <flitengine/timing/FlitWordCalcsSerializer.h>

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/intl.h>
#include <wx/tokenzr.h>
#include <wx/wfstream.h>

#include <cstdio>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "flit-timing";

// Exit statuses: bad usage or unreadable input, and a refused settings file or an output that
// could not be written.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;

constexpr long kDefaultWpm = 250;
constexpr long kMinWpm = 1;
constexpr long kMaxWpm = 5000;
constexpr long kMinWordLength = 2;
constexpr long long kMsPerMinute = 60000;

// Says what went wrong on standard error: one line of a bounded length, whatever the input held.
void say(const wxString& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram,
                 CMessageText::cut(message, CMessageText::kMessageChars).utf8_str().data());
}

int fail(int status, const wxString& message) {
    say(message);
    return status;
}

// Reads the whole of a file (a regular one), or of standard input for "-", as the importer
// reads texts, with its size limit. False with a message on failure.
bool readAll(const wxString& path, std::string* out, wxString* error) {
    const bool fromStdin = path == "-";
    wxString reason;
    if (fromStdin ? CDocumentImporter::readStandardInput(out, &reason)
                  : CDocumentImporter::readFile(path, out, &reason)) {
        return true;
    }
    *error = "cannot read " +
             (fromStdin ? wxString("standard input") : "'" + CMessageText::cut(path) + "'") + ": " +
             reason;
    return false;
}

// Writes the text to the path through a temporary file, so the path holds either its old
// contents or the whole new text.
bool writeWhole(const wxString& path, const std::string& text) {
    wxTempFileOutputStream out(path);
    if (!out.IsOk() || !out.WriteAll(text.data(), text.size()) || !out.Commit()) {
        out.Discard();
        return false;
    }
    return true;
}

// Writes the report to standard output line by line as the flashes come, so that it never
// stands whole in memory: a header line, one line per flash, and the summary when asked for.
class CReportWriter {
public:
    explicit CReportWriter(bool withSummary) : summary(withSummary) {
        std::fputs("word\tseparator\tdisplay_ms\tdelay_ms\n", stdout);
    }

    void add(const STimedWord& w) {
        std::fwrite(w.word.data(), 1, w.word.size(), stdout);
        std::fprintf(stdout, "\t%s\t%d\t%d\n", CTimingReport::separatorName(w.separator),
                     w.displayMs, w.delayMs);
        totalMs += static_cast<long long>(w.displayMs) + w.delayMs;
        // A word counts once, however many chunks it is shown in; a phrase counts its words.
        count += w.startsWord ? w.words : 0;
    }

    // Ends the report; false when standard output could not take all of it. The summary tells
    // of the document's notes too, when it has any: their words are not flashed in the text but
    // are part of the book.
    bool finish(const CDataManager& document) {
        if (summary) {
            const long long wpm = totalMs > 0 ? count * kMsPerMinute / totalMs : 0;
            std::fprintf(stdout, "words %lld, total_ms %lld, wpm %lld\n", count, totalMs, wpm);
            if (document.getNoteCount() != 0) {
                std::fprintf(stdout, "notes %zu, note_words %zu\n", document.getNoteCount(),
                             noteWords(document));
            }
        }
        return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    }

private:
    static std::size_t noteWords(const CDataManager& document) {
        std::size_t words = 0;
        for (unsigned int number = 1; number <= document.getNoteCount(); ++number) {
            wxStringTokenizer tokens(*document.getNote(number), " \t\r\n", wxTOKEN_STRTOK);
            words += tokens.CountTokens();
        }
        return words;
    }

    bool summary;
    long long totalMs = 0;
    long long count = 0;
};

// The table of contents, one line an entry: its level (0 for the top), its title on one line,
// and the index of the first word it points at: how many words reading flashes before it, each
// counted once however many chunks it is shown in (as --summary counts them).
std::string formatContents(const CDataManager& document) {
    const std::vector<CDataManager::SContentsEntry>& contents = document.getContents();
    std::vector<std::size_t> order(contents.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return contents[a].itemIndex < contents[b].itemIndex;
    });
    std::vector<std::size_t> wordsBefore(contents.size(), 0);
    std::size_t next = 0;
    std::size_t words = 0;
    std::size_t index = 0;
    bool passingOver = false;
    for (wxCDataInfoListNode* node = document.getFirstNode();
         node != nullptr && next < order.size(); node = node->GetNext(), ++index) {
        for (; next < order.size() && contents[order[next]].itemIndex <= index; ++next) {
            wordsBefore[order[next]] = words;
        }
        passingOver = CFlashedWords::passesOver(node, passingOver);
        if (!passingOver) {
            words += CFlashedWords::wordsOf(document, node).size();
        }
    }
    for (; next < order.size(); ++next) {
        wordsBefore[order[next]] = words;
    }
    std::string out = "level\ttitle\tfirst_word\n";
    for (std::size_t k = 0; k < contents.size(); ++k) {
        std::string title = contents[k].title.utf8_string();
        std::replace_if(
            title.begin(), title.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; },
            ' ');
        out += std::to_string(contents[k].level) + '\t' + title + '\t' +
               std::to_string(wordsBefore[k]) + '\n';
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    // The arguments are decoded here, as file names, not by the toolkit (which drops those that
    // are not UTF-8): it is given the program's name alone.
    CFileNames::keepEveryByte();
    CFileNames::CArguments arguments(argc, argv);
    int toolkitArgc = 1;
    wxInitializer initializer(toolkitArgc, argv);
    if (!initializer.IsOk()) {
        return fail(kExitFailed, "cannot initialise the wxWidgets base library");
    }

    const std::string formatHelp =
        ("read FILE as " + CDocumentImporter::formatNameList(true, false) +
         "; auto (the default) chooses by the content first and the name's extension second")
            .utf8_string();
    const wxCmdLineEntryDesc options[] = {
        {wxCMD_LINE_SWITCH, "h", "help", "show this help and exit", wxCMD_LINE_VAL_NONE,
         wxCMD_LINE_OPTION_HELP},
        {wxCMD_LINE_OPTION, nullptr, "wpm", "reading speed in words per minute, 1 to 5000 (250)",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_OPTION, nullptr, "settings", "load timing settings from this XML file first",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_OPTION, nullptr, "save-settings", "write the timing table in use to this file",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_OPTION, nullptr, "word-length",
         "show words longer than N characters (2 or more) in hyphenated chunks, each timed by "
         "the word's first N characters, as the engine does",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_OPTION, nullptr, "count",
         "measure words in characters (the default: each letter, accented or of any script, "
         "counts once) or in bytes (as the timing rules were tuned on English)",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_SWITCH, nullptr, "hyphenate",
         "with --word-length, cut long words at syllables, by the hyphenation dictionary of the "
         "document's language (or --language's)",
         wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_OPTION, nullptr, "language",
         "the language to hyphenate in, such as en, de or fr-CA (default: the document's, else "
         "the system's)",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_OPTION, nullptr, "words-per-flash",
         "flash up to N words at once, 1 to 5 (1): short words of one line in phrases no longer "
         "than the word length (16 characters without one), each phrase on one line and shown "
         "for its words' times together",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_SWITCH, nullptr, "cut-for-reading",
         "with --word-length, cut long words for reading: at their own hyphens, dashes and "
         "slashes, then at syllables (with --hyphenate), else into near-equal parts of three "
         "characters or more; addresses and file names at their own separators only, with no "
         "hyphen added",
         wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_SWITCH, nullptr, "summary", "end with the word count, total time and speed",
         wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_SWITCH, nullptr, "contents",
         "list the document's table of contents instead of its words, one line an entry: its "
         "level (0 for the top), its title, and the index of the first word it points at (how "
         "many words come before it, counted from 0 as --summary counts them)",
         wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_OPTION, nullptr, "svg", "draw the text's rhythm into this SVG file",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_OPTION, nullptr, "format", formatHelp.c_str(), wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_SWITCH, nullptr, "keep-line-breaks",
         "plain text: keep every line break as a line break, rather than only the blank lines "
         "that end paragraphs",
         wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_PARAM, nullptr, nullptr, "FILE (a document; standard input when absent or -)",
         wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL},
        {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
    };
    wxCmdLineParser parser(options, arguments.count(), arguments.values());
    parser.SetLogo(
        "Shows what the FlitEngine flashes for a document, one line per flash, with the\n"
        "display time and the delay that its timing rules give each.");
    switch (parser.Parse(false)) {
    case -1:
        parser.Usage();
        return kExitOk;
    case 0:
        break;
    default:
        std::fprintf(stderr, "Try '%s --help' for more information.\n", kProgram);
        return kExitBadInput;
    }

    long wpm = kDefaultWpm;
    if (parser.Found("wpm", &wpm) && (wpm < kMinWpm || wpm > kMaxWpm)) {
        return fail(kExitBadInput, wxString::Format("--wpm must be from %ld to %ld, not %ld",
                                                    kMinWpm, kMaxWpm, wpm));
    }
    long wordLength = 0;
    if (parser.Found("word-length", &wordLength) && wordLength < kMinWordLength) {
        return fail(kExitBadInput, wxString::Format("--word-length must be %ld or more, not %ld",
                                                    kMinWordLength, wordLength));
    }

    long wordsPerFlash = CPhrases::kMinWords;
    if (parser.Found("words-per-flash", &wordsPerFlash) &&
        (wordsPerFlash < CPhrases::kMinWords || wordsPerFlash > CPhrases::kMaxWords)) {
        return fail(kExitBadInput,
                    wxString::Format("--words-per-flash must be from %u to %u, not %ld",
                                     CPhrases::kMinWords, CPhrases::kMaxWords, wordsPerFlash));
    }

    CFlitWordCalcs::eLengthUnit unit = CFlitWordCalcs::eLengthCharacters;
    wxString countName;
    if (parser.Found("count", &countName)) {
        if (countName == "bytes") {
            unit = CFlitWordCalcs::eLengthBytes;
        } else if (countName != "characters") {
            return fail(kExitBadInput,
                        wxString::Format("--count must be bytes or characters, not '%s'",
                                         CMessageText::cut(countName)));
        }
    }
    wxString languageTag;
    const bool languageGiven = parser.Found("language", &languageTag);
    if (languageGiven && languageTag.empty()) {
        return fail(kExitBadInput, "--language needs a language, such as en or de");
    }

    CFlitWordCalcs calcs;
    wxString settingsPath;
    if (parser.Found("settings", &settingsPath)) {
        wxString reason;
        if (!CFileParser::isReadableFile(settingsPath, &reason)) {
            return fail(kExitBadInput, "cannot read settings file: " + reason);
        }
        CFlitWordCalcsSerializer loader(&calcs, settingsPath.utf8_str());
        if (!loader.load()) {
            return fail(kExitFailed, "settings refused: " + loader.getLoadError());
        }
    }

    const wxString inputPath = parser.GetParamCount() > 0 ? parser.GetParam(0) : wxString("-");
    const bool fromStdin = inputPath == "-";
    const wxString inputName = fromStdin ? wxString("standard input") : inputPath;
    const wxString shownName = CMessageText::cut(inputName);
    CDocumentImporter::eFormat format = CDocumentImporter::eAutomatic;
    wxString formatName;
    // "plain" is the name that "text" had before there were other formats.
    if (parser.Found("format", &formatName) &&
        !CDocumentImporter::formatFromName(formatName == "plain" ? "text" : formatName, &format)) {
        return fail(kExitBadInput, wxString::Format("--format must be %s, not '%s'",
                                                    CDocumentImporter::formatNameList(false, true),
                                                    CMessageText::cut(formatName)));
    }

    std::string bytes;
    wxString error;
    if (!readAll(inputPath, &bytes, &error)) {
        return fail(kExitBadInput, error);
    }
    // Standard input goes through the same choice of format as a file; only its name, which has
    // no extension, says plain text. Files that a document names are relative to its folder; to
    // the current folder for standard input.
    CDocumentImporter importer;
    importer.setKeepLineBreaks(parser.Found("keep-line-breaks"));
    const std::unique_ptr<CDataManager> document =
        importer.importBytes(bytes.data(), bytes.size(), format, inputName,
                             fromStdin ? wxString() : wxFileName(inputPath).GetPath());
    if (!document) {
        const int line = importer.getErrorLine();
        const wxString place =
            line > 0 ? wxString::Format(":%d:%d", line, importer.getErrorColumn()) : wxString();
        return fail(kExitBadInput, shownName + place + ": " + importer.getErrorMessage());
    }
    if (!importer.getNotice().empty()) {
        say(shownName + ": " + importer.getNotice());
    }

    // A missing dictionary is no failure: long words are then cut at the display length.
    const CHyphenation* hyphenation = nullptr;
    if (parser.Found("hyphenate")) {
        if (!languageGiven) {
            languageTag = wxString::FromUTF8(document->getLanguage());
        }
        if (languageTag.empty()) {
            languageTag = wxLocale::GetLanguageCanonicalName(wxLocale::GetSystemLanguage());
        }
        wxString notice;
        hyphenation = CHyphenation::forLanguage(languageTag.utf8_string(), &notice);
        if (hyphenation == nullptr) {
            say(notice);
        }
    }
    CTimingReport report(static_cast<int>(wpm), static_cast<int>(wordLength), unit, hyphenation,
                         parser.Found("cut-for-reading") ? eCutForReading : eCutAtLength);
    report.setPhrases(static_cast<unsigned int>(wordsPerFlash), 0);
    // The flashes are kept only for the picture, which needs them all at once.
    std::vector<STimedWord> words;
    wxString svgPath;
    const bool drawing = parser.Found("svg", &svgPath);
    if (drawing) {
        words = report.timeDocument(*document);
        const wxString title =
            fromStdin ? wxString("Standard input") : wxFileName(inputPath).GetFullName();
        const CRhythmSvg picture(static_cast<int>(wpm), title.utf8_string());
        if (!writeWhole(svgPath, picture.render(words))) {
            return fail(kExitFailed,
                        wxString::Format("cannot write '%s'", CMessageText::cut(svgPath)));
        }
    }
    wxString savePath;
    if (parser.Found("save-settings", &savePath)) {
        CFlitWordCalcsSerializer saver(&calcs, savePath.utf8_str());
        if (!saver.store()) {
            return fail(kExitFailed, saver.getStoreError());
        }
    }

    if (parser.Found("contents")) {
        const std::string contents = formatContents(*document);
        if (std::fwrite(contents.data(), 1, contents.size(), stdout) != contents.size() ||
            std::fflush(stdout) != 0) {
            return fail(kExitFailed, "cannot write to standard output");
        }
        return kExitOk;
    }
    CReportWriter output(parser.Found("summary"));
    if (drawing) {
        for (const STimedWord& w : words) {
            output.add(w);
        }
    } else {
        report.timeDocument(*document, [&output](STimedWord& w) { output.add(w); });
    }
    if (!output.finish(*document)) {
        return fail(kExitFailed, "cannot write to standard output");
    }
    return kExitOk;
}
