/// @file
/// The library's exported factories, under plain C names. Each returns a new object with one
/// reference for the caller, or null when the object cannot be made.
#pragma once

#include <pova/pova_export.h>

namespace ZELT_o {
class Action;
class Document;
class Transition;
class Viewpoint;
}  // namespace ZELT_o

extern "C" {
///@{
/// A new viewpoint, document, or action or transition of a document.
POVA_API ZELT_o::Viewpoint* createCommonViewpoint();
POVA_API ZELT_o::Document* createCommonDocument();
POVA_API ZELT_o::Action* createCommonAction(ZELT_o::Document* document);
POVA_API ZELT_o::Transition* createCommonTransition(ZELT_o::Document* document);
///@}
}
