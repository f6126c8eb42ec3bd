#include <flitengine/timing/FlitWordCalcs.h>

#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>
#include <flitengine/timing/SentenceEnd.h>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <climits>
#include <cstring>

const int CFlitWordCalcs::kAvgWordLength;
CTimingTableData CFlitWordCalcs::kTimingTable[kTimingTableRowCount];

namespace {

// Fills the table as soon as the library is loaded, before any exported operation can run.
// Defined after kTimingTable in this file, so the rows are constructed before they are filled.
const bool kDefaultsLoaded = (CFlitWordCalcs::restoreDefaultTimingTable(), true);

const char kFullStop = '.';

using eMarkKind = CSentenceEnd::eMarkKind;
constexpr eMarkKind eNoMark = CSentenceEnd::eNoMark;
constexpr eMarkKind eCommaMark = CSentenceEnd::eCommaMark;
constexpr eMarkKind ePeriodMark = CSentenceEnd::ePeriodMark;

// The marks that earn an inter-word delay, "<>(),;?!.:"; the first of them in a word decides
// its kind. A switch rather than strpbrk: this runs for every word presented.
eMarkKind markKind(char c) {
    return CSentenceEnd::asciiMarkKindOf(c);
}

const char* findFirstMark(const char* word) {
    for (const char* c = word; *c != '\0'; ++c) {
        if (markKind(*c) != eNoMark) {
            return c;
        }
    }
    return nullptr;
}

// Percentages apply as value * percentage / 100.
constexpr int kPercent = 100;

// Numerators and divisors of the value formulas; S is the speed, L the word's length in bytes.
constexpr int kWordDelayPerByte = 925; // (925 L + 28125) / S
constexpr int kWordDelayConstant = 28125;
constexpr int kLongerWordFactor = 175; // ((L - 6) L 175) / S
constexpr int kAllCapsQuadratic = 250; // ((250 L - 1300) L + 21325) / S
constexpr int kAllCapsLinear = 1300;
constexpr int kAllCapsConstant = 21325;
constexpr int kAllNumsQuadratic = 525; // ((525 L - 2600) L + 42675) / S
constexpr int kAllNumsLinear = 2600;
constexpr int kAllNumsConstant = 42675;
constexpr int kInterWordBase = 720000; // 720000 / (S 100)
constexpr int kCommaDelay = 16500000;  // 16500000 / (S 100)
constexpr int kPeriodDelay = 16500000;
constexpr int kNewlineDelay = 21000000; // 21000000 / (S 100)
constexpr int kSpeedScale = 100;
constexpr int kMaxScaledSpeed = INT_MAX / kSpeedScale;
static_assert(kNewlineDelay < (kMaxScaledSpeed + 1LL) * kSpeedScale &&
                  kCommaDelay < kNewlineDelay && kInterWordBase < kNewlineDelay,
              "faster than kMaxScaledSpeed, every speed value is 0");

// Character classes of the C locale, independent of the locale the host has set.
bool isUpperByte(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isLowerByte(char c) {
    return c >= 'a' && c <= 'z';
}
bool isLetterByte(char c) {
    return isUpperByte(c) || isLowerByte(c);
}
bool isDigitByte(char c) {
    return c >= '0' && c <= '9';
}
bool isPunctByte(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 33 && u <= 47) || (u >= 58 && u <= 64) || (u >= 91 && u <= 96) ||
           (u >= 123 && u <= 126);
}

// Classes of code points when words are read as Unicode text. Combining marks and format
// characters (the joiners, variation selectors) belong to the character before them and
// change nothing.
enum eCharClass {
    eUpperChar,
    eLowerChar,
    eUncasedLetter,
    eDigitChar,
    ePunctChar,
    eJoining,
    eOther
};

eCharClass classOf(UChar32 c) {
    if (c < 0) {
        return eOther;
    }
    switch (u_charType(c)) {
    case U_UPPERCASE_LETTER:
    case U_TITLECASE_LETTER:
        return eUpperChar;
    case U_LOWERCASE_LETTER:
        return eLowerChar;
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
        return eUncasedLetter;
    case U_DECIMAL_DIGIT_NUMBER:
    case U_LETTER_NUMBER:
    case U_OTHER_NUMBER:
        return eDigitChar;
    // The C locale's punctuation holds the ASCII symbols too ("$+<=>^`|~"); so does this,
    // but not the other symbols (emoji, dingbats), which are words in their own right.
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_CONNECTOR_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_MATH_SYMBOL:
    case U_CURRENCY_SYMBOL:
    case U_MODIFIER_SYMBOL:
        return ePunctChar;
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_FORMAT_CHAR:
        return eJoining;
    default:
        return eOther;
    }
}

// Walks the code points of a word read as UTF-8 (a byte that begins no valid sequence is one
// code point of no class); visit(c, offsetAfter) returns false to stop.
template <typename Visit> void forEachCodePoint(const char* word, Visit visit) {
    const int32_t size = static_cast<int32_t>(std::strlen(word));
    for (int32_t at = 0; at < size;) {
        UChar32 c = 0;
        U8_NEXT(word, at, size, c);
        if (!visit(c, at)) {
            return;
        }
    }
}

bool isAllCapsInCharacters(const char* word, bool afterPunctuated) {
    bool first = true;
    bool capitalised = false;
    bool hasUpper = false;
    bool hasLower = false;
    forEachCodePoint(word, [&](UChar32 c, int32_t) {
        const eCharClass cls = classOf(c);
        capitalised = capitalised || (first && cls == eUpperChar);
        first = false;
        hasUpper = hasUpper || cls == eUpperChar;
        hasLower = cls == eLowerChar;
        return !hasLower;
    });
    // Only cased letters count: a word of a script without case is never all capitals.
    return (capitalised && !afterPunctuated) || (hasUpper && !hasLower);
}

bool isAllNumsInCharacters(const char* word) {
    bool all = true;
    forEachCodePoint(word, [&](UChar32 c, int32_t) {
        const eCharClass cls = classOf(c);
        all = cls == eDigitChar || cls == ePunctChar || cls == eJoining;
        return all;
    });
    return all;
}

// The mark that counts for the inter-word delay of a word of length bytes: the first of the
// marks, unless it is the full stop of an abbreviation that ends the word.
eMarkKind markInBytes(const char* word, char separator, int length) {
    const char* mark = findFirstMark(word);
    if (mark == nullptr) {
        return eNoMark;
    }
    if (*mark == kFullStop) {
        const char next = mark[1] != COvriChars::kNullByte ? mark[1] : separator;
        const bool stopEndsWord =
            isPunctByte(next) || next == COvriChars::kSpaceChar || next == COvriChars::kNullByte;
        if (stopEndsWord && CSentenceEnd::isAbbreviation(word, static_cast<std::size_t>(length))) {
            return eNoMark;
        }
    }
    return markKind(*mark);
}

// The same for a word of length characters: the marks of every script, and a stop that any
// punctuation follows ends the word ("Dr.»").
eMarkKind markInCharacters(const char* word, char separator, int length) {
    eMarkKind kind = eNoMark;
    bool stop = false;
    bool stopEndsWord = false;
    forEachCodePoint(word, [&](UChar32 c, int32_t) {
        if (stop) {
            stopEndsWord = classOf(c) == ePunctChar;
            return false;
        }
        kind = c < 0 ? eNoMark : CSentenceEnd::markKindOf(static_cast<char32_t>(c));
        stop = c == kFullStop;
        stopEndsWord = stop && (isPunctByte(separator) || separator == COvriChars::kSpaceChar ||
                                separator == COvriChars::kNullByte);
        // Past a full stop, one more code point says whether the stop ends the word.
        return kind == eNoMark || stop;
    });
    if (stopEndsWord &&
        CSentenceEnd::isAbbreviationInCharacters(word, static_cast<std::size_t>(length))) {
        return eNoMark;
    }
    return kind;
}

// Words longer than this many bytes are timed as if they had this length: no formula then
// leaves the range of long long, and such a word's times are far past the range of int anyway.
constexpr long long kMaxTimedLength = 1 << 20;

// The value formulas run in long long over a length of at most kMaxTimedLength, so that no
// word overflows them; lengths below zero are taken as zero.
long long timedLength(int length) {
    return length < 0 ? 0 : length > kMaxTimedLength ? kMaxTimedLength : length;
}

// numerator / speed for a positive speed, truncated toward zero. A numerator that fits an int is
// divided in 32 bits: the same quotient, at a fraction of the cost of a 64-bit division, which
// would be most of a word's time.
long long quotient(long long numerator, int speed) {
    return numerator >= INT_MIN && numerator <= INT_MAX ? static_cast<int>(numerator) / speed
                                                        : numerator / speed;
}

// Results are whole milliseconds in an int; a result beyond its range (a word of many thousands
// of bytes, or a huge count of units) is held at the nearest end of the range.
int clampToInt(long long value) {
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// a * b * c / 100, truncated toward zero as in int arithmetic, in exact 64-bit arithmetic. A
// product beyond the range of long long is held at the end of int's range it lies towards; the
// double estimate decides that, and where it says the product fits, it does.
long long percentOfProduct(long long a, long long b, long long c) {
    constexpr double kLimit = 9.0e18;
    const double estimate =
        static_cast<double>(a) * static_cast<double>(b) * static_cast<double>(c);
    if (estimate >= kLimit || estimate <= -kLimit) {
        return estimate > 0 ? INT_MAX : INT_MIN;
    }
    return a * b * c / kPercent;
}

long long scaled(int value, int percentage) {
    return percentOfProduct(value, percentage, 1);
}

// Calls visit with each field of a row, in field order; known here at compile time, so that
// reading a whole row unrolls into plain loads.
template <typename Visit> void forEachField(Visit visit) {
    using T = CTimingTableData;
    static_assert(T::kFieldCount == 11, "every field visited");
    visit(&T::speed);
    visit(&T::wdBaseValueAdjPercentage);
    visit(&T::wdLongerWordAdjPercentage);
    visit(&T::wdAllCapsAdjPercentage);
    visit(&T::wdAllNumsAdjPercentage);
    visit(&T::iwdBaseValueAdjPercentage);
    visit(&T::iwdCommaAdjPercentage);
    visit(&T::iwdPeriodAdjPercentage);
    visit(&T::iwdNewlineAdjPercentage);
    visit(&T::restDelayAdjPercentage);
    visit(&T::sustainDelayAdjPercentage);
}

// Whether two remembered copies still equal the table's rows: every field read and compared,
// without a branch per field.
bool sameRows(const CTimingTableData& copyA, const CTimingTableData& sharedA,
              const CTimingTableData& copyB, const CTimingTableData& sharedB) {
    int differences = 0;
    forEachField([&](int CTimingTableData::*field) {
        differences |= (copyA.*field ^ CTimingTableData::loadField(sharedA, field)) |
                       (copyB.*field ^ CTimingTableData::loadField(sharedB, field));
    });
    return differences == 0;
}

// Copies a row of the shared table, each field read once.
void copyRow(CTimingTableData& copy, const CTimingTableData& shared) {
    forEachField([&](int CTimingTableData::*field) {
        copy.*field = CTimingTableData::loadField(shared, field);
    });
}

} // namespace

void CFlitWordCalcs::restoreDefaultTimingTable() {
    kTimingTable[0] = CTimingTableData(25, 140, 100, 100, 100, 140, 100, 100, 100, 100, 100);
    kTimingTable[1] = CTimingTableData(100, 100, 88, 100, 120, 61, 70, 77, 110, 100, 100);
    kTimingTable[2] = CTimingTableData(250, 110, 112, 88, 100, 35, 43, 86, 120, 100, 100);
    kTimingTable[3] = CTimingTableData(400, 105, 110, 88, 100, 35, 43, 74, 115, 100, 100);
    kTimingTable[4] = CTimingTableData(550, 120, 115, 110, 100, 35, 52, 77, 125, 100, 100);
    kTimingTable[5] = CTimingTableData(950, 125, 128, 110, 100, 38, 49, 83, 135, 100, 100);
}

CFlitWordCalcs::CFlitWordCalcs() {
    zeroInit();
}

CFlitWordCalcs::CFlitWordCalcs(const CFlitWordCalcs& other) {
    *this = other;
}

CFlitWordCalcs& CFlitWordCalcs::operator=(const CFlitWordCalcs& other) {
    prevWordPunctuated.store(other.prevWordPunctuated.load(std::memory_order_relaxed),
                             std::memory_order_relaxed);
    setLengthUnit(other.getLengthUnit());
    return *this;
}

void CFlitWordCalcs::zeroInit() {
    prevWordPunctuated.store(false, std::memory_order_relaxed);
}

bool CFlitWordCalcs::getTimingData(CTimingTableData* out, int speed) {
    *out = rememberedFor(speed).row;
    return true;
}

const CFlitWordCalcs::SRemembered& CFlitWordCalcs::rememberedFor(int speed) {
    // The first row whose speed is not below the requested one: that row itself when it is
    // the speed or the first row, else the interpolation between it and the row before.
    // Above the last row there is nothing to interpolate towards: the last row holds.
    int upper = 0;
    int upperSpeed = 0;
    for (; upper < kTimingTableRowCount; ++upper) {
        upperSpeed = CTimingTableData::loadField(kTimingTable[upper], &CTimingTableData::speed);
        if (upperSpeed >= speed) {
            break;
        }
    }
    int lower = upper - 1;
    if (upper == kTimingTableRowCount) {
        lower = upper = kTimingTableRowCount - 1;
    } else if (upper == 0 || upperSpeed == speed) {
        lower = upper;
    }
    const SRemembered& r = remembered;
    if (r.filled && r.speed == speed && r.lowerIndex == lower && r.upperIndex == upper &&
        sameRows(r.lower, kTimingTable[lower], r.upper, kTimingTable[upper])) {
        return r;
    }
    return remember(speed, lower, upper);
}

const CFlitWordCalcs::SRemembered& CFlitWordCalcs::remember(int speed, int lower, int upper) {
    SRemembered& r = remembered;
    r.filled = true;
    r.speed = speed;
    r.lowerIndex = lower;
    r.upperIndex = upper;
    copyRow(r.lower, kTimingTable[lower]);
    if (lower == upper) {
        copyRow(r.upper, r.lower);
        copyRow(r.row, r.lower);
    } else {
        copyRow(r.upper, kTimingTable[upper]);
        // The same operations on the same values as interpolating between the table's rows.
        r.row.interpolateMemberVars(speed, &r.lower, &r.upper);
    }
    r.interWordBase = scaled(calcInterWordBaseValue(speed), r.row.iwdBaseValueAdjPercentage);
    r.commaDelay = scaled(calcCommaDelayValue(speed), r.row.iwdCommaAdjPercentage);
    r.periodDelay = scaled(calcPeriodDelayValue(speed), r.row.iwdPeriodAdjPercentage);
    r.newlineDelay = scaled(calcNewlineDelayValue(speed), r.row.iwdNewlineAdjPercentage);
    return r;
}

int CFlitWordCalcs::calcWordDelayValue(int speed, int length) {
    const long long l = timedLength(length);
    return speed > 0 ? clampToInt(quotient(kWordDelayPerByte * l + kWordDelayConstant, speed)) : 0;
}

int CFlitWordCalcs::calcLongerWordValue(int speed, int length) {
    const long long l = timedLength(length);
    return speed > 0 ? clampToInt(quotient((l - kAvgWordLength) * l * kLongerWordFactor, speed))
                     : 0;
}

int CFlitWordCalcs::calcAllCapsDelayValue(int speed, int length) {
    const long long l = timedLength(length);
    return speed > 0 ? clampToInt(quotient(
                           (kAllCapsQuadratic * l - kAllCapsLinear) * l + kAllCapsConstant, speed))
                     : 0;
}

int CFlitWordCalcs::calcAllNumsDelayValue(int speed, int length) {
    const long long l = timedLength(length);
    return speed > 0 ? clampToInt(quotient(
                           (kAllNumsQuadratic * l - kAllNumsLinear) * l + kAllNumsConstant, speed))
                     : 0;
}

// Above kMaxScaledSpeed the scaled speed would overflow an int, and the quotient is 0 anyway:
// every numerator is below the divisor there.
int CFlitWordCalcs::calcInterWordBaseValue(int speed) {
    return speed > 0 && speed <= kMaxScaledSpeed ? kInterWordBase / (speed * kSpeedScale) : 0;
}

int CFlitWordCalcs::calcCommaDelayValue(int speed) {
    return speed > 0 && speed <= kMaxScaledSpeed ? kCommaDelay / (speed * kSpeedScale) : 0;
}

int CFlitWordCalcs::calcPeriodDelayValue(int speed) {
    return speed > 0 && speed <= kMaxScaledSpeed ? kPeriodDelay / (speed * kSpeedScale) : 0;
}

int CFlitWordCalcs::calcNewlineDelayValue(int speed) {
    return speed > 0 && speed <= kMaxScaledSpeed ? kNewlineDelay / (speed * kSpeedScale) : 0;
}

bool CFlitWordCalcs::isAllCaps(const char* word) {
    if (word == nullptr) {
        return false;
    }
    if (getLengthUnit() == eLengthCharacters) {
        return isAllCapsInCharacters(word, prevWordPunctuated.load(std::memory_order_relaxed));
    }
    // A capitalised word that does not follow a punctuated word is most likely a name.
    if (isUpperByte(word[0]) && !prevWordPunctuated.load(std::memory_order_relaxed)) {
        return true;
    }
    bool hasLetter = false;
    for (const char* c = word; *c != '\0'; ++c) {
        if (isLowerByte(*c)) {
            return false;
        }
        hasLetter = hasLetter || isLetterByte(*c);
    }
    return hasLetter;
}

bool CFlitWordCalcs::isAllNums(const char* word) {
    if (word == nullptr) {
        return true;
    }
    if (getLengthUnit() == eLengthCharacters) {
        return isAllNumsInCharacters(word);
    }
    for (const char* c = word; *c != '\0'; ++c) {
        if (!isDigitByte(*c) && !isPunctByte(*c)) {
            return false;
        }
    }
    return true;
}

int CFlitWordCalcs::lengthOf(const char* word) const {
    const std::size_t bytes = std::strlen(word);
    std::size_t length = bytes;
    // Bytes that are not UTF-8 have no characters to count: they count as bytes.
    if (getLengthUnit() == eLengthCharacters &&
        CUtf8::findInvalid(word, bytes) == CUtf8::kAllValid) {
        length = CUtf8::countClusters(word, bytes);
    }
    return static_cast<int>(length < static_cast<std::size_t>(kMaxTimedLength) ? length
                                                                               : kMaxTimedLength);
}

int CFlitWordCalcs::calcWordDisplayTime(const char* word, int speed) {
    if (speed <= 0) {
        return 0;
    }
    if (word == nullptr) {
        word = "";
    }
    const CTimingTableData& row = rememberedFor(speed).row;
    const int length = lengthOf(word);

    const long long base = scaled(calcWordDelayValue(speed, length), row.wdBaseValueAdjPercentage);
    const bool caps = isAllCaps(word);
    const bool nums = !caps && isAllNums(word);

    long long extra = 0;
    if (length > kAvgWordLength) {
        extra = scaled(calcLongerWordValue(speed, length), row.wdLongerWordAdjPercentage);
    }
    if (caps) {
        extra += scaled(calcAllCapsDelayValue(speed, length), row.wdAllCapsAdjPercentage);
    }
    if (nums) {
        extra += scaled(calcAllNumsDelayValue(speed, length), row.wdAllNumsAdjPercentage);
    }
    return clampToInt(base + extra);
}

int CFlitWordCalcs::calcInterWordDelayTime(const char* word, char separator, int speed) {
    if (speed <= 0) {
        return 0;
    }
    if (word == nullptr) {
        word = "";
    }
    // The terms that depend on the speed alone were computed with the row.
    const SRemembered& terms = rememberedFor(speed);
    const long long base = terms.interWordBase;
    const eMarkKind mark = markOf(word, separator);

    long long delay = 0;
    if (mark != eNoMark) {
        delay = mark == eCommaMark ? terms.commaDelay : terms.periodDelay;
    }
    prevWordPunctuated.store(mark != eNoMark, std::memory_order_relaxed);

    // A line break outweighs any mark: its delay replaces the mark's.
    if (separator == COvriChars::kNewlineChar) {
        delay = terms.newlineDelay;
    }
    return clampToInt(delay + base);
}

CSentenceEnd::eMarkKind CFlitWordCalcs::markOf(const char* word, char separator) const {
    const int length = lengthOf(word);
    return getLengthUnit() == eLengthCharacters ? markInCharacters(word, separator, length)
                                                : markInBytes(word, separator, length);
}

int CFlitWordCalcs::calcRestDelay(int count, int speed) {
    return calcCommaUnitsDelay(count, speed, &CTimingTableData::restDelayAdjPercentage);
}

int CFlitWordCalcs::calcSustainDelay(int count, int speed) {
    return calcCommaUnitsDelay(count, speed, &CTimingTableData::sustainDelayAdjPercentage);
}

int CFlitWordCalcs::calcCommaUnitsDelay(int count, int speed, int CTimingTableData::*percentage) {
    if (speed <= 0) {
        return 0;
    }
    const SRemembered& terms = rememberedFor(speed);
    const int unit = clampToInt(terms.commaDelay);
    return clampToInt(percentOfProduct(unit, terms.row.*percentage, count));
}
