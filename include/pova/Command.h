// The command class tree: a command records one operation and applies it with execute() and
// takes it back with undo().
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

namespace ZELT_o {

class POVA_API Command : public support::LegacyRefCount {
public:
    virtual void execute() = 0;
    virtual void undo() = 0;

protected:
    Command(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Command() override;
};

class POVA_API ViewpointCommand : public Command {
protected:
    ViewpointCommand(char const* module, LONG instance) : Command(module, instance) {}
    ~ViewpointCommand() override;
};

class POVA_API BasicViewpointCommand : public ViewpointCommand {
protected:
    BasicViewpointCommand(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~BasicViewpointCommand() override;
};

class POVA_API SortViewpointCommand : public ViewpointCommand {
protected:
    SortViewpointCommand(char const* module, LONG instance) : ViewpointCommand(module, instance) {}
    ~SortViewpointCommand() override;
};

class POVA_API SubTotalViewpointCommand : public ViewpointCommand {
protected:
    SubTotalViewpointCommand(char const* module, LONG instance)
        : ViewpointCommand(module, instance) {}
    ~SubTotalViewpointCommand() override;
};

class POVA_API MemberSetCommand : public Command {
protected:
    MemberSetCommand(char const* module, LONG instance) : Command(module, instance) {}
    ~MemberSetCommand() override;
};

}  // namespace ZELT_o
