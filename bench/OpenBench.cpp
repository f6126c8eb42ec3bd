// flit-open-bench: opening a long book in the reader, as a user starts it with the book.
//
//   flit-open-bench --write-book=FILE [--words=N] [--chapters=C]
//   flit-open-bench --write-text=FILE [--words=N]
//   flit-open-bench [--launched-at=NS] FILE
//
// The first writes an EPUB of N words (900,000 by default) in chapters of 5,000, or in C
// chapters of five anchored sections each, every section listed in the table of contents; the
// second a plain text of N words (sentences of 5 to 18 words of a small vocabulary, a
// paragraph every six). The third starts the reader application with the book on its command
// line and measures: the time to the window on screen (its first paint; from NS, the monotonic
// clock's nanoseconds when the caller started this program, else from main), the time to the
// book open, and the longest time the GUI thread did not answer meanwhile (a 10 ms timer's
// largest lateness). Then it opens the book again from the running window, as File > Open
// does, and measures the same. Last it starts reading and changes the speed ten times in a
// second, as the Up key does, and measures the longest lateness from the first change to
// half a second after the last. Prints one JSON object.

#include "ReaderApp.h"
#include "ReaderOptions.h"
#include "document/OpeningBar.h"
#include "frame/ReaderFrame.h"

#include "EpubFixture.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kWordsPerChapter = 5000;
constexpr std::size_t kSections = 5;
constexpr int kTickMs = 10;
constexpr int kSpeedChanges = 10;
// Ticks between two speed changes, and after the last before the end.
constexpr int kTicksPerChange = 10;
constexpr int kTicksAfterChanges = 50;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Chapters of paragraphs of words drawn from a small vocabulary by a fixed sequence, so that
// they compress as prose does. With a number of chapters, each is cut in sections that open
// with an anchored heading, and the table of contents lists every section; without, chapters
// hold 5,000 words and it lists every tenth chapter.
std::string makeBook(std::size_t words, std::size_t chapterCount) {
    static const char* const kWords[] = {
        "the",   "lamp",  "keeper", "climbed", "stairs", "while", "wind",  "pressed",
        "glass", "and",   "far",    "below",   "waves",  "broke", "on",    "rocks,",
        "ships", "held",  "their",  "course.", "Night",  "came",  "early", "there;",
        "oil",   "burnt", "bright", "through", "hours",  "of",    "storm", "r\xC3\xA9sum\xC3\xA9",
    };
    const std::size_t perChapter =
        chapterCount > 0 ? std::max<std::size_t>(words / chapterCount, 1) : kWordsPerChapter;
    const std::size_t perSection =
        chapterCount > 0 ? std::max<std::size_t>(perChapter / kSections, 1) : perChapter;
    std::vector<std::string> chapters;
    std::string spine;
    std::string nav;
    std::uint32_t state = 2463534242u;
    for (std::size_t done = 0; done < words; done += perChapter) {
        const std::string chapter = std::to_string(chapters.size() + 1);
        std::string body = "<h1>Chapter " + chapter + "</h1><p>";
        for (std::size_t w = 0; w < std::min(perChapter, words - done); ++w) {
            const std::size_t section = w / perSection + 1;
            if (chapterCount > 0 && w % perSection == 0 && section <= kSections) {
                const std::string id = "s" + std::to_string(section);
                body += "</p><h2 id='" + id + "'>Section " + std::to_string(section) + "</h2><p>";
                nav += "<li><a href='c" + chapter + ".xhtml#" + id + "'>Section " + chapter + "." +
                       std::to_string(section) + "</a></li>";
            }
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            body += kWords[state % (sizeof kWords / sizeof kWords[0])];
            body += (w + 1) % 70 == 0 ? "</p>\n<p>" : " ";
        }
        chapters.push_back(body + "</p>");
        spine += "c" + chapter + " ";
        if (chapterCount == 0 && chapters.size() % 10 == 1) {
            nav += "<li><a href='c" + chapter + ".xhtml'>Chapter " + chapter + "</a></li>";
        }
    }
    return flitZipBytes(flitEpubEntries("The Long Watch", chapters, spine, nav));
}

// Sentences of 5 to 18 words of a small vocabulary drawn by a fixed sequence, a paragraph
// (a blank line) every six sentences.
std::string makeText(std::size_t words) {
    static const char* const kWords[] = {
        "harbour", "lantern", "keeper", "stone", "evening", "tide",       "gull",
        "window",  "stair",   "light",  "salt",  "rope",    "boat",       "quiet",
        "ledge",   "weather", "beacon", "rock",  "a",       "the",        "of",
        "and",     "to",      "in",     "was",   "her",     "over",       "beyond",
        "slowly",  "wind",    "sea",    "long",  "white",   "remembered", "unmistakable"};
    static const char* const kEnds[] = {".", ".", ",", "?", "!"};
    std::uint32_t state = 2463534242u;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    std::string text;
    text.reserve(words * 7);
    std::size_t count = 0;
    for (std::size_t sentence = 1; count < words; ++sentence) {
        const std::size_t length = std::min<std::size_t>(5 + next() % 14, words - count);
        for (std::size_t i = 0; i < length; ++i) {
            std::string word = kWords[next() % (sizeof kWords / sizeof kWords[0])];
            if (i == 0) {
                word[0] = static_cast<char>(word[0] - 'a' + 'A');
            }
            text += word;
            text += i + 1 < length ? " " : "";
        }
        text += kEnds[next() % (sizeof kEnds / sizeof kEnds[0])];
        text += sentence % 6 == 0 ? "\n\n" : " ";
        count += length;
    }
    return text;
}

// One open watched: when it began and ended, and the GUI thread's longest silence meanwhile.
struct SOpenWatch {
    Clock::time_point began;
    double openedMs = -1;
    double longestLateMs = 0;
    int gaugeMoves = 0;
};

class CBenchApp : public CReaderApp {
public:
    CBenchApp(const SReaderOptions& given, Clock::time_point launched, int* status)
        : CReaderApp(given, launched, status), path(given.documentPath), launchedAt(launched) {}

    int OnExit() override {
        std::printf("{\"shown_ms\": %.1f", shownMs);
        const char* const names[] = {"launch", "reopen"};
        for (int i = 0; i < 2; ++i) {
            std::printf(", \"%s_opened_ms\": %.1f, \"%s_longest_late_ms\": %.1f, "
                        "\"%s_gauge_moves\": %d",
                        names[i], watches[i].openedMs, names[i], watches[i].longestLateMs, names[i],
                        watches[i].gaugeMoves);
        }
        std::printf(", \"speed_longest_late_ms\": %.1f, \"words\": %zu}\n", speedLateMs, words);
        return CReaderApp::OnExit();
    }

    bool OnInit() override {
        if (!CReaderApp::OnInit()) {
            return false;
        }
        frame = dynamic_cast<CReaderFrame*>(GetTopWindow());
        frame->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
            if (shownMs < 0) {
                shownMs = msBetween(launchedAt, Clock::now());
            }
            event.Skip();
        });
        watches[0].began = launchedAt;
        lastTick = Clock::now();
        ticker.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { onTick(); });
        ticker.Start(kTickMs);
        return true;
    }

private:
    void onTick() {
        const Clock::time_point now = Clock::now();
        if (phase == 2) {
            onSpeedTick(now);
            return;
        }
        SOpenWatch& watch = watches[phase];
        watch.longestLateMs = std::max(watch.longestLateMs, msBetween(lastTick, now) - kTickMs);
        lastTick = now;
        auto* bar = dynamic_cast<COpeningBar*>(frame->FindWindow("opening"));
        if (frame->isOpening() || frame->getDocument() == nullptr) {
            watch.gaugeMoves = bar->getMoves();
            return;
        }
        watch.openedMs = msBetween(watch.began, now);
        if (++phase == 2) {
            words = frame->getNavigator()->getWordCount();
            frame->togglePause();
            return;
        }
        // As File > Open does, with the book open.
        watches[phase].began = Clock::now();
        frame->openDocument(path);
    }

    // Reading runs: a speed change every kTicksPerChange ticks, the lateness watched from the
    // first until kTicksAfterChanges ticks after the last.
    void onSpeedTick(Clock::time_point now) {
        if (speedTicks > 0) {
            speedLateMs = std::max(speedLateMs, msBetween(lastTick, now) - kTickMs);
        }
        lastTick = now;
        if (speedTicks % kTicksPerChange == 0 && speedTicks < kSpeedChanges * kTicksPerChange) {
            frame->changeSpeed(CReaderFrame::eFaster);
        }
        if (++speedTicks == kSpeedChanges * kTicksPerChange + kTicksAfterChanges) {
            ticker.Stop();
            frame->Close(true);
        }
    }

    wxString path;
    Clock::time_point launchedAt;
    int speedTicks = 0;
    double speedLateMs = 0;
    std::size_t words = 0;
    double shownMs = -1;
    SOpenWatch watches[2];
    Clock::time_point lastTick;
    CReaderFrame* frame = nullptr;
    wxTimer ticker;
    int phase = 0;
};

} // namespace

int main(int argc, char** argv) {
    Clock::time_point launched = Clock::now();
    std::size_t words = 900000;
    std::size_t chapters = 0;
    const char* book = nullptr;
    const char* plain = nullptr;
    wxString path;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--words=", 8) == 0) {
            words = std::strtoull(argv[i] + 8, nullptr, 10);
        } else if (std::strncmp(argv[i], "--chapters=", 11) == 0) {
            chapters = std::strtoull(argv[i] + 11, nullptr, 10);
        } else if (std::strncmp(argv[i], "--write-book=", 13) == 0) {
            book = argv[i] + 13;
        } else if (std::strncmp(argv[i], "--write-text=", 13) == 0) {
            plain = argv[i] + 13;
        } else if (std::strncmp(argv[i], "--launched-at=", 14) == 0) {
            launched = Clock::time_point(
                std::chrono::nanoseconds(std::strtoll(argv[i] + 14, nullptr, 10)));
        } else {
            path = wxString::FromUTF8(argv[i]);
        }
    }
    if (book != nullptr || plain != nullptr) {
        const std::string bytes = book != nullptr ? makeBook(words, chapters) : makeText(words);
        std::FILE* out = std::fopen(book != nullptr ? book : plain, "wb");
        const bool written =
            out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        return out != nullptr && std::fclose(out) == 0 && written ? 0 : 1;
    }
    // The reader's preferences and library in a folder of their own, not the user's.
    const wxString folder = wxFileName::CreateTempFileName("flit-open-bench");
    wxRemoveFile(folder);
    wxFileName::Mkdir(folder, 0700);
    wxSetEnv("XDG_CONFIG_HOME", folder);
    wxSetEnv("XDG_DATA_HOME", folder);
    SReaderOptions options;
    options.documentPath = path;
    int status = 0;
    auto* app = new CBenchApp(options, launched, &status);
    wxApp::SetInstance(app);
    int toolkitArgc = 1;
    const int exitStatus = wxEntry(toolkitArgc, argv);
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    return exitStatus != 0 ? exitStatus : status;
}
