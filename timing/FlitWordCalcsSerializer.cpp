#include <flitengine/timing/FlitWordCalcsSerializer.h>

#include <flitengine/outside/MessageText.h>
#include <flitengine/outside/wxXMLUtils.h>
#include <flitengine/timing/FlitWordCalcs.h>
#include <flitengine/timing/TimingTableDataSerializer.h>

#include <algorithm>

const char* const CFlitWordCalcsSerializer::kFlitWordCalcsElementName = "flit_word_calcs";
const char* const CFlitWordCalcsSerializer::kVersionElementName = "version";
const char* const CFlitWordCalcsSerializer::kVersion_01_00 = "01.00";
const char* const CFlitWordCalcsSerializer::kCurrentVersion =
    CFlitWordCalcsSerializer::kVersion_01_00;
const char* const CFlitWordCalcsSerializer::kNextNumElementName = "next_num";
const char* const CFlitWordCalcsSerializer::kFileExt = "xml";

CFlitWordCalcsSerializer::CFlitWordCalcsSerializer(CFlitWordCalcs* calcs, const char* path)
    : CXMLSerializer(path), wordCalcs(calcs) {}

CFlitWordCalcsSerializer::CFlitWordCalcsSerializer(const CFlitWordCalcsSerializer& other) = default;

CFlitWordCalcsSerializer&
CFlitWordCalcsSerializer::operator=(const CFlitWordCalcsSerializer& other) {
    if (this == &other) {
        return *this;
    }
    CXMLSerializer::operator=(other);
    wordCalcs = other.wordCalcs;
    loadedVersion = other.loadedVersion;
    return *this;
}

CFlitWordCalcsSerializer::~CFlitWordCalcsSerializer() = default;

wxXmlNode* CFlitWordCalcsSerializer::createDataAsXML() {
    const CwxXMLUtils xml;
    wxXmlNode* root = xml.createElement(kFlitWordCalcsElementName);
    root->AddChild(xml.createStringContentElement(kVersionElementName, kCurrentVersion));
    for (CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        CTimingTableDataSerializer rowSerializer(&row, nullptr);
        root->AddChild(rowSerializer.createDataAsXML());
    }
    return root;
}

bool CFlitWordCalcsSerializer::loadFromXML(wxXmlNode* root) {
    if (root == nullptr || root->GetName() != kFlitWordCalcsElementName) {
        setLoadError(
            wxString::Format("its root element is <%s>, not <%s>",
                             CMessageText::cut(root != nullptr ? root->GetName() : wxString()),
                             kFlitWordCalcsElementName));
        return false;
    }
    constexpr int kRows = CFlitWordCalcs::kTimingTableRowCount;
    // Rows are filled by position into a copy of the table, which replaces the table only once
    // the whole file has been read and checked.
    CTimingTableData staged[kRows];
    std::copy(std::begin(CFlitWordCalcs::kTimingTable), std::end(CFlitWordCalcs::kTimingTable),
              staged);

    const CwxXMLUtils xml;
    wxString version;
    int rowIndex = 0;
    for (wxXmlNode* child = root->GetChildren(); child != nullptr; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE) {
            continue;
        }
        if (child->GetName() == kVersionElementName) {
            xml.parseStringContentElement(&version, child);
        } else if (child->GetName() == CTimingTableDataSerializer::kTimingTableDataElementName) {
            if (rowIndex == kRows) {
                setLoadError(
                    wxString::Format("it has more than %d <%s> rows", kRows,
                                     CTimingTableDataSerializer::kTimingTableDataElementName));
                return false;
            }
            CTimingTableDataSerializer rowSerializer(&staged[rowIndex++], nullptr);
            if (!rowSerializer.loadFromXML(child)) {
                setLoadError(
                    wxString::Format("row %d: %s", rowIndex, rowSerializer.getLoadError()));
                return false;
            }
        }
    }
    for (int i = 1; i < kRows; ++i) {
        if (staged[i].speed <= staged[i - 1].speed) {
            // The row lookup needs strictly ascending speeds.
            setLoadError(wxString::Format("row %d's speed %d is not above row %d's speed %d", i + 1,
                                          staged[i].speed, i, staged[i - 1].speed));
            return false;
        }
    }
    std::copy(std::begin(staged), std::end(staged), CFlitWordCalcs::kTimingTable);
    loadedVersion = version;
    return true;
}
