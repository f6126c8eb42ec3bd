#include "FuzzSupport.h"

#include "outside/DataManager.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <unistd.h>

namespace {

// Swallows every message: the fuzz targets judge outcomes by return values, not by the log.
class CSilentLog : public wxLog {
protected:
    void DoLogTextAtLevel(wxLogLevel, const wxString&) override {}
};

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

} // namespace

void flitFuzzInitialize() {
    static wxInitializer* initializer = nullptr;
    if (initializer != nullptr) {
        return;
    }
    // Lives for the whole process: libFuzzer never returns control to a point where it could be
    // destroyed in order.
    initializer = new wxInitializer();
    if (!initializer->IsOk()) {
        std::fprintf(stderr, "cannot initialise the wxWidgets base library\n");
        std::abort();
    }
    wxSetAssertHandler(abortOnAssert);
    delete wxLog::SetActiveTarget(new CSilentLog);
    std::atexit(removeTempDirs);
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
        static const char png[] = "\x89PNG\r\n\x1a\n fuzz picture";
        static const char gif[] = "GIF89a fuzz picture";
        static const char wav[] = "RIFF\x10\0\0\0WAVEfmt fuzz sound";
        flitFuzzWriteFile(base + "/media/sky.png", png, sizeof png - 1);
        flitFuzzWriteFile(base + "/media/chart.png", png, sizeof png - 1);
        flitFuzzWriteFile(base + "/media/gull.png", png, sizeof png - 1);
        flitFuzzWriteFile(base + "/media/ferry.gif", gif, sizeof gif - 1);
        flitFuzzWriteFile(base + "/media/horn.wav", wav, sizeof wav - 1);
        flitFuzzWriteFile(base + "/a.png", png, sizeof png - 1);
        flitFuzzWriteFile(base + "/b.wav", wav, sizeof wav - 1);
        flitFuzzWriteFile(base + "/empty", "", 0);
        // A file that claims a terabyte and occupies nothing: an importer must refuse it unread.
        flitFuzzWriteFile(base + "/huge.bin", "", 0);
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
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = static_cast<unsigned char>(data[i]);
        std::size_t length = 0;
        unsigned long codePoint = 0;
        unsigned long smallest = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (size - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(data[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

void flitFuzzCheckImport(const char* text, std::size_t size, const CDataManager* document,
                         const wxString& error, const wxString& errorMessage, int line,
                         int column) {
    if (document != nullptr) {
        FLIT_FUZZ_CHECK(error.empty(), "a document and the error " + quote(error));
        FLIT_FUZZ_CHECK(errorMessage.empty(), quote(errorMessage));
        FLIT_FUZZ_CHECK(line == 0 && column == 0, "a document with an error place " +
                                                      std::to_string(line) + ":" +
                                                      std::to_string(column));
        for (wxCDataInfoListNode* node = document->getFirstNode(); node != nullptr;
             node = node->GetNext()) {
            const CDataInfo* item = node->GetData();
            FLIT_FUZZ_CHECK(item != nullptr, "a null item");
            if (item->getDataInfoType() != eDITWord) {
                continue;
            }
            const auto* word = dynamic_cast<const CDITWord*>(item);
            FLIT_FUZZ_CHECK(word != nullptr, "a word item of another class");
            const std::string bytes = word->getWord();
            FLIT_FUZZ_CHECK(!bytes.empty(), "an empty word item");
            FLIT_FUZZ_CHECK(flitFuzzIsUtf8(bytes.data(), bytes.size()),
                            "word not valid UTF-8: " + bytes);
        }
        return;
    }

    FLIT_FUZZ_CHECK(!error.empty(), "neither a document nor an error");
    FLIT_FUZZ_CHECK(!errorMessage.empty(), "an error without a message: " + quote(error));
    // An import of text in memory always has a place for its fault: line and column from 1.
    FLIT_FUZZ_CHECK(line >= 1 && column >= 1, "error place " + std::to_string(line) + ":" +
                                                  std::to_string(column) + " " + quote(error));
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
        ++lines;
        if (lines == static_cast<std::size_t>(line)) {
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
