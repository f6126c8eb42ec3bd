#include "import/XmlHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// An element whose start tag has count attributes a0="1" ... (one value holding "/>" and quotes).
std::string element(std::size_t count) {
    std::string text = "<_p";
    for (std::size_t k = 0; k < count; ++k) {
        text += " a" + std::to_string(k) + (k == 1 ? "='x\"/>'" : "=\"1\"");
    }
    return text + ">text</_p>";
}

// ASCII as UTF-16 of either byte order, with or without a byte order mark.
std::string utf16(const std::string& ascii, bool big, bool mark) {
    std::string out = mark ? (big ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (const char c : ascii) {
        out += big ? std::string(1, '\0') + c : std::string(1, c) + '\0';
    }
    return out;
}

} // namespace

// Attributes past the bound are cut from each element whatever the encoding, the rest of the
// markup kept byte for byte; markup within the bound is left alone.
TEST(XmlHelpers, AttributesPastTheBoundAreLeftOut) {
    const std::size_t max = xmlHelpers::kMaxAttributes;
    const std::string within = "<?xml version=\"1.0\"?><r>" + element(max) + "a < b</r>";
    const std::string over = "<?xml version=\"1.0\"?><r>" + element(max + 300) + "a < b</r>";
    // The markup, and what is left of it (empty when nothing is cut).
    const std::pair<std::string, std::string> cases[] = {
        {within, ""},
        {over, within},
        {over + element(max + 1), within + element(max)},
        {utf16(over, false, true), utf16(within, false, true)},
        {utf16(over, true, false), utf16(within, true, false)},
        {"<p a b c d", ""},
    };
    for (const auto& [in, left] : cases) {
        SCOPED_TRACE(in.substr(0, 40));
        std::string out = "untouched";
        EXPECT_EQ(!left.empty(), xmlHelpers::dropExcessAttributes(in.data(), in.size(), &out));
        EXPECT_EQ(left.empty() ? "untouched" : left, out);
    }
}
