// Transactions: children executed and undone in one order, with an optional layout first.
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

void TransactionCommandCommon::execute() {
    if (!fAxes.empty()) {
        if (fViewpoint == nullptr) {
            throw BaseError(kCannotRun, ViewpointCommon::fModule(), 1, 0);
        }
        fViewpoint->setAxes(fAxes, true);
    }
    // A child may add or remove children while it runs: the run goes over the children as
    // they were when it started, each held until the run ends.
    auto const children = fCommands;
    for (auto const& command : children) {
        command->execute();
    }
    fExecuted = true;
}

void TransactionCommandCommon::undo() {
    if (!fExecuted) {
        throwResult(E_UNEXPECTED);
    }
    auto const children = fCommands;
    for (auto const& command : children) {
        command->undo();
    }
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
