#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>
#include <wx/string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string sampleBytes(const char* name) {
    std::ifstream in(std::string(FLIT_SAMPLES_DIR "/") + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The words from the item at start on, one space between them.
std::string wordsFrom(CDataManager& doc, std::size_t start) {
    std::string out;
    std::size_t index = 0;
    for (auto* node = doc.getFirstNode(); node != nullptr; node = node->GetNext(), ++index) {
        auto* word = dynamic_cast<CDITWord*>(node->GetData());
        if (word != nullptr && index >= start) {
            out += (out.empty() ? "" : " ") + std::string(word->getWord());
        }
    }
    return out;
}

// The table of contents as "title/level@first word" entries.
std::string contents(CDataManager& doc) {
    std::string out;
    for (const CDataManager::SContentsEntry& entry : doc.getContents()) {
        const std::string words = wordsFrom(doc, entry.itemIndex);
        out += entry.title.utf8_string() + "/" + std::to_string(entry.level) + "@" +
               words.substr(0, words.find(' ')) + " ";
    }
    return out;
}

// The offset of record 0 in a Palm database, from the first entry of its record list.
std::size_t recordZero(const std::string& bytes) {
    std::size_t offset = 0;
    for (std::size_t i = 78; i < 82; ++i) {
        offset = offset << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return offset;
}

// The sample book's Kindle editions read its words in order, from their first contents entry
// on as its EPUB edition reads them (the AZW3 then adds the colophon), with its title and contents;
// damaged ones are refused.
TEST(MobiImporter, ReadsTheSampleBookAndRefusesDamagedOrLockedOnes) {
    struct SCase {
        const char* file;
        const char* damage;
        const char* want;
    };
    const SCase cases[] = {
        {"harbour-book.mobi", "",
         "Dawn at the Quay/0@1. The Fish Market/0@2. "
         "The Lighthouse Walk/0@3. The keeper's log/0@The "},
        {"harbour-book-ncx.mobi", "",
         "Dawn at the Quay/0@1. The Fish Market/0@2. "
         "The Lighthouse Walk/0@3. The keeper's log/0@The "},
        {"harbour-book.azw3", "",
         "Dawn at the Quay/0@1. The Fish Market/0@2. "
         "The Lighthouse Walk/0@3. The keeper's log/1@The "},
        {"harbour-book.mobi", "drm", "the book is encrypted (DRM) and cannot be read"},
        {"harbour-book.azw3", "drm", "the book is encrypted (DRM) and cannot be read"},
        {"harbour-book.mobi", "cut", "the book is truncated: record 3 of 3 starts past its end*"},
        {"harbour-book.azw3", "cut", "the book is truncated: record * starts past its end*"},
        {"harbour-book.mobi", "magic", "it is not a Kindle book: its header is*"},
        // A start that goes back: libmobi would size the record before it as about 4 GiB.
        {"harbour-book.mobi", "order", "the book is damaged: record 2 of 3 starts before the one*"},
    };
    CDocumentImporter importer;
    const auto epub = importer.importFile(FLIT_SAMPLES_DIR "/harbour-book.epub");
    ASSERT_TRUE(epub);
    for (const SCase& test : cases) {
        SCOPED_TRACE(std::string(test.file) + " " + test.damage);
        std::string bytes = sampleBytes(test.file);
        ASSERT_GT(bytes.size(), 1000u);
        const std::string damage = test.damage;
        if (damage == "drm") {
            bytes[recordZero(bytes) + 13] = 2;
        } else if (damage == "cut") {
            bytes.resize(bytes.size() * 2 / 5);
        } else if (damage == "order") {
            bytes[88] = bytes[89] = 0;
        } else if (damage == "magic") {
            bytes.replace(recordZero(bytes) + 16, 4, "MOBY");
        }
        // The content says the format, whatever the name.
        auto doc = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eAutomatic,
                                        "book.txt", "");
        if (!doc) {
            EXPECT_TRUE(importer.getError().Matches(test.want)) << importer.getError();
            continue;
        }
        EXPECT_EQ(CDocumentImporter::eMobi, importer.getFormat());
        EXPECT_EQ(test.want, contents(*doc));
        EXPECT_EQ(epub->getTitle(), doc->getTitle());
        EXPECT_EQ("en", doc->getLanguage().substr(0, 2));
        EXPECT_EQ(0u,
                  wordsFrom(*doc, doc->getContents().at(0).itemIndex).find(wordsFrom(*epub, 0)));
    }
}

// The progress handler hears of each part (a MOBI's pieces between page breaks) before it is
// read, and saying no abandons the book there.
TEST(MobiImporter, TellsItsProgressByPartAndStopsWhenAsked) {
    const std::string bytes = sampleBytes("harbour-book.mobi");
    for (const std::size_t stopAt : {std::size_t(2), std::size_t(99)}) {
        std::string told;
        CDocumentImporter importer;
        importer.setProgress([&](std::size_t done, std::size_t total) {
            told += std::to_string(done) + "/" + std::to_string(total) + " ";
            return done < stopAt;
        });
        const bool read = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eMobi,
                                               "", "") != nullptr;
        EXPECT_EQ(stopAt == 99, read);
        EXPECT_EQ(read ? "0/4 1/4 2/4 3/4 " : "0/4 1/4 2/4 ", told);
    }
}

} // namespace
