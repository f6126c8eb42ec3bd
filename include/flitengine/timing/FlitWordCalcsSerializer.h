#ifndef FLIT_TIMING_FLITWORDCALCSSERIALIZER_H
#define FLIT_TIMING_FLITWORDCALCSSERIALIZER_H

#include <flitengine/outside/XMLSerializer.h>

class CFlitWordCalcs;

// Saves the whole timing table to a settings file and loads it back. store() writes the table
// as it is at that moment; load() replaces the table from the file.
//
// A file is checked as a whole before the table changes: the root must be "flit_word_calcs",
// there may be at most six row elements, and the table that would result must be strictly
// ascending in speed. A file that fails any check is refused (load() returns false,
// getLoadError() names the file and the problem) and the table stays exactly as it was. Within
// an accepted file each field loads on its own (see CTimingTableDataSerializer): one that holds
// no whole number keeps its value, and any whole number is stored as it is.
class FLIT_EXPORT CFlitWordCalcsSerializer : public CXMLSerializer {
public:
    static const char* const kFlitWordCalcsElementName;
    static const char* const kVersionElementName;
    static const char* const kVersion_01_00;
    static const char* const kCurrentVersion;
    static const char* const kNextNumElementName;
    static const char* const kFileExt;

    CFlitWordCalcsSerializer(CFlitWordCalcs* calcs, const char* path);
    CFlitWordCalcsSerializer(const CFlitWordCalcsSerializer& other);
    CFlitWordCalcsSerializer& operator=(const CFlitWordCalcsSerializer& other);
    ~CFlitWordCalcsSerializer() override;

    wxXmlNode* createDataAsXML() override;
    bool loadFromXML(wxXmlNode* root) override;

    const wxString& getLoadedVersion() const { return loadedVersion; }

private:
    // The table is the calculator class's static one; the calculator is kept for callers that
    // hand the serializer around with it.
    CFlitWordCalcs* wordCalcs;
    wxString loadedVersion;
};

#endif
