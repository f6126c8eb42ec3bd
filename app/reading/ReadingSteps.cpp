#include "reading/ReadingSteps.h"

#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlitManager.h>

#include <algorithm>

unsigned int CReadingSteps::speedAfterStep(unsigned int speed, int direction) {
    const unsigned int low = CFlitManager::kMinWpmSpeed;
    const unsigned int high = CFlitManager::kMaxWpmSpeed;
    const unsigned int coarse = CFlitManager::kDefaultSpeedIncrement;
    speed = std::clamp(speed, low, high);
    if (direction > 0) {
        return speed < kCoarseStepsFrom ? std::min(speed + kFineSpeedStep, kCoarseStepsFrom)
                                        : std::min(speed + coarse, high);
    }
    return speed > kCoarseStepsFrom ? std::max(speed - coarse, kCoarseStepsFrom)
                                    : std::max(speed - kFineSpeedStep, low);
}

bool CReadingSteps::parseSpeed(const wxString& typed, unsigned int* speed, wxString* problem) {
    const unsigned int low = CFlitManager::kMinWpmSpeed;
    const unsigned int high = CFlitManager::kMaxWpmSpeed;
    const wxString range = wxString::Format("from %u to %u words per minute", low, high);
    wxString text = typed;
    text.Trim(true).Trim(false);
    if (text.Lower().EndsWith("wpm")) {
        text.RemoveLast(3).Trim(true);
    }
    if (text.empty()) {
        *problem = "Type a speed " + range + ".";
        return false;
    }
    const size_t digitsFrom = text[0] == '-' || text[0] == '+' ? 1 : 0;
    const wxString digits = text.Mid(digitsFrom);
    const bool whole =
        !digits.empty() &&
        std::all_of(digits.begin(), digits.end(), [](wxUniChar c) { return c >= '0' && c <= '9'; });
    if (!whole) {
        double number = 0;
        *problem = text.ToCDouble(&number)
                       ? wxString::Format("%s is not a whole number: type a speed %s.", text, range)
                       : wxString::Format("\"%s\" is not a number: type a speed %s.", text, range);
        return false;
    }
    unsigned long long value = 0;
    // A number too long to convert is far outside the range too.
    if (text[0] == '-' || !digits.ToULongLong(&value) || value < low || value > high) {
        *problem = wxString::Format("%s words per minute is out of range: type a "
                                    "speed %s.",
                                    text, range);
        return false;
    }
    *speed = static_cast<unsigned int>(value);
    return true;
}

wxCDataInfoListNode* CReadingSteps::wordAfterSteps(CReadingNavigator& navigator,
                                                   wxCDataInfoListNode* from, int steps) {
    const size_t count = navigator.getWordCount();
    if (count == 0) {
        return nullptr;
    }
    size_t index = navigator.wordsBefore(from);
    wxCDataInfoListNode* at = index < count ? navigator.itemOfWord(index) : nullptr;
    bool stepped = false;
    for (; steps > 0; --steps) {
        size_t next = index + 1;
        while (next < count && navigator.itemOfWord(next) == at) {
            ++next;
        }
        if (next >= count) {
            break;
        }
        index = next;
        at = navigator.itemOfWord(index);
        stepped = true;
    }
    for (; steps < 0 && index > 0; ++steps) {
        at = navigator.itemOfWord(index - 1);
        index = navigator.wordsBefore(at);
        stepped = true;
    }
    return stepped ? at : nullptr;
}
