#ifndef FLIT_APP_READINGSTEPS_H
#define FLIT_APP_READINGSTEPS_H

#include <wx/string.h>

class CReadingNavigator;
class wxCDataInfoListNode;

// The reader's small steps, which need no window: a word back or forward through the document,
// the speed Up and Down step to, and the speed a user types for Speed > Set Speed.
class CReadingSteps {
public:
    // Up and Down step by kFineSpeedStep below kCoarseStepsFrom words per minute, where a step
    // of 25 is too coarse for a slow reader, and by the engine's usual increment from there up.
    static constexpr unsigned int kFineSpeedStep = 10;
    static constexpr unsigned int kCoarseStepsFrom = 200;

    // The speed a step up (direction 1) or down (-1) from speed goes to. A step ends on
    // kCoarseStepsFrom rather than crossing it, so that Up and Down retrace each other, and on
    // the engine's bound rather than being refused short of it: 940 goes up to 950.
    static unsigned int speedAfterStep(unsigned int speed, int direction);

    // The speed typed for Set Speed: a whole number of words per minute in the engine's range,
    // spaces and a trailing "wpm" allowed. False, with a sentence fit to show a user in
    // *problem, for text that is not one.
    static bool parseSpeed(const wxString& typed, unsigned int* speed, wxString* problem);

    // The item of the word steps words on from the word at from (the first word at or after it;
    // null: the end, after the last word), steps < 0 going back: each step passes every word of
    // the item it leaves, as reading from the item would show them all. Stops at the first and
    // the last word; null when not one step can be taken.
    static wxCDataInfoListNode* wordAfterSteps(CReadingNavigator& navigator,
                                               wxCDataInfoListNode* from, int steps);
};

#endif
