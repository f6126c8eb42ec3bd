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
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<int> tableFields() {
    std::vector<int> fields;
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        for (int CTimingTableData::*field : CTimingTableData::kFields) {
            fields.push_back(row.*field);
        }
    }
    return fields;
}

std::string describe(const std::vector<int>& fields) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        text += (i % CTimingTableData::kFieldCount == 0 ? (i == 0 ? "[" : "] [") : " ") +
                std::to_string(fields[i]);
    }
    return text + "]";
}

// The row elements directly under the root of the file, counted apart from the loader.
int countRows(const wxString& path) {
    wxXmlDocument document;
    if (!document.Load(path) || document.GetRoot() == nullptr) {
        return -1;
    }
    int rows = 0;
    for (const wxXmlNode* child = document.GetRoot()->GetChildren(); child != nullptr;
         child = child->GetNext()) {
        if (child->GetType() == wxXML_ELEMENT_NODE &&
            child->GetName() == CTimingTableDataSerializer::kTimingTableDataElementName) {
            ++rows;
        }
    }
    return rows;
}

// Every calculation at speeds below, on, between and above the rows, with words that earn
// each term; the values do not matter, only that computing them is defined.
void exerciseTable() {
    static const char* const words[] = {"a", "Smith,", "NASA.", "1999", "Dr.", "extraordinary"};
    std::vector<int> speeds = {1, INT_MAX};
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        for (long long delta : {-1, 0, 1}) {
            speeds.push_back(
                static_cast<int>(std::clamp<long long>(row.speed + delta, 1, INT_MAX)));
        }
    }
    CFlitWordCalcs calcs;
    for (int speed : speeds) {
        for (const char* word : words) {
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
    static const wxString dir = flitFuzzMakeTempDir("flit-fuzz-settings");
    static const wxString settingsPath = dir + "/settings.xml";
    static const wxString storedPath = dir + "/stored.xml";
    flitFuzzWriteFile(settingsPath, reinterpret_cast<const char*>(data), size);
    CFlitWordCalcs::restoreDefaultTimingTable();
    const std::vector<int> before = tableFields();

    CFlitWordCalcs calcs;
    CFlitWordCalcsSerializer loader(&calcs, settingsPath.utf8_str());
    const bool accepted = loader.load();
    const std::vector<int> after = tableFields();

    if (!accepted) {
        FLIT_FUZZ_CHECK(after == before, "a refused file changed the table to " + describe(after));
        FLIT_FUZZ_CHECK(!loader.getLoadError().empty(), "a refused file without a reason");
    } else {
        const int rows = countRows(settingsPath);
        FLIT_FUZZ_CHECK(rows >= 0 && rows <= CFlitWordCalcs::kTimingTableRowCount,
                        "accepted a file of " + std::to_string(rows) + " rows");
        for (int i = 1; i < CFlitWordCalcs::kTimingTableRowCount; ++i) {
            FLIT_FUZZ_CHECK(CFlitWordCalcs::kTimingTable[i].speed >
                                CFlitWordCalcs::kTimingTable[i - 1].speed,
                            "speeds not strictly ascending: " + describe(after));
        }

        CFlitWordCalcsSerializer saver(&calcs, storedPath.utf8_str());
        FLIT_FUZZ_CHECK(saver.store(), saver.getStoreError().utf8_string());
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFlitWordCalcsSerializer reloader(&calcs, storedPath.utf8_str());
        FLIT_FUZZ_CHECK(reloader.load(), reloader.getLoadError().utf8_string());
        FLIT_FUZZ_CHECK(tableFields() == after, "stored and loaded back as " +
                                                    describe(tableFields()) + ", not " +
                                                    describe(after));
        exerciseTable();
    }

    CFlitWordCalcs::restoreDefaultTimingTable();
    return 0;
}
