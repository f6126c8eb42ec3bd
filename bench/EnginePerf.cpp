// flit-perf: measures the running engine with a host that renders at once or after a delay.
//
//   flit-perf [--words N] [--render-delay D[,D...]] [--idle-seconds S] [--idle-words N]
//             [--commands N] [--errors FILE] TEXT
//
// Prints one JSON object with
//   - pacing: for each render delay D, for 950, 500 and 250 words per minute, in each pacing
//     mode (compensated deadlines, plain deadlines, relative sleeps, scheduled deadlines; the
//     readings of one delay run side by side), how far each chunk's and blank's interval on screen
//     (from its render signal to the next one's) strays from the time the calculator gives: median,
//     99th percentile and maximum of the absolute differences, the whole reading's error against
//     the sum of the computed times, and the error of the reader's time-left prediction (from the
//     start command to DONE);
//     Intervals shorter than the render delay, which no host that shows one event at a time
//     can show as computed, are counted apart (short_intervals; showable_* for the others),
//     with the least whole-reading error they force; word_* is the same for each chunk's onset
//     to the next one's, the rhythm of the words;
//   - prediction: the reader's predicted reading time for the text against the recorded one, at
//     250 words per minute with compensated deadlines and the first render delay;
//   - idle: CPU time the process uses in S seconds with the engine idle, paused and stopped,
//     holding the text read or, with --idle-words, a document of that many words;
//   - latency: how long the host's command handlers take while the engine reads.
// A render delay is milliseconds from an event's arrival to its render signal: a fixed one
// ("5"), or one drawn uniformly at random for each event ("2-8"); "0" signals at once. The
// delay is kept off the GUI thread, as a compositor's would be, so the readings side by side do
// not wait for each other. With scheduled deadlines the host queues each event once its delay
// has passed and shows it at the moment the engine gives for it, as a compositor would. The host
// naps through the last 2 ms before each signal or showing, as a display keeps its own clock,
// so that its wake-ups do not count as the engine's. --errors writes every interval's
// error at 950 words per minute and the first delay, each mode, as TSV for the plot. Needs a
// display (run under xvfb-run without one).

#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/FlitViewThread.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/app.h>
#include <wx/arrstr.h>
#include <wx/cmdline.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/timer.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const unsigned int kWordLength = 12;
const int kPacingSpeeds[] = {950, 500, 250};

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Runs the toolkit's event loop until done() holds, checking every few milliseconds; events
// are dispatched the moment they arrive, as in a real host.
void runUntil(const std::function<bool()>& done) {
    wxEventLoop loop;
    wxEventLoopActivator active(&loop);
    wxTimer check;
    check.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (done()) {
            loop.Exit();
        }
    });
    check.Start(5);
    if (!done()) {
        loop.Run();
    }
}

struct SArrival {
    Clock::time_point at;
    int type;
    bool blank;
};

// A render delay: from..to milliseconds, drawn uniformly for each event (from == to: fixed).
struct SRenderDelay {
    double fromMs = 0;
    double toMs = 0;

    // The shortest interval on average that a host with this delay can show for a computed
    // time c: the next event shows only once its own delay has passed, so max(c, delay), whose
    // mean over a uniform delay from a to b is ((c - a) c + (b^2 - c^2) / 2) / (b - a) for c
    // between them.
    double leastInterval(double c) const {
        if (c >= toMs) {
            return c;
        }
        if (c <= fromMs) {
            return (fromMs + toMs) / 2;
        }
        return ((c - fromMs) * c + (toMs * toMs - c * c) / 2) / (toMs - fromMs);
    }

    std::string name() const {
        char text[64];
        if (fromMs == toMs) {
            std::snprintf(text, sizeof text, "%g", fromMs);
        } else {
            std::snprintf(text, sizeof text, "%g-%g", fromMs, toMs);
        }
        return text;
    }
};

// "5" or "2-8"; false for anything else, negative delays and reversed ranges among them.
bool parseRenderDelay(const std::string& text, SRenderDelay* delay) {
    char* end = nullptr;
    delay->fromMs = std::strtod(text.c_str(), &end);
    delay->toMs = delay->fromMs;
    if (end != text.c_str() && *end == '-') {
        const char* second = end + 1;
        delay->toMs = std::strtod(second, &end);
        if (end == second) {
            return false;
        }
    }
    return end != text.c_str() && *end == '\0' && std::isfinite(delay->fromMs) &&
           std::isfinite(delay->toMs) && delay->fromMs >= 0 && delay->toMs >= delay->fromMs;
}

// A host window that records when each event arrives and signals the render of every event
// the engine waits on, at once or after the render delay. Delayed signals come from a thread of
// the host's own, which sleeps until each is due; the GUI thread never waits. The moment of each
// signal is recorded as when the event went on screen. A host that presents on schedule queues
// each event once its delay has passed, as a compositor does, signals that, and shows it no
// sooner than the moment the engine gives for it.
class CPerfHost {
public:
    CPerfHost(wxFrame* frame, SRenderDelay renderDelay, unsigned int seed, bool onSchedule = false)
        : window(new wxWindow(frame, wxID_ANY)), delay(renderDelay), scheduled(onSchedule),
          random(seed) {
        for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
            window->Bind(wxEventTypeTag<CFlitCommandEvent>(*entry.type),
                         [this](CFlitCommandEvent& event) { onEvent(event); });
        }
        if (delay.toMs > 0 || scheduled) {
            signaller = std::thread([this] { signalRenders(); });
        }
    }
    ~CPerfHost() { attach(nullptr); }

    // Null stops the signals (and the signalling thread): set it before destroying the manager.
    void attach(CFlitManager* engine) {
        if (engine == nullptr && signaller.joinable()) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                quit = true;
            }
            wake.notify_one();
            signaller.join();
        }
        manager = engine;
    }
    wxWindow* getWindow() const { return window; }
    const std::vector<SArrival>& getArrivals() const { return arrivals; }
    // When each waited-for WORD event was signalled as rendered, in order.
    std::vector<Clock::time_point> getWordRenders() {
        std::lock_guard<std::mutex> lock(mutex);
        return wordRenders;
    }
    bool isDone() const { return done; }

private:
    struct SDueRender {
        Clock::time_point at;
        Clock::time_point ready;
        long ticket;
        bool word;
    };

    void onEvent(CFlitCommandEvent& event) {
        const Clock::time_point now = Clock::now();
        const bool word = event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG;
        arrivals.push_back({now, event.GetEventType(), event.text.empty()});
        if (event.GetEventType() == EVT_FLIT_COMMAND_DONE_MSG) {
            done = true;
        }
        if (!event.waitsForRender() || manager == nullptr) {
            return;
        }
        if (!signaller.joinable()) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (word) {
                    wordRenders.push_back(now);
                }
            }
            manager->signalGuiThreadRendered(event.getRenderTicket());
            return;
        }
        const double ms = std::uniform_real_distribution<double>(delay.fromMs, delay.toMs)(random);
        const Clock::time_point ready = now + std::chrono::microseconds(std::llround(ms * 1000));
        const Clock::time_point at =
            scheduled ? std::max(ready, manager->getPresentAt(event.getRenderTicket())) : ready;
        {
            std::lock_guard<std::mutex> lock(mutex);
            due.push_back({at, ready, event.getRenderTicket(), word});
        }
        wake.notify_one();
    }

    // The signalling thread: one render at a time, each signalled when its delay has passed.
    // On schedule, it is then queued and shown at its time, while the next is drawn.
    void signalRenders() {
        std::unique_lock<std::mutex> lock(mutex);
        while (!quit) {
            Clock::time_point next = Clock::time_point::max();
            if (!due.empty()) {
                next = due.front().ready;
            }
            if (!queued.empty()) {
                next = std::min(next, queued.front().at);
            }
            if (next == Clock::time_point::max()) {
                wake.wait(lock);
                continue;
            }
            const Clock::time_point now = Clock::now();
            if (now < next - kLastStretch) {
                wake.wait_until(lock, next - kLastStretch);
                continue;
            }
            if (now < next) {
                // The last stretch is waited out in short naps, as a display keeps its own
                // clock: a thread woken once, at the moment itself, may be woken late.
                lock.unlock();
                for (Clock::time_point napFrom = now; napFrom < next; napFrom = Clock::now()) {
                    std::this_thread::sleep_for(std::min<Clock::duration>(kNap, next - napFrom));
                }
                lock.lock();
                continue;
            }
            if (!queued.empty() && queued.front().at <= now) {
                if (queued.front().word) {
                    wordRenders.push_back(now);
                }
                queued.pop_front();
                continue;
            }
            SDueRender render = due.front();
            due.pop_front();
            if (scheduled) {
                render.at = std::max(render.at, lastQueuedAt);
                lastQueuedAt = render.at;
                queued.push_back(render);
                lock.unlock();
                manager->signalGuiThreadQueued(render.ticket);
                lock.lock();
                continue;
            }
            lock.unlock();
            manager->signalGuiThreadRendered(render.ticket, render.ready);
            lock.lock();
            if (render.word) {
                wordRenders.push_back(now);
            }
        }
    }

    // How long before each signal or showing the host stops sleeping through and naps.
    static constexpr std::chrono::microseconds kLastStretch{2000};
    static constexpr std::chrono::microseconds kNap{100};

    wxWindow* window;
    SRenderDelay delay;
    bool scheduled;
    std::mt19937 random;
    CFlitManager* manager = nullptr;
    std::vector<SArrival> arrivals;
    bool done = false;
    // Guards due, queued, wordRenders and quit between the GUI thread and the signalling
    // thread, which waits on wake until a render is due or it is to quit.
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<SDueRender> due;
    // On schedule: drawn and signalled, waiting for their time, in order.
    std::deque<SDueRender> queued;
    Clock::time_point lastQueuedAt;
    std::vector<Clock::time_point> wordRenders;
    bool quit = false;
    std::thread signaller;
};

// A host window that renders at once, for the measurements other than pacing.
class CInstantHost : public CPerfHost {
public:
    explicit CInstantHost(wxFrame* frame) : CPerfHost(frame, SRenderDelay(), 0) {}
};

// One reading of the whole document at one speed in one pacing mode.
struct SReading {
    int speed;
    CFlitViewThread::ePacing pacing;
    std::unique_ptr<CPerfHost> host;
    std::unique_ptr<CFlitManager> manager;
    Clock::time_point started;
};

const char* pacingName(CFlitViewThread::ePacing pacing) {
    switch (pacing) {
    case CFlitViewThread::ePacingCompensated:
        return "compensated";
    case CFlitViewThread::ePacingDeadlines:
        return "deadlines";
    case CFlitViewThread::ePacingScheduled:
        return "scheduled";
    default:
        return "relative";
    }
}

struct SStats {
    double median = 0;
    double p99 = 0;
    double max = 0;
};

SStats statsOf(std::vector<double> values) {
    SStats stats;
    if (values.empty()) {
        return stats;
    }
    std::sort(values.begin(), values.end());
    stats.median = values[values.size() / 2];
    stats.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    stats.max = values.back();
    return stats;
}

// The intervals the calculator gives the document's words at a target speed, in the order the
// engine shows them, by the engine's reading rules and start-up ramp: for each chunk its display
// time, then the delay of the blank after it.
std::vector<int> computedIntervals(CDataManager& document, int target) {
    std::vector<int> intervals;
    CFlitWordCalcs calcs;
    CStartupRamp ramp;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node; node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() != eDITWord) {
            continue;
        }
        const std::string word = static_cast<const CDITWord*>(node->GetData())->getWord();
        if (!CFlashedWords::isShown(word.c_str())) {
            continue;
        }
        const int speed = ramp.nextWord(target);
        const SWordTiming times = CReadingRules::timingOf(
            calcs, word, CReadingRules::separatorAfter(document, node), speed, kWordLength);
        const size_t chunks = CReadingRules::shapeOf(word.data(), word.size(), kWordLength).chunks;
        for (size_t i = 0; i < chunks; ++i) {
            intervals.push_back(times.displayMs);
            intervals.push_back(times.delayMs);
        }
    }
    return intervals;
}

std::string pacingJson(SReading& reading, const SRenderDelay& delay, CDataManager& document,
                       CReadingNavigator& navigator, FILE* errorsOut) {
    // The host rendered WORD events only for the document's words; each interval runs from one
    // render signal to the next. The last blank's interval ends with DONE, which is not rendered,
    // so it is left out.
    const std::vector<Clock::time_point> marks = reading.host->getWordRenders();
    const std::vector<int> computed = computedIntervals(document, reading.speed);
    // An interval shorter than the host's render delay cannot be shown as computed: the next
    // event is posted only once the last is on screen, and takes the delay to show. Those are
    // counted apart, and the least excess they force on the whole reading is given.
    std::vector<double> differences;
    std::vector<double> showable;
    double computedTotal = 0;
    double leastTotal = 0;
    size_t shortIntervals = 0;
    const size_t count = std::min(computed.size(), marks.empty() ? 0 : marks.size() - 1);
    for (size_t i = 0; i < count; ++i) {
        const double error = msBetween(marks[i], marks[i + 1]) - computed[i];
        differences.push_back(std::fabs(error));
        if (computed[i] >= delay.toMs) {
            showable.push_back(std::fabs(error));
        } else {
            ++shortIntervals;
        }
        computedTotal += computed[i];
        leastTotal += delay.leastInterval(computed[i]);
        if (errorsOut != nullptr) {
            std::fprintf(errorsOut, "%s\t%zu\t%.4f\n", pacingName(reading.pacing), i, error);
        }
    }
    // The rhythm of the words: each chunk's onset to the next one's, against its display time
    // and its blank's together. Where a host cannot show a blank for as short as computed, the
    // engine lets the blank run over at the chunk's expense to keep this.
    std::vector<double> rhythm;
    for (size_t i = 0; i + 2 < marks.size() && i + 1 < computed.size(); i += 2) {
        rhythm.push_back(
            std::fabs(msBetween(marks[i], marks[i + 2]) - computed[i] - computed[i + 1]));
    }
    const SStats rhythmStats = statsOf(rhythm);
    const double observedTotal = count > 0 ? msBetween(marks.front(), marks[count]) : 0;
    const SStats stats = statsOf(differences);
    const SStats showableStats = statsOf(showable);
    // What the reader's status bar promises at the start, against the start command to DONE.
    const double predicted =
        double(navigator.timeLeftMs(document.getFirstNode(), reading.speed, kWordLength, true));
    const double recorded = msBetween(reading.started, reading.host->getArrivals().back().at);
    std::ostringstream json;
    json.precision(4);
    json << std::fixed << "{\"render_delay_ms\": \"" << delay.name()
         << "\", \"speed\": " << reading.speed << ", \"pacing\": \"" << pacingName(reading.pacing)
         << "\", \"intervals\": " << count << ", \"median_abs_ms\": " << stats.median
         << ", \"p99_abs_ms\": " << stats.p99 << ", \"max_abs_ms\": " << stats.max
         << ", \"short_intervals\": " << shortIntervals
         << ", \"showable_median_abs_ms\": " << showableStats.median
         << ", \"showable_p99_abs_ms\": " << showableStats.p99
         << ", \"word_median_abs_ms\": " << rhythmStats.median
         << ", \"word_p99_abs_ms\": " << rhythmStats.p99 << ", \"least_whole_error_percent\": "
         << (computedTotal > 0 ? 100.0 * (leastTotal - computedTotal) / computedTotal : 0)
         << ", \"computed_ms\": " << computedTotal << ", \"observed_ms\": " << observedTotal
         << ", \"whole_error_percent\": "
         << (computedTotal > 0 ? 100.0 * (observedTotal - computedTotal) / computedTotal : 0)
         << ", \"predicted_ms\": " << predicted << ", \"recorded_ms\": " << recorded
         << ", \"prediction_error_percent\": " << 100.0 * (recorded - predicted) / predicted << "}";
    return json.str();
}

double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

// CPU time the process uses while the event loop runs for the given time and nothing happens:
// one timer ends the wait, so the measurement itself does not wake the process.
double idleCpuMs(double seconds) {
    wxEventLoop loop;
    wxEventLoopActivator active(&loop);
    wxTimer end;
    end.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.Exit(); });
    const double before = processCpuMs();
    end.StartOnce(static_cast<int>(seconds * 1000));
    loop.Run();
    return processCpuMs() - before;
}

void send(CFlitManager& manager, int type, wxCDataInfoListNode* node) {
    CFlitCommandEvent command(type);
    command.dataInfoListNode = node;
    manager.ProcessEvent(command);
}

} // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    // The options are ours: the toolkit sees only the program's name.
    int toolkitArgc = 1;
    if (!wxEntryStart(toolkitArgc, argv)) {
        std::fprintf(stderr, "flit-perf: needs a display (try xvfb-run -a)\n");
        return 1;
    }
    wxLog::SetActiveTarget(new wxLogStderr);
    wxTheApp->CallOnInit();

    wxCmdLineParser parser(argc, argv);
    parser.AddOption("", "words", "words of the text to read (default 2000)",
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "idle-seconds", "seconds of each idle measurement (default 10)",
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "idle-words",
                     "words of the document the engine holds while idle (default: --words)",
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "commands", "commands for the latency measurement (default 10000)",
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "errors", "write every chunk's pacing error at 950 wpm to FILE");
    parser.AddOption("", "render-delay",
                     "the host's render delays in ms, comma-separated: fixed (5) or uniform "
                     "random (2-8) (default 0)");
    parser.AddParam("TEXT");
    if (parser.Parse() != 0) {
        return 2;
    }
    long words = 2000;
    long idleSeconds = 10;
    long idleWords = 0;
    long commands = 10000;
    wxString errorsPath;
    parser.Found("words", &words);
    parser.Found("idle-seconds", &idleSeconds);
    parser.Found("idle-words", &idleWords);
    parser.Found("commands", &commands);
    parser.Found("errors", &errorsPath);
    wxString delaysOption = "0";
    parser.Found("render-delay", &delaysOption);
    std::vector<SRenderDelay> renderDelays;
    for (const wxString& part : wxSplit(delaysOption, ',', '\0')) {
        SRenderDelay delay;
        if (!parseRenderDelay(part.ToStdString(), &delay)) {
            std::fprintf(stderr,
                         "flit-perf: render delay '%s' is neither milliseconds (5) nor a range "
                         "(2-8)\n",
                         part.utf8_str().data());
            return 2;
        }
        renderDelays.push_back(delay);
    }

    // The document's words (of any format the importer reads), repeated until there are enough,
    // cut to the number asked for.
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> source = importer.importFile(parser.GetParam(0));
    if (!source) {
        std::fprintf(stderr, "flit-perf: %s\n", importer.getError().utf8_str().data());
        return 2;
    }
    std::vector<std::string> textWords;
    for (wxCDataInfoListNode* node = source->getFirstNode(); node; node = node->GetNext()) {
        if (const auto* word = dynamic_cast<const CDITWord*>(node->GetData())) {
            textWords.push_back(word->getWord());
        }
    }
    if (textWords.empty()) {
        std::fprintf(stderr, "flit-perf: the text has no words\n");
        return 2;
    }
    const auto documentOf = [&](long count) {
        std::string text;
        for (long i = 0; i < count; ++i) {
            text += textWords[size_t(i) % textWords.size()];
            text += (i % 12 == 11) ? "\n" : " ";
        }
        return importer.importText(text, CDocumentImporter::ePlainText, wxString());
    };
    std::unique_ptr<CDataManager> document = documentOf(words);
    if (!document) {
        std::fprintf(stderr, "flit-perf: %s\n", importer.getError().utf8_str().data());
        return 2;
    }

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "flit-perf");
    frame->Show();

    // Pacing: for each render delay in turn, every speed in every mode side by side.
    FILE* errorsOut = errorsPath.empty() ? nullptr : std::fopen(errorsPath.utf8_str(), "w");
    CReadingNavigator navigator(document.get());
    std::ostringstream json;
    json << "{\n  \"words\": " << words << ",\n  \"pacing\": [\n";
    std::string prediction;
    for (size_t d = 0; d < renderDelays.size(); ++d) {
        std::vector<SReading> readings;
        for (int speed : kPacingSpeeds) {
            for (CFlitViewThread::ePacing pacing :
                 {CFlitViewThread::ePacingCompensated, CFlitViewThread::ePacingDeadlines,
                  CFlitViewThread::ePacingRelative, CFlitViewThread::ePacingScheduled}) {
                SReading reading{
                    speed, pacing,
                    std::make_unique<CPerfHost>(frame, renderDelays[d], unsigned(readings.size()),
                                                pacing == CFlitViewThread::ePacingScheduled),
                    std::make_unique<CFlitManager>(), Clock::now()};
                reading.host->attach(reading.manager.get());
                reading.manager->setTargetSpeed(unsigned(speed));
                reading.manager->setWordDisplayLength(kWordLength);
                if (!reading.manager->initialize(document.get(), frame, reading.host->getWindow(),
                                                 frame)) {
                    return 1;
                }
                reading.manager->getFlitViewThread()->setPacing(pacing);
                readings.push_back(std::move(reading));
            }
        }
        for (SReading& reading : readings) {
            reading.started = Clock::now();
            send(*reading.manager, EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
        }
        runUntil([&] {
            return std::all_of(readings.begin(), readings.end(),
                               [](const SReading& reading) { return reading.host->isDone(); });
        });
        for (SReading& reading : readings) {
            reading.host->attach(nullptr);
        }
        for (size_t i = 0; i < readings.size(); ++i) {
            SReading& reading = readings[i];
            const bool last = d + 1 == renderDelays.size() && i + 1 == readings.size();
            json << "    "
                 << pacingJson(reading, renderDelays[d], *document, navigator,
                               d == 0 && reading.speed == 950 ? errorsOut : nullptr)
                 << (last ? "\n" : ",\n");
            if (d == 0 && reading.speed == 250 &&
                reading.pacing == CFlitViewThread::ePacingCompensated) {
                const double predicted = double(navigator.timeLeftMs(
                    document->getFirstNode(), reading.speed, kWordLength, true));
                const double recorded =
                    msBetween(reading.started, reading.host->getArrivals().back().at);
                std::ostringstream line;
                line << "  \"prediction\": {\"speed\": 250, \"predicted_ms\": " << predicted
                     << ", \"recorded_ms\": " << recorded
                     << ", \"error_percent\": " << 100.0 * (recorded - predicted) / predicted
                     << "},\n";
                prediction = line.str();
            }
            reading.manager.reset();
        }
    }
    json << "  ],\n" << prediction;
    if (errorsOut != nullptr) {
        std::fclose(errorsOut);
    }

    // Idle cost: an engine that was never started, one paused mid-reading, one stopped.
    {
        const std::unique_ptr<CDataManager> idleDocument =
            idleWords > 0 ? documentOf(idleWords) : nullptr;
        CDataManager* held = idleDocument ? idleDocument.get() : document.get();
        CInstantHost host(frame);
        auto manager = std::make_unique<CFlitManager>();
        host.attach(manager.get());
        manager->initialize(held, frame, host.getWindow(), frame);
        runUntil([] { return true; });
        const double idle = idleCpuMs(double(idleSeconds));
        send(*manager, EVT_FLIT_COMMAND_START_MSG, held->getFirstNode());
        const Clock::time_point reading = Clock::now() + std::chrono::milliseconds(300);
        runUntil([&] { return Clock::now() >= reading; });
        send(*manager, EVT_FLIT_COMMAND_PAUSE_MSG, nullptr);
        const Clock::time_point settle = Clock::now() + std::chrono::milliseconds(500);
        runUntil([&] { return Clock::now() >= settle; });
        const double paused = idleCpuMs(double(idleSeconds));
        send(*manager, EVT_FLIT_COMMAND_STOP_MSG, nullptr);
        const double stopped = idleCpuMs(double(idleSeconds));
        json << "  \"idle\": {\"seconds\": " << idleSeconds
             << ", \"words\": " << (idleWords > 0 ? idleWords : words)
             << ", \"idle_cpu_ms\": " << idle << ", \"paused_cpu_ms\": " << paused
             << ", \"stopped_cpu_ms\": " << stopped << "},\n";
        host.attach(nullptr);
        manager.reset();
    }

    // Command latency: commands every millisecond while the engine reads at 950 words per
    // minute, each timed from the call of the manager's handler to its return.
    {
        CInstantHost host(frame);
        auto manager = std::make_unique<CFlitManager>();
        host.attach(manager.get());
        manager->setTargetSpeed(950);
        manager->setWordDisplayLength(kWordLength);
        manager->initialize(document.get(), frame, host.getWindow(), frame);
        std::vector<wxCDataInfoListNode*> nodes;
        for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
            nodes.push_back(node);
        }
        send(*manager, EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
        std::vector<double> latencies;
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        wxTimer tick;
        long sent = 0;
        tick.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            static const int kCycle[] = {EVT_FLIT_COMMAND_PAUSE_MSG, EVT_FLIT_COMMAND_CONTINUE_MSG,
                                         EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG,
                                         EVT_FLIT_COMMAND_STOP_MSG, EVT_FLIT_COMMAND_START_MSG};
            const int type = kCycle[sent % 5];
            wxCDataInfoListNode* node = nodes[size_t(sent * 7919) % nodes.size()];
            const Clock::time_point before = Clock::now();
            send(*manager, type, node);
            latencies.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - before).count());
            if (++sent >= commands) {
                loop.Exit();
            }
        });
        tick.Start(1);
        loop.Run();
        const SStats stats = statsOf(latencies);
        json << "  \"latency\": {\"commands\": " << latencies.size()
             << ", \"median_us\": " << stats.median << ", \"p99_us\": " << stats.p99
             << ", \"max_us\": " << stats.max << "}\n}\n";
        host.attach(nullptr);
        manager.reset();
    }

    std::fputs(json.str().c_str(), stdout);
    frame->Destroy();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
