#include "outside/XMLSerializer.h"

CXMLSerializer::CXMLSerializer(const char* path) : CXMLParser(path), CXMLWriter(path) {}

CXMLSerializer::CXMLSerializer(const CXMLSerializer& other) = default;

CXMLSerializer& CXMLSerializer::operator=(const CXMLSerializer& other) {
    CXMLParser::operator=(other);
    CXMLWriter::operator=(other);
    return *this;
}

CXMLSerializer::~CXMLSerializer() = default;
