/// @class ZELT_o::ViewResultSet
/// The result of a query, axes of member tuples and a grid of cells,
/// delivered in chunks.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

namespace ZELT_o {

class ChunkHandler;

class POVA_API ViewResultSet : public support::LegacyRefCount {
public:
    /// Number of result axes (the view axes of the layout).
    virtual LONG getAxisCount() const = 0;
    /// Number of tuples on an axis; 0 for an axis that does not exist.
    virtual LONG getAxisLength(LONG axis) const = 0;
    /// Number of cells: the product of the axis lengths.
    virtual LONG getItemCount() const = 0;
    /// Called with true when a cache drops the result set.
    virtual void markDiscarded(bool discarded) = 0;
    ///@{
    /// The smallest and the largest numeric cell value; 0 when there is none.
    virtual double getMinimum() const = 0;
    virtual double getMaximum() const = 0;
    ///@}
    ///@{
    /// Deliver the tuples first .. last of an axis, or the cells first .. last (axis 0 varies
    /// fastest), to the handler as chunks; `last` is clamped to what exists. Each chunk carries
    /// one reference for the handler. Delivery stops when the handler answers false.
    virtual void requestAxisChunks(ChunkHandler* handler, LONG axis, LONG first, LONG last) = 0;
    virtual void requestCellChunks(ChunkHandler* handler, LONG first, LONG last) = 0;
    ///@}

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    ViewResultSet(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~ViewResultSet() override;
};

}  // namespace ZELT_o
