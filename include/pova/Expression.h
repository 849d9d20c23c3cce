// ZELT_o::Expression: a tree of typed nodes standing for an MDX-style expression.
#pragma once

#include <pova/RefCount.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API Expression : public support::RefCount {
protected:
    Expression(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Expression() override;
};

}  // namespace ZELT_o
