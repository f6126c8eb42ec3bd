// Read Aloud through a real sound server: the PulseAudio null sink the speech_audio fixture
// starts (PULSE_SERVER names it).

#include "speech/SpeechPacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <utility>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr unsigned int kWpm = 175;
constexpr auto kDeadline = std::chrono::seconds(30);

// Everything the pacer reports, in order, from eSpeak NG's thread.
class CReports {
public:
    struct SReport {
        long run;
        long index; // -1: the run ended complete, -2: ended incomplete
        Clock::time_point at;
    };

    CSpeechPacer::WordDue wordDue() {
        return [this](long run, std::size_t index) { add(run, static_cast<long>(index)); };
    }
    CSpeechPacer::RunEnded runEnded() {
        return [this](long run, bool complete) { add(run, complete ? -1 : -2); };
    }
    // Waits until the run has ended, or the index of it has been reported.
    bool waitFor(long run, long index) {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, kDeadline, [&] {
            for (const SReport& report : m_reports)
                if (report.run == run && (report.index == index || report.index < 0))
                    return true;
            return false;
        });
    }
    std::vector<SReport> of(long run) {
        const std::lock_guard<std::mutex> lock(m_lock);
        std::vector<SReport> found;
        for (const SReport& report : m_reports)
            if (report.run == run)
                found.push_back(report);
        return found;
    }
    std::vector<long> runs() {
        const std::lock_guard<std::mutex> lock(m_lock);
        std::vector<long> found;
        for (const SReport& report : m_reports)
            found.push_back(report.run);
        return found;
    }

private:
    void add(long run, long index) {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_reports.push_back({run, index, Clock::now()});
        m_changed.notify_all();
    }
    // Signalled by each report; the test thread waits.
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<SReport> m_reports;
};

std::vector<CWordPacer::SWord> wordsOf(const char* text) {
    std::vector<CWordPacer::SWord> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        words.push_back({nullptr, wxString::FromUTF8(word)});
    return words;
}

std::vector<long> indicesOf(const std::vector<CReports::SReport>& reports) {
    std::vector<long> indices;
    for (const CReports::SReport& report : reports)
        indices.push_back(report.index);
    return indices;
}

const char* const kSentence = "The keeper climbed — the stairs at 42 past six.";

TEST(SpeechPacerTest, ARunReportsEachWordOnceAsItIsSpokenThenItsEnd) {
    CReports reports;
    CSpeechPacer pacer(reports.wordDue(), reports.runEnded());
    std::vector<std::pair<long, std::size_t>> started;
    std::size_t spoken = 0;
    pacer.setSpeechObserver([&](long run, std::size_t words) { started.emplace_back(run, words); },
                            [&](long, std::size_t, Clock::time_point) { ++spoken; });
    ASSERT_TRUE(pacer.open());
    EXPECT_TRUE(pacer.isAvailable());
    pacer.setVoice(CSpeechSynth::get().voiceFor("en-US"));
    EXPECT_EQ(pacer.voice(), "gmw/en-US");
    const std::vector<CWordPacer::SWord> words = wordsOf(kSentence);
    ASSERT_EQ(words.size(), 10u);
    ASSERT_TRUE(pacer.beginRun(7, words, kWpm));
    ASSERT_TRUE(reports.waitFor(7, -1));
    const std::vector<CReports::SReport> run = reports.of(7);
    EXPECT_EQ(indicesOf(run), (std::vector<long>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1}));
    // Spread as speech is: ten words at 175 a minute take seconds, not a burst.
    EXPECT_GT(run[9].at - run[0].at, std::chrono::milliseconds(1000));
    EXPECT_EQ(started, (std::vector<std::pair<long, std::size_t>>{{7, 10}}));
    EXPECT_EQ(spoken, 10u);
}

TEST(SpeechPacerTest, CancelStopsTheRunAndTheNextRunSpeaks) {
    CReports reports;
    CSpeechPacer pacer(reports.wordDue(), reports.runEnded());
    ASSERT_TRUE(pacer.open());
    ASSERT_TRUE(pacer.beginRun(1, wordsOf(kSentence), kWpm));
    ASSERT_TRUE(reports.waitFor(1, 2));
    pacer.cancelRun();
    const std::size_t heardBeforeCancel = reports.of(1).size();
    // The next run is heard to its end, and nothing more of the cancelled one came meanwhile
    // (but for a report already on its way), nor its end.
    ASSERT_TRUE(pacer.beginRun(2, wordsOf("Fog rolls in."), kWpm));
    ASSERT_TRUE(reports.waitFor(2, -1));
    EXPECT_EQ(indicesOf(reports.of(2)), (std::vector<long>{0, 1, 2, -1}));
    const std::vector<CReports::SReport> cancelled = reports.of(1);
    EXPECT_LE(cancelled.size(), heardBeforeCancel + 1);
    EXPECT_LT(cancelled.size(), 10u);
    for (const CReports::SReport& report : cancelled)
        EXPECT_GE(report.index, 0);
}

TEST(SpeechPacerTest, QueuedRunsAreSpokenInTurn) {
    CReports reports;
    CSpeechPacer pacer(reports.wordDue(), reports.runEnded());
    ASSERT_TRUE(pacer.open());
    ASSERT_TRUE(pacer.beginRun(3, wordsOf("Fog rolls in."), kWpm));
    ASSERT_TRUE(pacer.beginRun(4, wordsOf("Gulls cry."), kWpm));
    ASSERT_TRUE(reports.waitFor(4, -1));
    EXPECT_EQ(indicesOf(reports.of(3)), (std::vector<long>{0, 1, 2, -1}));
    EXPECT_EQ(indicesOf(reports.of(4)), (std::vector<long>{0, 1, -1}));
    EXPECT_EQ(reports.runs(), (std::vector<long>{3, 3, 3, 3, 4, 4, 4}));
}
} // namespace
