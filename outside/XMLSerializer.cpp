#include <flitengine/outside/XMLSerializer.h>

CXMLSerializer::CXMLSerializer(const char* path) : CXMLParser(path), CXMLWriter(path) {}

CXMLSerializer::CXMLSerializer(const CXMLSerializer& other) = default;

CXMLSerializer& CXMLSerializer::operator=(const CXMLSerializer& other) = default;

CXMLSerializer::~CXMLSerializer() = default;
