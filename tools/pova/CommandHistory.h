// CommandHistory: the commands a session has executed, in order, with undo and redo. The
// history holds a reference to each command; a new command drops the ones undone after it.
#pragma once

#include <pova/Command.h>
#include <pova/support/Ref.h>

#include <cstddef>
#include <string>
#include <vector>

namespace pova_tool {

class CommandHistory {
public:
    struct Entry {
        support::Ref<ZELT_o::ViewpointCommand> command;
        std::string label;
    };

    // Executes the command; on success it becomes the newest entry. Errors pass to the
    // caller and leave the history as it was.
    void execute(support::Ref<ZELT_o::ViewpointCommand> command, std::string label);
    // Undoes the newest command done, or redoes the oldest one undone; false when there is
    // none. Errors pass to the caller and leave the history as it was.
    bool undo();
    bool redo();

    // Every entry, oldest first; the first `doneCount()` are done, the rest undone.
    std::vector<Entry> const& entries() const { return fEntries; }
    std::size_t doneCount() const { return fDone; }

private:
    std::vector<Entry> fEntries;
    std::size_t fDone = 0;
};

}  // namespace pova_tool
