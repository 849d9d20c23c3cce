#include <basekit/StringConverters.h>

bool StringConverters::convertStringToReal(PovaString const&, double&) { return false; }
PovaString StringConverters::convertRealToString(double) { return {}; }
bool StringConverters::convertStringToInteger(PovaString const&, LONG&) { return false; }
PovaString StringConverters::convertIntegerToString(LONGLONG) { return {}; }
PovaString StringConverters::convertGUIDToString(GUID const&) { return {}; }
bool StringConverters::convertStringToGUID(PovaString const&, GUID&) { return false; }
bool SystemSupport::GenerateGUID(GUID&, bool) { return true; }
