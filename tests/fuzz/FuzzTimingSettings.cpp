// Fuzz target: the timing settings loader. Each input is written to a real file and loaded into
// the process-wide timing table, as the tools and the reader load a settings file.
//
// Checked on every input: a refused file leaves the table exactly as it was and says why; an
// accepted file had at most six rows and leaves strictly ascending speeds; an accepted table
// stores and loads back unchanged, and timings computed from it run without undefined
// behaviour. The default table is put back after every input.

#include "FuzzSupport.h"

#include "timing/FlitWordCalcs.h"
#include "timing/FlitWordCalcsSerializer.h"
#include "timing/TimingTableDataSerializer.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <climits>

namespace {

// The process-wide table, every field of every row, as text: equal texts, equal tables.
std::string table() {
    std::string text;
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        for (int CTimingTableData::*field : CTimingTableData::kFields) {
            text += " " + std::to_string(row.*field);
        }
        text += " |";
    }
    return text;
}

// The row elements directly under the root of the file, counted apart from the loader.
int countRows(const wxString& path) {
    wxXmlDocument document;
    FLIT_FUZZ_CHECK(document.Load(path) && document.GetRoot(), "an accepted file that is no XML");
    int rows = 0;
    for (const wxXmlNode* child = document.GetRoot()->GetChildren(); child;
         child = child->GetNext()) {
        rows += child->GetType() == wxXML_ELEMENT_NODE &&
                child->GetName() == CTimingTableDataSerializer::kTimingTableDataElementName;
    }
    return rows;
}

// Every calculation at speeds below, on, between and above the rows, with words that earn
// each term; the values do not matter, only that computing them is defined.
void exerciseTable() {
    std::vector<long long> speeds = {1, INT_MAX};
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        speeds.insert(speeds.end(), {row.speed - 1LL, row.speed + 0LL, row.speed + 1LL});
    }
    CFlitWordCalcs calcs;
    for (long long wide : speeds) {
        const int speed = static_cast<int>(std::clamp<long long>(wide, 1, INT_MAX));
        for (const char* word : {"a", "Smith,", "NASA.", "1999", "Dr.", "extraordinary"}) {
            calcs.calcWordDisplayTime(word, speed);
            calcs.calcInterWordDelayTime(word, ' ', speed);
            calcs.calcInterWordDelayTime(word, '\n', speed);
        }
        calcs.calcRestDelay(3, speed);
        calcs.calcSustainDelay(3, speed);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const wxString settingsPath = flitFuzzFolder() + "/settings.xml";
    static const wxString storedPath = flitFuzzFolder() + "/stored.xml";
    flitFuzzWriteFile(settingsPath, reinterpret_cast<const char*>(data), size);
    CFlitWordCalcs::restoreDefaultTimingTable();
    const std::string before = table();

    CFlitWordCalcs calcs;
    CFlitWordCalcsSerializer loader(&calcs, settingsPath.utf8_str());
    const bool accepted = loader.load();
    const std::string after = table();
    if (!accepted) {
        FLIT_FUZZ_CHECK(after == before, "a refused file changed the table to " + after);
        FLIT_FUZZ_CHECK(!loader.getLoadError().empty(), "a refused file without a reason");
    } else {
        const int rows = countRows(settingsPath);
        FLIT_FUZZ_CHECK(rows <= CFlitWordCalcs::kTimingTableRowCount,
                        "accepted a file of " + std::to_string(rows) + " rows");
        for (int i = 1; i < CFlitWordCalcs::kTimingTableRowCount; ++i) {
            FLIT_FUZZ_CHECK(CFlitWordCalcs::kTimingTable[i].speed >
                                CFlitWordCalcs::kTimingTable[i - 1].speed,
                            "speeds not strictly ascending: " + after);
        }
        CFlitWordCalcsSerializer saver(&calcs, storedPath.utf8_str());
        FLIT_FUZZ_CHECK(saver.store(), saver.getStoreError().utf8_string());
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFlitWordCalcsSerializer reloader(&calcs, storedPath.utf8_str());
        FLIT_FUZZ_CHECK(reloader.load(), reloader.getLoadError().utf8_string());
        FLIT_FUZZ_CHECK(table() == after,
                        "stored and loaded back as " + table() + ", not " + after);
        exerciseTable();
    }
    CFlitWordCalcs::restoreDefaultTimingTable();
    return 0;
}
