#ifndef FLIT_TIMING_TIMINGTABLEDATA_H
#define FLIT_TIMING_TIMINGTABLEDATA_H

#include <flitengine/FlitExport.h>

// One row of the timing table: the reading speed at which the row applies and the ten
// percentages that scale the terms of the display-time and delay formulas. The field order is
// binding: it is the order of the eleven-argument constructor, of the settings file's elements
// and of interpolation.
class FLIT_EXPORT CTimingTableData {
public:
    static constexpr int kFieldCount = 11;
    // The eleven fields in their binding order, speed first, so that code that treats every
    // field alike (interpolation, settings files, the tuning page) walks one list.
    static int CTimingTableData::*const kFields[kFieldCount];

    // The percentages the tuning page offers. A row itself holds any int: settings files store
    // values outside this range as they are, and the timing rules stay defined for them.
    static constexpr int kMinAdjPercentage = 0;
    static constexpr int kMaxAdjPercentage = 1500;

    CTimingTableData();
    CTimingTableData(int speedIn, int wdBaseValue, int wdLongerWord, int wdAllCaps, int wdAllNums,
                     int iwdBaseValue, int iwdComma, int iwdPeriod, int iwdNewline, int restDelay,
                     int sustainDelay);
    CTimingTableData(const CTimingTableData& other);
    void operator=(const CTimingTableData& other);

    void zeroInit();

    // One field of a row, read or written whole. The process-wide table is edited on the GUI
    // thread while the presentation thread reads it; every access to a shared row goes through
    // these (relaxed atomic accesses: a plain load or store on this machine).
    static int loadField(const CTimingTableData& row, int CTimingTableData::*field) {
        return __atomic_load_n(&(row.*field), __ATOMIC_RELAXED);
    }
    static void storeField(CTimingTableData& row, int CTimingTableData::*field, int value) {
        __atomic_store_n(&(row.*field), value, __ATOMIC_RELAXED);
    }

    // Makes this row the linear interpolation at speedIn between lower and upper: speed is set
    // to speedIn and each percentage moves from lower's value towards upper's by the same
    // ratio, truncated toward zero. Rows of equal speed have no line between them; the result
    // then takes lower's percentages. Differences are taken in 64 bits, so rows anywhere in the
    // range of int interpolate exactly; a percentage that would leave that range (only when
    // extrapolating far beyond the two rows) is held at its nearest end.
    void interpolateMemberVars(int speedIn, const CTimingTableData* lower,
                               const CTimingTableData* upper);

    int speed;
    int wdBaseValueAdjPercentage;
    int wdLongerWordAdjPercentage;
    int wdAllCapsAdjPercentage;
    int wdAllNumsAdjPercentage;
    int iwdBaseValueAdjPercentage;
    int iwdCommaAdjPercentage;
    int iwdPeriodAdjPercentage;
    int iwdNewlineAdjPercentage;
    int restDelayAdjPercentage;
    int sustainDelayAdjPercentage;
};

#endif
