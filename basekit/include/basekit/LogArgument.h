/// @class LogArgument
/// Where a log record comes from (file, line, build date, function, component,
/// module).
#pragma once

#include <basekit/PovaString.h>
#include <basekit/basekit_export.h>

/// The build date every record carries.
inline constexpr char const kPovaBuildDate[] = "Sep 13 2008";

class BASEKIT_API LogArgument {
public:
    LogArgument() = default;

    ///@{
    /// Set where the record comes from; each returns *this so that calls chain.
    LogArgument& putFile(PovaString file) {
        fFile = std::move(file);
        return *this;
    }
    LogArgument& putLine(int line) {
        fLine = line;
        return *this;
    }
    LogArgument& putDate(PovaString date) {
        fDate = std::move(date);
        return *this;
    }
    LogArgument& putFunction(PovaString function) {
        fFunction = std::move(function);
        return *this;
    }
    LogArgument& putComponent(PovaString component) {
        fComponent = std::move(component);
        return *this;
    }
    LogArgument& putModule(PovaString module) {
        fModule = std::move(module);
        return *this;
    }
    ///@}

    ///@{
    /// Where the record comes from.
    PovaString const& getFile() const { return fFile; }
    int getLine() const { return fLine; }
    PovaString const& getDate() const { return fDate; }
    PovaString const& getFunction() const { return fFunction; }
    PovaString const& getComponent() const { return fComponent; }
    PovaString const& getModule() const { return fModule; }
    ///@}

private:
    PovaString fFile;
    int fLine = 0;
    PovaString fDate;
    PovaString fFunction;
    PovaString fComponent;
    PovaString fModule;
};
