// The desktop entry offers the reader for every format the importer reads, and for no other.

#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(DesktopEntryTest, ListsTheMimeTypeOfEveryFormatRead) {
    std::ifstream entry(FLIT_DATA_DIR "/flitreader.desktop");
    std::set<std::string> listed;
    for (std::string line; std::getline(entry, line);) {
        if (line.rfind("MimeType=", 0) == 0) {
            std::istringstream types(line.substr(9));
            for (std::string type; std::getline(types, type, ';');) {
                listed.insert(type);
            }
        }
    }
    const std::vector<std::string> read = CDocumentImporter::mimeTypes();
    EXPECT_EQ(std::set<std::string>(read.begin(), read.end()), listed);
}

} // namespace
