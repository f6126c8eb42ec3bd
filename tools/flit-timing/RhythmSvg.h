#ifndef FLIT_TOOLS_RHYTHMSVG_H
#define FLIT_TOOLS_RHYTHMSVG_H

#include "TimingReport.h"

#include <string>
#include <vector>

// Draws the rhythm of a timed text as an SVG picture: one bar per word along a time axis, the
// display time in one colour and the delay after it in another, the word written under its bar,
// wrapping onto rows of equal length so that the long pauses stand out at a glance.
class CRhythmSvg {
public:
    CRhythmSvg(int wordsPerMinute, std::string title);

    std::string render(const std::vector<STimedWord>& words) const;

private:
    int wpm;
    std::string title;
};

#endif
