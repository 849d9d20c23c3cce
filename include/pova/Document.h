/// @class ZELT_o::Document
/// The container of a report's viewpoints, parameters, transitions and
/// actions.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API Document : public support::RefCount {
public:
    /// Hears when the document goes away.
    class POVA_API Listener {
    public:
        /// The document is going away: forget it without calling it again.
        virtual void stopListeningToDocument() = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

    ///@{
    /// Objects that depend on the document register to hear when it goes away.
    virtual void addDocumentListener(Listener* listener) = 0;
    virtual void removeDocumentListener(Listener* listener) = 0;
    ///@}

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Document(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Document() override;
};

}  // namespace ZELT_o
