// ZELT_o::Style: how cells look: colours, font and number format.
#pragma once

#include <pova/RefCount.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API Style : public support::RefCount {
protected:
    Style(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Style() override;
};

}  // namespace ZELT_o
