// ZELT_o::ContextSpecification and ZELT_o::Format: a specification that applies to named
// dimensions, and a format, which says how the cells of that context look.
#pragma once

#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API ContextSpecification {
public:
    virtual ~ContextSpecification();

protected:
    ContextSpecification() = default;
    ContextSpecification(ContextSpecification const&) = default;
    ContextSpecification& operator=(ContextSpecification const&) = default;
};

class POVA_API Format : public ContextSpecification {
public:
    ~Format() override;

protected:
    Format() = default;
    Format(Format const&) = default;
    Format& operator=(Format const&) = default;
};

}  // namespace ZELT_o
