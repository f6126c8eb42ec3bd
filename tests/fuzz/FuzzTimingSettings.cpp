// Fuzz target: the timing settings loader. Each input is written to a real file and loaded into
// the process-wide timing table, as the tools and the reader load a settings file.
//
// Checked on every input: a refused file leaves the table exactly as it was and says why; an
// accepted file had at most six rows and leaves strictly ascending speeds; an accepted table
// stores and loads back unchanged, and timings computed from it run without undefined
// behaviour. The default table is put back after every input (a refused one leaves it as it
// was).

#include "FuzzSupport.h"

#include <flitengine/timing/FlitWordCalcs.h>
#include <flitengine/timing/FlitWordCalcsSerializer.h>
#include <flitengine/timing/TimingTableDataSerializer.h>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const wxString settingsPath = flitFuzzFolder() + "/settings.xml";
    flitFuzzWriteFile(settingsPath, reinterpret_cast<const char*>(data), size);
    const std::string before = table();

    CFlitWordCalcs calcs;
    CFlitWordCalcsSerializer loader(&calcs, settingsPath.utf8_str());
    const bool accepted = loader.load();
    const std::string after = table();
    if (!accepted) {
        FLIT_FUZZ_CHECK(after == before && !loader.getLoadError().empty(),
                        "a refused file without a reason, or changing the table to " + after);
        return 0;
    }
    // The row elements directly under the root of the file, counted apart from the loader.
    wxXmlDocument document;
    FLIT_FUZZ_CHECK(document.Load(settingsPath) && document.GetRoot(), "an accepted file, no XML");
    int rows = 0;
    for (const wxXmlNode* row = document.GetRoot()->GetChildren(); row; row = row->GetNext()) {
        rows += row->GetType() == wxXML_ELEMENT_NODE &&
                row->GetName() == CTimingTableDataSerializer::kTimingTableDataElementName;
    }
    FLIT_FUZZ_CHECK(rows <= CFlitWordCalcs::kTimingTableRowCount,
                    "accepted a file of " + std::to_string(rows) + " rows");
    // Every calculation below runs at speeds below, on, between and above the rows.
    const auto& loaded = CFlitWordCalcs::kTimingTable;
    std::vector<long long> speeds = {1, INT_MAX};
    for (int i = 0; i < CFlitWordCalcs::kTimingTableRowCount; ++i) {
        const long long speed = loaded[i].speed;
        FLIT_FUZZ_CHECK(i == 0 || speed > loaded[i - 1].speed, "speeds not ascending: " + after);
        speeds.insert(speeds.end(), {speed - 1, speed, speed + 1});
    }
    CFlitWordCalcsSerializer stored(&calcs, (flitFuzzFolder() + "/stored.xml").utf8_str());
    FLIT_FUZZ_CHECK(stored.store(), stored.getStoreError().utf8_string());
    CFlitWordCalcs::restoreDefaultTimingTable();
    FLIT_FUZZ_CHECK(stored.load(), stored.getLoadError().utf8_string());
    FLIT_FUZZ_CHECK(table() == after, "stored and loaded back as " + table() + ", not " + after);
    // With words that earn each term; the values do not matter, only that computing them is
    // defined.
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
    CFlitWordCalcs::restoreDefaultTimingTable();
    return 0;
}
