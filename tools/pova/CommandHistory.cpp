#include "CommandHistory.h"

namespace pova_tool {

void CommandHistory::execute(support::Ref<ZELT_o::ViewpointCommand> command, std::string label) {
    command->execute();
    fEntries.resize(fDone);
    fEntries.push_back({std::move(command), std::move(label)});
    fDone = fEntries.size();
}

bool CommandHistory::undo() {
    if (fDone == 0) {
        return false;
    }
    fEntries[fDone - 1].command->undo();
    --fDone;
    return true;
}

bool CommandHistory::redo() {
    if (fDone == fEntries.size()) {
        return false;
    }
    fEntries[fDone].command->execute();
    ++fDone;
    return true;
}

}  // namespace pova_tool
