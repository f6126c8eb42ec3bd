#ifndef FLIT_TIMING_TIMINGTABLEDATASERIALIZER_H
#define FLIT_TIMING_TIMINGTABLEDATASERIALIZER_H

#include <flitengine/outside/XMLSerializer.h>
#include <flitengine/timing/TimingTableData.h>

// Writes one timing table row as a "timing_table_data" element and fills a row from one. Used
// only inside CFlitWordCalcsSerializer, with a null path: it never opens a file of its own.
class FLIT_EXPORT CTimingTableDataSerializer : public CXMLSerializer {
public:
    static const char* const kTimingTableDataElementName;
    static const char* const kVersionElementName;
    static const char* const kVersion_01_00;
    static const char* const kCurrentVersion;
    static const char* const kSpeedElementName;
    static const char* const kWD_BaseValueAdjPercentageElementName;
    static const char* const kWD_LongerWordAdjPercentageElementName;
    static const char* const kWD_AllCapsAdjPercentageElementName;
    static const char* const kWD_AllNumsAdjPercentageElementName;
    static const char* const kIWD_BaseValueAdjPercentageElementName;
    static const char* const kIWD_CommaAdjPercentageElementName;
    static const char* const kIWD_PeriodAdjPercentageElementName;
    static const char* const kIWD_NewlineAdjPercentageElementName;
    static const char* const kRestDelayAdjPercentageElementName;
    static const char* const kSustainDelayAdjPercentageElementName;

    CTimingTableDataSerializer(CTimingTableData* row, const char* path);
    CTimingTableDataSerializer(const CTimingTableDataSerializer& other);
    CTimingTableDataSerializer& operator=(const CTimingTableDataSerializer& other);
    ~CTimingTableDataSerializer() override;

    wxXmlNode* createDataAsXML() override;
    // Sets every field whose element holds a whole number that an int holds, whatever its
    // size or sign; a field whose element is missing or holds anything else keeps its value, and
    // of two elements with one name the later wins. False, with the load error naming the
    // problem, only when the element is not a "timing_table_data" element.
    bool loadFromXML(wxXmlNode* element) override;

    const wxString& getLoadedVersion() const { return loadedVersion; }

private:
    struct SElementEntry {
        const char* name;
        int* field;
    };

    void initSerialization();

    // The element names paired with the row's fields, in the row's field order. A copied
    // serializer keeps pointing into the same row.
    SElementEntry elementTable[CTimingTableData::kFieldCount];
    CTimingTableData* timingTableData;
    wxString loadedVersion;
};

#endif
