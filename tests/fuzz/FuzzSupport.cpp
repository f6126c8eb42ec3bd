#include "FuzzSupport.h"

#include "outside/DataManager.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

using namespace std::string_literals;

namespace {

void abortOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                   const wxString& msg) {
    std::fprintf(stderr, "wxASSERT failed at %s:%d in %s: %s (%s)\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
    std::abort();
}

// Never destroyed: the exit handler that removes the folders runs after every static object
// made later than its registration is gone.
std::vector<wxString>& tempDirs() {
    static auto* dirs = new std::vector<wxString>;
    return *dirs;
}

void removeTempDirs() {
    for (const wxString& dir : tempDirs()) {
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }
}

std::string quote(const wxString& s) {
    return "\"" + s.utf8_string() + "\"";
}

std::string place(int line, int column) {
    return std::to_string(line) + ":" + std::to_string(column);
}

void checkImport(const char* text, std::size_t size, const CDataManager* document,
                 const CDocumentImporter& importer) {
    const wxString& error = importer.getError();
    const int line = importer.getErrorLine();
    const int column = importer.getErrorColumn();
    if (document != nullptr) {
        FLIT_FUZZ_CHECK(error.empty(), "a document and the error " + quote(error));
        FLIT_FUZZ_CHECK(importer.getErrorMessage().empty(), quote(importer.getErrorMessage()));
        FLIT_FUZZ_CHECK(line == 0 && column == 0,
                        "a document with an error place " + place(line, column));
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            FLIT_FUZZ_CHECK(kind != eDITWord || !word.empty(), "an empty word item");
            FLIT_FUZZ_CHECK(flitFuzzIsUtf8(word.data(), word.size()),
                            "word not valid UTF-8: " + word);
        }
        return;
    }
    FLIT_FUZZ_CHECK(!error.empty(), "neither a document nor an error");
    FLIT_FUZZ_CHECK(!importer.getErrorMessage().empty(),
                    "an error without a message: " + quote(error));
    // An import of text in memory always has a place for its fault: line and column from 1.
    FLIT_FUZZ_CHECK(line >= 1 && column >= 1,
                    "error place " + place(line, column) + " " + quote(error));
    // The place lies inside the text: no further than the line after the last line break, and
    // no further than one past the end of its line (a column counts characters, each at least
    // one byte).
    std::size_t lines = 1;
    std::size_t placeLineStart = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (text[i] != '\n' && text[i] != '\r') {
            continue;
        }
        if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') {
            ++i;
        }
        if (++lines == static_cast<std::size_t>(line)) {
            placeLineStart = i + 1;
        }
    }
    FLIT_FUZZ_CHECK(static_cast<std::size_t>(line) <= lines,
                    "error on line " + std::to_string(line) + " of " + std::to_string(lines));
    std::size_t lineEnd = placeLineStart;
    while (lineEnd < size && text[lineEnd] != '\n' && text[lineEnd] != '\r') {
        ++lineEnd;
    }
    FLIT_FUZZ_CHECK(static_cast<std::size_t>(column) <= lineEnd - placeLineStart + 1,
                    "error in column " + std::to_string(column) + " of a line of " +
                        std::to_string(lineEnd - placeLineStart) + " bytes");
}

} // namespace

// Initialises the wxWidgets base library for the whole run, makes a failed wxASSERT abort (so
// the fuzzer reports it as a crash with its input), silences the log (refused inputs are the
// normal case and their messages would drown the fuzzer's own output) and makes the media folder.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Lives for the whole process: libFuzzer never returns control to a point where it could be
    // destroyed in order.
    if (!(new wxInitializer())->IsOk()) {
        std::fprintf(stderr, "cannot initialise the wxWidgets base library\n");
        std::abort();
    }
    wxSetAssertHandler(abortOnAssert);
    // The targets judge outcomes by return values, not by the log.
    wxLog::EnableLogging(false);
    std::atexit(removeTempDirs);
    flitFuzzMediaDir();
    return 0;
}

wxString flitFuzzMakeTempDir(const char* prefix) {
    wxString dir = wxFileName::CreateTempFileName(prefix);
    if (dir.empty() || !wxRemoveFile(dir) || !wxMkdir(dir)) {
        std::fprintf(stderr, "cannot make a temporary folder for %s\n", prefix);
        std::abort();
    }
    tempDirs().push_back(dir);
    return dir;
}

void flitFuzzWriteFile(const wxString& path, const char* data, std::size_t size) {
    std::FILE* out = std::fopen(path.utf8_str(), "wb");
    if (out == nullptr || (size > 0 && std::fwrite(data, 1, size, out) != size) ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.utf8_str().data());
        std::abort();
    }
}

const wxString& flitFuzzMediaDir() {
    static const wxString dir = [] {
        const wxString base = flitFuzzMakeTempDir("flit-fuzz-media");
        if (!wxMkdir(base + "/media")) {
            std::abort();
        }
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
            std::fprintf(stderr, "note: no sparse huge.bin in the media folder\n");
        }
        return base;
    }();
    return dir;
}

void flitFuzzFail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

bool flitFuzzIsUtf8(const char* data, std::size_t size) {
    // The smallest code point that needs each length, to refuse overlong forms.
    static const unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = static_cast<unsigned char>(data[i]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || size - i < length) {
            return false;
        }
        unsigned long codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(data[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::unique_ptr<CDataManager> flitFuzzImport(const char* text, std::size_t size,
                                             CDocumentImporter::eFormat format, wxString* error) {
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> document =
        importer.importText(text, size, format, flitFuzzMediaDir());
    checkImport(text, size, document.get(), importer);
    if (error != nullptr) {
        *error = importer.getError();
    }
    return document;
}

std::vector<std::pair<int, std::string>> flitFuzzItems(const CDataManager& document) {
    std::vector<std::pair<int, std::string>> items;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        const CDataInfo* item = node->GetData();
        FLIT_FUZZ_CHECK(item != nullptr, "a null item");
        const auto* word = dynamic_cast<const CDITWord*>(item);
        FLIT_FUZZ_CHECK((item->getDataInfoType() == eDITWord) == (word != nullptr),
                        "a word item of another class, or a word of another kind");
        items.emplace_back(item->getDataInfoType(), word != nullptr ? word->getWord() : "");
    }
    return items;
}
