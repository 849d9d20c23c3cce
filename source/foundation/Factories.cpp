// The exported factories. Each class's own source defines its factory once the class exists;
// until then the factory answers null.
#include <pova/Factories.h>

extern "C" {

ZELT_o::Viewpoint* createCommonViewpoint() {
    return nullptr;
}

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
