// Transactions: children executed in order and undone in the reverse order, with an optional
// layout first. A child that fails takes back what its siblings did before it.
#include <basekit/BaseError.h>
#include <pova/common/BasicViewpointCommandCommon.h>
#include <pova/common/TransactionCommandCommon.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>

namespace common {

namespace {
constexpr ZELT_o::MessageCode kCannotRun = 0xC201120Cu;
}  // namespace

TransactionBase::~TransactionBase() = default;

TransactionCommandCommon::TransactionCommandCommon(ViewpointCommon* viewpoint)
    : TransactionBase("TransactionCommandCommon", BasicViewpointCommandCommon::next_instance()),
      fViewpoint(viewpoint) {}

TransactionCommandCommon::~TransactionCommandCommon() {
    fMarked = false;
}

namespace {

using Children = std::vector<support::Ref<ZELT_o::ViewpointCommand>>;

// Runs `step` on each child in turn; when one fails, runs `back` on those already done, newest
// first, and lets the failure pass. A failure while going back is dropped: the first one says
// what went wrong.
template <class Step, class Back>
void run_all(Children const& children, Step step, Back back) {
    std::size_t done = 0;
    try {
        for (; done < children.size(); ++done) {
            step(*children[done]);
        }
    } catch (...) {
        while (done > 0) {
            try {
                back(*children[--done]);
            } catch (...) {
            }
        }
        throw;
    }
}

}  // namespace

void TransactionCommandCommon::execute() {
    if (!fAxes.empty()) {
        if (fViewpoint == nullptr) {
            throw BaseError(kCannotRun, ViewpointCommon::fModule(), 1, 0);
        }
        fViewpoint->setAxes(fAxes, true);
    }
    // A child may add or remove children while it runs: the run goes over the children as
    // they were when it started, each held until the run ends.
    Children const children = fCommands;
    run_all(
        children, [](ZELT_o::ViewpointCommand& child) { child.execute(); },
        [](ZELT_o::ViewpointCommand& child) { child.undo(); });
    fExecuted = true;
}

// Newest first: each child's undo expects the viewpoint as that child left it, so undoing in
// the order of execution would take back a move from positions a later move has changed.
void TransactionCommandCommon::undo() {
    if (!fExecuted) {
        throwResult(E_UNEXPECTED);
    }
    Children const children(fCommands.rbegin(), fCommands.rend());
    run_all(
        children, [](ZELT_o::ViewpointCommand& child) { child.undo(); },
        [](ZELT_o::ViewpointCommand& child) { child.execute(); });
}

void TransactionCommandCommon::setXmlText(PovaString const& text) {
    if (fXmlDocument) {
        fXmlDocument->clear();
    } else {
        fXmlDocument = std::make_unique<XmlSupport>();
    }
    fXmlDocument->createDocument();
    fXmlDocument->readXml(text);
}

void TransactionCommandCommon::addCommand(ZELT_o::ViewpointCommand* command) {
    if (command == nullptr || command == this) {
        throwResult(E_INVALIDARG);
    }
    fCommands.push_back(support::retain(command));
}

void TransactionCommandCommon::removeCommand(ZELT_o::ViewpointCommand* command) {
    auto const found = std::find(fCommands.begin(), fCommands.end(), command);
    if (found != fCommands.end()) {
        fCommands.erase(found);
    }
}

}  // namespace common
