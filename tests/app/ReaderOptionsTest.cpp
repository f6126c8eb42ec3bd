// The reader's command line: the documented options accepted, bad ones refused.

#include "ReaderOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The reader's command line parsed, as the program's own.
int parse(std::vector<const char*> args, SReaderOptions* options = nullptr) {
    SReaderOptions ignored;
    args.insert(args.begin(), "flitreader");
    args.push_back(nullptr);
    return parseReaderOptions(static_cast<int>(args.size()) - 1, const_cast<char**>(args.data()),
                              options != nullptr ? options : &ignored);
}

TEST(ReaderOptionsTest, AcceptsTheDocumentedOptionsAndRefusesBadOnes) {
    const char* const sample = FLIT_SAMPLES_DIR "/harbour.txt";
    SReaderOptions options;
    ASSERT_EQ(0, parse({"--wpm", "400", "--word-length", "9", "--autostart", "--auto-continue",
                        "--exit-when-done", "--record", "r.tsv", "--screenshot", "s.png", sample},
                       &options));
    EXPECT_EQ(400, options.wpm);
    EXPECT_EQ(9, options.wordLength);
    EXPECT_TRUE(options.autostart && options.autoContinue && options.exitWhenDone);
    EXPECT_EQ("r.tsv s.png", options.recordPath + " " + options.screenshotPath);
    EXPECT_EQ(sample, options.documentPath);
    // clang-format off
    const std::vector<const char*> refused[] = {{"--wpm", "99"}, {"--wpm", "951"},
        {"--wpm", "fast"}, {"--word-length", "1"}, {"--word-length", "101"}, {"--bogus"},
        {"/no/such/file.txt"}, {"/"}, {"/dev/null"},
        {"--autostart"}};
    // clang-format on
    for (const std::vector<const char*>& bad : refused) {
        EXPECT_EQ(2, parse(bad)) << bad[0];
    }
    EXPECT_EQ(-1, parse({"--help"}));
    // "-" reads standard input.
    ASSERT_EQ(0, parse({"--keep-line-breaks", "-"}, &options));
    EXPECT_TRUE(options.keepLineBreaks);
    EXPECT_EQ("-", options.documentPath);
}

} // namespace
