#include <flitengine/timing/TimingTableData.h>

#include <algorithm>
#include <climits>

int CTimingTableData::*const CTimingTableData::kFields[kFieldCount] = {
    &CTimingTableData::speed,
    &CTimingTableData::wdBaseValueAdjPercentage,
    &CTimingTableData::wdLongerWordAdjPercentage,
    &CTimingTableData::wdAllCapsAdjPercentage,
    &CTimingTableData::wdAllNumsAdjPercentage,
    &CTimingTableData::iwdBaseValueAdjPercentage,
    &CTimingTableData::iwdCommaAdjPercentage,
    &CTimingTableData::iwdPeriodAdjPercentage,
    &CTimingTableData::iwdNewlineAdjPercentage,
    &CTimingTableData::restDelayAdjPercentage,
    &CTimingTableData::sustainDelayAdjPercentage,
};

CTimingTableData::CTimingTableData() {
    zeroInit();
}

CTimingTableData::CTimingTableData(int speedIn, int wdBaseValue, int wdLongerWord, int wdAllCaps,
                                   int wdAllNums, int iwdBaseValue, int iwdComma, int iwdPeriod,
                                   int iwdNewline, int restDelay, int sustainDelay)
    : speed(speedIn), wdBaseValueAdjPercentage(wdBaseValue),
      wdLongerWordAdjPercentage(wdLongerWord), wdAllCapsAdjPercentage(wdAllCaps),
      wdAllNumsAdjPercentage(wdAllNums), iwdBaseValueAdjPercentage(iwdBaseValue),
      iwdCommaAdjPercentage(iwdComma), iwdPeriodAdjPercentage(iwdPeriod),
      iwdNewlineAdjPercentage(iwdNewline), restDelayAdjPercentage(restDelay),
      sustainDelayAdjPercentage(sustainDelay) {}

CTimingTableData::CTimingTableData(const CTimingTableData& other) {
    *this = other;
}

void CTimingTableData::operator=(const CTimingTableData& other) {
    for (int CTimingTableData::*field : kFields) {
        storeField(*this, field, loadField(other, field));
    }
}

void CTimingTableData::zeroInit() {
    for (int CTimingTableData::*field : kFields) {
        storeField(*this, field, 0);
    }
}

void CTimingTableData::interpolateMemberVars(int speedIn, const CTimingTableData* lower,
                                             const CTimingTableData* upper) {
    speed = speedIn;
    const long long lowerSpeed = loadField(*lower, &CTimingTableData::speed);
    const long long span = loadField(*upper, &CTimingTableData::speed) - lowerSpeed;
    // Plain double arithmetic (53-bit significand): the ratio is rounded to double once, each
    // product is rounded to double and then truncated toward zero. Wider intermediates would
    // give different rows. The 64-bit differences convert to double exactly.
    const double ratio =
        span != 0 ? static_cast<double>(speedIn - lowerSpeed) / static_cast<double>(span) : 0.0;
    // A step this far out leaves int's range from any starting value; holding it there keeps
    // the conversion to an integer defined.
    constexpr double kFarOutside = 1e10;
    for (int i = 1; i < kFieldCount; ++i) {
        int CTimingTableData::*field = kFields[i];
        const long long from = loadField(*lower, field);
        const double step = static_cast<double>(loadField(*upper, field) - from) * ratio;
        const long long value =
            from + static_cast<long long>(std::clamp(step, -kFarOutside, kFarOutside));
        this->*field = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    }
}
