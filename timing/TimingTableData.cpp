#include "timing/TimingTableData.h"

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
        this->*field = other.*field;
    }
}

void CTimingTableData::zeroInit() {
    for (int CTimingTableData::*field : kFields) {
        this->*field = 0;
    }
}

void CTimingTableData::interpolateMemberVars(int speedIn, const CTimingTableData* lower,
                                             const CTimingTableData* upper) {
    speed = speedIn;
    const int span = upper->speed - lower->speed;
    // Plain double arithmetic (53-bit significand): the ratio is rounded to double once, each
    // product is rounded to double and then truncated toward zero. Wider intermediates would
    // give different rows.
    const double ratio = span != 0 ? static_cast<double>(speedIn - lower->speed) / span : 0.0;
    for (int i = 1; i < kFieldCount; ++i) {
        int CTimingTableData::*field = kFields[i];
        const double step = static_cast<double>(upper->*field - lower->*field) * ratio;
        this->*field = lower->*field + static_cast<int>(step);
    }
}
