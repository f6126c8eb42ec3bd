#ifndef FLIT_OUTSIDE_STYLEINFO_H
#define FLIT_OUTSIDE_STYLEINFO_H

#include <flitengine/FlitExport.h>

#include <cstdint>

// Text styles of a word, one bit each.
enum eStyleInfoType {
    eStyleBold = 0x1,
    eStyleItalic = 0x2,
    eStyleHighlight = 0x4,
    eStyleUnderline = 0x8,
};

// The set of styles a word is shown in. Every word carries one, so it is kept in 16 bits: room
// for the four styles and more, and small enough to sit in the padding of a word's item.
class FLIT_EXPORT CStyleInfo {
public:
    CStyleInfo() { zeroInit(); }
    explicit CStyleInfo(unsigned int initialStyles)
        : styles(static_cast<std::uint16_t>(initialStyles)) {}
    ~CStyleInfo() = default;
    CStyleInfo(const CStyleInfo&) = default;
    CStyleInfo& operator=(const CStyleInfo&) = default;

    // No style on.
    void zeroInit() { styles = 0; }

    bool isOn(eStyleInfoType style) const { return (styles & style) != 0; }
    void setOn(eStyleInfoType style, bool on) {
        styles = static_cast<std::uint16_t>(on ? (styles | style) : (styles & ~style));
    }

    // The style bits in which this set and other differ.
    unsigned int getChangedStylesMask(const CStyleInfo& other) const {
        return static_cast<unsigned int>(styles ^ other.styles);
    }

    unsigned int getStyles() const { return styles; }
    bool operator==(const CStyleInfo& other) const { return styles == other.styles; }

private:
    std::uint16_t styles;
};

#endif
