#include <basekit/RegistryWrapper.h>

bool RegistryWrapper::readRegKeyValue(LONG, PovaString const&, PovaString const&, PovaString&) {
    return false;
}
bool RegistryWrapper::readRegKeyValue(LONG, PovaString const&, PovaString const&, DWORD&) {
    return false;
}
