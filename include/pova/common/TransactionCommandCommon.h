/// @file
/// common::TransactionBase and common::TransactionCommandCommon: a command made of other
/// commands, executed (and undone) as one, in the order they were added.
///
/// Ownership: born with one reference for its creator. The transaction holds one reference to
/// each child until the child is removed or the transaction goes; it keeps a plain pointer to
/// its viewpoint, which must outlive it.
///
/// Threads: used from the thread that uses its viewpoint tree; addRef and release from any.
///
/// Failure: a child that raises stops the run there and its error propagates; the children
/// already run are not taken back.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlSupport.h>
#include <pova/Command.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace common {

class ViewpointCommon;

/// The base providers derive their own transactions from.
class POVA_API TransactionBase : public ZELT_o::Transaction {
public:
    TransactionBase(TransactionBase const&) = delete;
    TransactionBase& operator=(TransactionBase const&) = delete;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    TransactionBase(char const* module, LONG instance) : ZELT_o::Transaction(module, instance) {}
    ~TransactionBase() override;
};

/// The library's transaction, handed out by Viewpoint::createCommand.
class POVA_API TransactionCommandCommon : public TransactionBase {
public:
    /// An empty transaction of `viewpoint`, which must outlive it.
    explicit TransactionCommandCommon(ViewpointCommon* viewpoint);

    // --- ZELT_o::Command
    /// Applies the recorded axes to the viewpoint (when there are any), then executes the
    /// children in order.
    void execute() override;
    /// Undoes the children in the order they execute. A transaction never executed throws the
    /// plain code E_UNEXPECTED.
    void undo() override;
    // --- ZELT_o::ViewpointCommand
    /// Keeps the text as a parsed document; nothing here reads it. Text that is not well-formed
    /// XML is not an error: it leaves an empty document that is not loaded.
    void setXmlText(PovaString const& text) override;

    // --- ZELT_o::Transaction
    /// Appends the child and takes a reference to it. A null child or the transaction itself
    /// is E_INVALIDARG.
    void addCommand(ZELT_o::ViewpointCommand* command) override;
    /// Drops the child (found by identity) and its reference; an unknown child changes nothing.
    void removeCommand(ZELT_o::ViewpointCommand* command) override;
    void markTransaction() override { fMarked = true; }
    void setAxes(std::vector<std::vector<PovaString>> const& axes) override { fAxes = axes; }

    // --- state
    /// The number of children.
    std::size_t countCommands() const { return fCommands.size(); }
    /// Whether the transaction is applied now.
    bool isExecuted() const { return fExecuted; }
    /// The document of the last setXmlText, or null before the first.
    XmlSupport const* getXmlDocument() const { return fXmlDocument.get(); }

protected:
    ~TransactionCommandCommon() override;

private:
    // Not held: the viewpoint outlives its commands.
    ViewpointCommon* fViewpoint;
    std::vector<support::Ref<ZELT_o::ViewpointCommand>> fCommands;
    bool fExecuted = false;
    bool fMarked = false;
    std::unique_ptr<XmlSupport> fXmlDocument;
    std::vector<std::vector<PovaString>> fAxes;
};

}  // namespace common
