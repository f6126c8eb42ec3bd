#include <flitengine/timing/TimingTableDataSerializer.h>

#include <flitengine/outside/MessageText.h>
#include <flitengine/outside/wxXMLUtils.h>

#include <wx/log.h>

#include <algorithm>

const char* const CTimingTableDataSerializer::kTimingTableDataElementName = "timing_table_data";
const char* const CTimingTableDataSerializer::kVersionElementName = "version";
const char* const CTimingTableDataSerializer::kVersion_01_00 = "01.00";
const char* const CTimingTableDataSerializer::kCurrentVersion =
    CTimingTableDataSerializer::kVersion_01_00;
const char* const CTimingTableDataSerializer::kSpeedElementName = "speed";
const char* const CTimingTableDataSerializer::kWD_BaseValueAdjPercentageElementName =
    "wd_base_value_adj_percentage";
const char* const CTimingTableDataSerializer::kWD_LongerWordAdjPercentageElementName =
    "wd_longer_word_adj_percentage";
const char* const CTimingTableDataSerializer::kWD_AllCapsAdjPercentageElementName =
    "wd_all_caps_adj_percentage";
const char* const CTimingTableDataSerializer::kWD_AllNumsAdjPercentageElementName =
    "wd_all_nums_adj_percentage";
const char* const CTimingTableDataSerializer::kIWD_BaseValueAdjPercentageElementName =
    "iwd_base_value_adj_percentage";
const char* const CTimingTableDataSerializer::kIWD_CommaAdjPercentageElementName =
    "iwd_comma_adj_percentage";
const char* const CTimingTableDataSerializer::kIWD_PeriodAdjPercentageElementName =
    "iwd_period_adj_percentage";
const char* const CTimingTableDataSerializer::kIWD_NewlineAdjPercentageElementName =
    "iwd_newline_adj_percentage";
const char* const CTimingTableDataSerializer::kRestDelayAdjPercentageElementName =
    "rest_delay_adj_percentage";
const char* const CTimingTableDataSerializer::kSustainDelayAdjPercentageElementName =
    "sustain_delay_adj_percentage";

CTimingTableDataSerializer::CTimingTableDataSerializer(CTimingTableData* row, const char* path)
    : CXMLSerializer(path), elementTable(), timingTableData(row) {
    initSerialization();
}

CTimingTableDataSerializer::CTimingTableDataSerializer(const CTimingTableDataSerializer& other)
    : CXMLSerializer(other), timingTableData(other.timingTableData),
      loadedVersion(other.loadedVersion) {
    std::copy(std::begin(other.elementTable), std::end(other.elementTable), elementTable);
}

CTimingTableDataSerializer&
CTimingTableDataSerializer::operator=(const CTimingTableDataSerializer& other) {
    if (this == &other) {
        return *this;
    }
    CXMLSerializer::operator=(other);
    std::copy(std::begin(other.elementTable), std::end(other.elementTable), elementTable);
    timingTableData = other.timingTableData;
    loadedVersion = other.loadedVersion;
    return *this;
}

CTimingTableDataSerializer::~CTimingTableDataSerializer() = default;

void CTimingTableDataSerializer::initSerialization() {
    static const char* const names[CTimingTableData::kFieldCount] = {
        kSpeedElementName,
        kWD_BaseValueAdjPercentageElementName,
        kWD_LongerWordAdjPercentageElementName,
        kWD_AllCapsAdjPercentageElementName,
        kWD_AllNumsAdjPercentageElementName,
        kIWD_BaseValueAdjPercentageElementName,
        kIWD_CommaAdjPercentageElementName,
        kIWD_PeriodAdjPercentageElementName,
        kIWD_NewlineAdjPercentageElementName,
        kRestDelayAdjPercentageElementName,
        kSustainDelayAdjPercentageElementName,
    };
    for (int i = 0; i < CTimingTableData::kFieldCount; ++i) {
        elementTable[i].name = names[i];
        elementTable[i].field = &(timingTableData->*CTimingTableData::kFields[i]);
    }
}

wxXmlNode* CTimingTableDataSerializer::createDataAsXML() {
    const CwxXMLUtils xml;
    wxXmlNode* element = xml.createElement(kTimingTableDataElementName);
    element->AddChild(xml.createStringContentElement(kVersionElementName, kCurrentVersion));
    for (const SElementEntry& entry : elementTable) {
        element->AddChild(xml.createIntContentElement(entry.name, *entry.field));
    }
    return element;
}

bool CTimingTableDataSerializer::loadFromXML(wxXmlNode* element) {
    if (element == nullptr || element->GetName() != kTimingTableDataElementName) {
        setLoadError(wxString::Format("a row must be a <%s> element", kTimingTableDataElementName));
        return false;
    }
    const CwxXMLUtils xml;
    for (wxXmlNode* child = element->GetChildren(); child != nullptr; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE) {
            continue;
        }
        const wxString& name = child->GetName();
        if (name == kVersionElementName) {
            xml.parseStringContentElement(&loadedVersion, child);
            continue;
        }
        for (const SElementEntry& entry : elementTable) {
            if (name != entry.name) {
                continue;
            }
            // Any whole number an int holds is stored as it is; anything else leaves the field
            // as it was, as a missing element would, and the rest of the row still loads.
            if (!xml.parseIntContentElement(entry.field, child)) {
                const wxString written =
                    CMessageText::cut(child->GetNodeContent().Strip(wxString::both));
                wxLogVerbose("Settings: <%s> holds \"%s\", not a whole number; it keeps %d",
                             entry.name, written, *entry.field);
            }
        }
    }
    return true;
}
