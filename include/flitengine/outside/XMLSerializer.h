#ifndef FLIT_OUTSIDE_XMLSERIALIZER_H
#define FLIT_OUTSIDE_XMLSERIALIZER_H

#include <flitengine/outside/XMLParser.h>
#include <flitengine/outside/XMLWriter.h>

// Base of a class that both saves itself to and loads itself from one XML file: the derived
// class provides createDataAsXML for store() and loadFromXML for load().
class FLIT_EXPORT CXMLSerializer : public CXMLParser, public CXMLWriter {
public:
    explicit CXMLSerializer(const char* path);
    CXMLSerializer(const CXMLSerializer& other);
    CXMLSerializer& operator=(const CXMLSerializer& other);
    ~CXMLSerializer() override;
};

#endif
