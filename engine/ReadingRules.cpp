#include <flitengine/engine/ReadingRules.h>

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>
#include <flitengine/timing/FlitWordCalcs.h>

int CStartupRamp::nextWord(int target) {
    if (!running) {
        return target;
    }
    const int speed = static_cast<int>(current);
    current = raisedSpeed(current, kStep);
    running = !endedAt(static_cast<int>(current), target);
    return speed;
}

int CStartupRamp::steadySpeed(int target) const {
    if (!running) {
        return target;
    }
    unsigned int top = current;
    for (unsigned int next = raisedSpeed(top, kStep); next != top; next = raisedSpeed(top, kStep)) {
        top = next;
    }
    // A ramp that cannot pass the target holds for the rest of the reading.
    return static_cast<int>(top) <= target ? static_cast<int>(top) : target;
}

bool CStartupRamp::isSteady(int target) const {
    return !running || static_cast<int>(current) == steadySpeed(target);
}

unsigned int CStartupRamp::raisedSpeed(unsigned int speed, unsigned int amount) {
    const unsigned int fastest = CFlitManager::kMaxWpmSpeed;
    if (amount <= fastest && speed <= fastest - amount) {
        return speed + amount;
    }
    return speed;
}

SWordShape CReadingRules::shapeOf(const char* word, std::size_t bytes, unsigned int displayLength,
                                  const CHyphenation* hyphenation, eChunkCut cut) {
    const std::size_t characters = CUtf8::countClusters(word, bytes);
    if (!limits(displayLength) || characters <= displayLength) {
        return {bytes, characters, 1};
    }
    // Every chunk but the last takes displayLength - 1 characters.
    const std::size_t chunks =
        hyphenation != nullptr || cut != eCutAtLength
            ? CFlashedWords::chunksOf(std::string(word, bytes), displayLength, hyphenation, cut)
                  .size()
            : (characters - 1 + displayLength - 2) / (displayLength - 1);
    return {timedBytes(word, bytes, displayLength), displayLength, chunks};
}

std::size_t CReadingRules::timedBytes(const char* word, std::size_t bytes,
                                      unsigned int displayLength) {
    return limits(displayLength) ? CUtf8::clusterPrefixBytes(word, bytes, displayLength) : bytes;
}

SWordTiming CReadingRules::timingOf(CFlitWordCalcs& calcs, const std::string& word, char separator,
                                    int speed, unsigned int displayLength) {
    const std::size_t bytes = timedBytes(word.data(), word.size(), displayLength);
    const std::string shortened = bytes < word.size() ? word.substr(0, bytes) : std::string();
    const char* timed = bytes < word.size() ? shortened.c_str() : word.c_str();
    const int display = calcs.calcWordDisplayTime(timed, speed);
    return {display, calcs.calcInterWordDelayTime(timed, separator, speed)};
}

wxCDataInfoListNode* CReadingRules::separatorNodeAfter(const CDataManager& document,
                                                       const wxCDataInfoListNode* node) {
    wxCDataInfoListNode* next = nullptr;
    const eDataInfoType wordSpaceOrNewline =
        static_cast<eDataInfoType>(eDITWord | eDITSpace | eDITNewline);
    if (node->GetNext() == nullptr ||
        !document.getNodeOfDataInfoTypeCommon(CDataManager::eSearchForward, wordSpaceOrNewline,
                                              node->GetNext(), &next)) {
        return nullptr;
    }
    return next;
}

char CReadingRules::separatorOf(const wxCDataInfoListNode* next) {
    if (next == nullptr) {
        return COvriChars::kNullByte;
    }
    switch (next->GetData()->getDataInfoType()) {
    case eDITSpace:
        return COvriChars::kSpaceChar;
    case eDITNewline:
        return COvriChars::kNewlineChar;
    default:
        return COvriChars::kNullByte;
    }
}

char CReadingRules::separatorAfter(const CDataManager& document, const wxCDataInfoListNode* node) {
    return separatorOf(separatorNodeAfter(document, node));
}
