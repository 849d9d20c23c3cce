// The exported factories of the classes not built yet: they answer null. The others are
// defined beside their classes (createCommonViewpoint in ViewpointCommon.cpp).
#include <pova/Factories.h>

extern "C" {

ZELT_o::Document* createCommonDocument() {
    return nullptr;
}

ZELT_o::Action* createCommonAction(ZELT_o::Document* /*document*/) {
    return nullptr;
}

ZELT_o::Transition* createCommonTransition(ZELT_o::Document* /*document*/) {
    return nullptr;
}

}  // extern "C"
