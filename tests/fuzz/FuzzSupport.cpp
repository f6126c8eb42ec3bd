#include "FuzzSupport.h"

#include <flitengine/outside/DataManager.h>

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <unistd.h>

using namespace std::string_literals;

// Initialises the wxWidgets base library for the whole run, makes a failed wxASSERT abort (so
// the fuzzer reports it as a crash with its input), silences the log (refused inputs are the
// normal case and their messages would drown the fuzzer's own output) and makes the process's
// folder.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Lives for the whole process: libFuzzer never returns control to a point where it could be
    // destroyed in order.
    FLIT_FUZZ_CHECK((new wxInitializer())->IsOk(), "cannot initialise the wxWidgets base library");
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        flitFuzzFail(
            wxString::Format("wxASSERT at %s:%d in %s: %s (%s)", file, line, func, cond, msg)
                .utf8_string());
    });
    // The targets judge outcomes by return values, not by the log.
    wxLog::EnableLogging(false);
    // Made before the exit handler is registered, so that the handler runs while it still lives.
    flitFuzzFolder();
    std::atexit([] { wxFileName::Rmdir(flitFuzzFolder(), wxPATH_RMDIR_RECURSIVE); });
    return 0;
}

const wxString& flitFuzzFolder() {
    static const wxString folder = [] {
        const wxString base = wxFileName::CreateTempFileName("flit-fuzz");
        FLIT_FUZZ_CHECK(!base.empty() && wxRemoveFile(base) && wxMkdir(base) &&
                            wxMkdir(base + "/media"),
                        "cannot make a temporary folder");
        // Only the bytes' presence matters to an import: it stores them and decodes nothing.
        const std::string png = "\x89PNG\r\n\x1a\n fuzz picture"s;
        const std::string wav = "RIFF\x10\0\0\0WAVEfmt fuzz sound"s;
        const std::pair<const char*, std::string> files[] = {
            {"media/sky.png", png},  {"media/chart.png", png},
            {"media/gull.png", png}, {"media/ferry.gif", "GIF89a fuzz picture"},
            {"media/horn.wav", wav}, {"a.png", png},
            {"b.wav", wav},          {"empty", ""},
            {"huge.bin", ""}};
        for (const auto& [name, bytes] : files) {
            flitFuzzWriteFile(base + "/" + name, bytes.data(), bytes.size());
        }
        // A file that claims a terabyte and occupies nothing: an importer must refuse it unread.
        if (truncate(wxString(base + "/huge.bin").utf8_str(), off_t(1) << 40) != 0) {
            std::fprintf(stderr, "note: no sparse huge.bin in the fuzz folder\n");
        }
        return base;
    }();
    return folder;
}

void flitFuzzFail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

void flitFuzzWriteFile(const wxString& path, const char* data, std::size_t size) {
    wxFile file(path, wxFile::write);
    FLIT_FUZZ_CHECK(file.IsOpened() && file.Write(data, size) == size && file.Close(),
                    "cannot write " + path.utf8_string());
}

bool flitFuzzIsUtf8(const char* data, std::size_t size) {
    // The smallest code point that needs each length, to refuse overlong forms.
    static const unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    for (std::size_t i = 0, length = 1; i < size; i += length) {
        const unsigned lead = static_cast<unsigned char>(data[i]);
        // The lead byte's leading one bits: none for a byte alone, else the length (2 to 4).
        const int ones = __builtin_clz(~lead << 24 | 1);
        if (ones > 4) {
            return false; // no UTF-8 sequence starts with five ones or more
        }
        length = std::max(ones, 1);
        // A lone continuation byte, a lead of five ones or more, a byte that continues nothing
        // and the end of the text each make the code point too large to pass; more bytes only
        // shift it further up.
        unsigned long codePoint = ones == 1 || ones > 4 ? 0x110000 : lead & (0xFFu >> (ones + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned next = i + k < size ? static_cast<unsigned char>(data[i + k]) : 0;
            codePoint = (next & 0xC0) != 0x80 ? 0x110000 : codePoint << 6 | (next & 0x3F);
        }
        // Checked first, the size keeps kSmallest's index in range. Surrogates, U+D800 to
        // U+DFFF, share their bits above the lowest eleven.
        if (codePoint > 0x10FFFF || codePoint < kSmallest[length] || codePoint >> 11 == 0x1B) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<CDataManager> flitFuzzImport(const char* text, std::size_t size,
                                             CDocumentImporter::eFormat format, wxString* error,
                                             bool keepLineBreaks) {
    CDocumentImporter importer;
    importer.setKeepLineBreaks(keepLineBreaks);
    std::unique_ptr<CDataManager> document =
        importer.importText(text, size, format, flitFuzzFolder());
    const wxString& message = importer.getErrorMessage();
    const int line = importer.getErrorLine();
    const int column = importer.getErrorColumn();
    const std::string place = " at " + std::to_string(line) + ":" + std::to_string(column) + " " +
                              importer.getError().utf8_string() + ": " + message.utf8_string();
    if (error != nullptr) {
        *error = importer.getError();
    }
    if (document) {
        FLIT_FUZZ_CHECK(importer.getError().empty() && message.empty() && line == 0 && column == 0,
                        "a document and the error" + place);
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            FLIT_FUZZ_CHECK((kind != eDITWord || !word.empty()) &&
                                flitFuzzIsUtf8(word.data(), word.size()),
                            "a word empty or not valid UTF-8: " + word);
        }
        return document;
    }
    // A fault inside a text has its place, line and column from 1; bytes that are no text, or
    // damaged UTF-16, are refused whole, with no place.
    FLIT_FUZZ_CHECK(!importer.getError().empty() && !message.empty() &&
                        ((line >= 1 && column >= 1) || (line == 0 && column == 0)),
                    "no document, and the error" + place);
    // A UTF-16 text's places are in its characters, which the walk below does not see.
    if (line == 0 || (size >= 2 && (std::string_view(text, 2) == "\xFF\xFE" ||
                                    std::string_view(text, 2) == "\xFE\xFF"))) {
        return document;
    }
    // The place lies inside the text: no further than the line after the last line break, and
    // no further than one past the end of its line (a column counts characters, each at least
    // one byte). Each pass drops a line and its break ("\r\n" counts as one).
    std::string_view rest(text, size);
    for (int k = 1; k < line; ++k) {
        const std::size_t end = rest.find_first_of("\r\n");
        FLIT_FUZZ_CHECK(end != std::string_view::npos, "error past the last line" + place);
        rest.remove_prefix(end + (rest.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    }
    FLIT_FUZZ_CHECK(static_cast<std::size_t>(column) <=
                        std::min(rest.find_first_of("\r\n"), rest.size()) + 1,
                    "error past the end of its line" + place);
    return document;
}

std::vector<std::pair<int, std::string>> flitFuzzItems(const CDataManager& document) {
    std::vector<std::pair<int, std::string>> items;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node; node = node->GetNext()) {
        const CDataInfo* item = node->GetData();
        FLIT_FUZZ_CHECK(item != nullptr, "a null item");
        const auto* word = dynamic_cast<const CDITWord*>(item);
        FLIT_FUZZ_CHECK((item->getDataInfoType() == eDITWord) == (word != nullptr),
                        "a word item of another class, or a word of another kind");
        items.emplace_back(item->getDataInfoType(), word != nullptr ? word->getWord() : "");
    }
    return items;
}

void flitFuzzCheckParts(CDataManager& document, bool titled) {
    unsigned int pages = 0;
    for (auto* node = document.getFirstNode(); node != nullptr; node = node->GetNext()) {
        if (auto* page = dynamic_cast<CDITPageInfoRef*>(node->GetData())) {
            const auto* info = const_cast<CDataManager&>(document).getPageManager()->getPageInfoAt(
                page->getPageInfoListNode());
            FLIT_FUZZ_CHECK(info->pageType == 0 && info->pageNum == ++pages, "pages out of order");
        }
        FLIT_FUZZ_CHECK(pages > 0, "an item before the first part's page marker");
    }
    std::size_t last = 0;
    for (const CDataManager::SContentsEntry& entry : document.getContents()) {
        FLIT_FUZZ_CHECK(entry.itemIndex >= last && entry.itemIndex < document.getItemCount() &&
                            entry.level >= 0 && (!titled || !entry.title.empty()),
                        "contents out of order, past the end or untitled");
        last = entry.itemIndex;
    }
}

void flitFuzzCheckWords(const CDataManager& document, bool unspaced) {
    bool anyWord = false;
    for (const auto& [kind, word] : flitFuzzItems(document)) {
        anyWord = anyWord || kind == eDITWord;
        FLIT_FUZZ_CHECK(kind != eDITWord ||
                            (!word.empty() && flitFuzzIsUtf8(word.data(), word.size()) &&
                             (!unspaced || word.find_first_of(" \t\r\n\v\f") == std::string::npos)),
                        "a bad word: " + word);
    }
    FLIT_FUZZ_CHECK(anyWord, "a document without words");
}
