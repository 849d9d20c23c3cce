#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>

#include <cstdio>

ZELT_o::AnyError::~AnyError() = default;

BaseError::BaseError(ZELT_o::MessageCode code, char const* module, int severity, int status)
    : BaseError(code, PovaString(module), severity, status) {}

BaseError::BaseError(ZELT_o::MessageCode code, PovaString module, int severity, int status)
    : fCode(code), fModule(std::move(module)), fSeverity(severity), fStatus(status) {
    update_what();
}

BaseError& BaseError::addInsert(PovaString const& text) {
    fInserts.push_back(text);
    update_what();
    return *this;
}

PovaString BaseError::getInsert(int i) const {
    if (i < 0 || i >= numInserts()) {
        return PovaString();
    }
    return fInserts[static_cast<std::size_t>(i)];
}

PovaString BaseError::getText(CoreLog* /*log*/) const {
    return PovaString(fWhat);
}

void BaseError::log(CoreLog* log) const {
    if (log == nullptr) {
        return;
    }
    LogArgument argument;
    argument.putFile("BaseError").putDate(kPovaBuildDate).putFunction("BaseError::log");
    argument.putComponent(fModule).putModule(fModule);
    log->log(argument, fCode, fSeverity, numInserts(), fInserts.data());
}

std::unique_ptr<ZELT_o::AnyError> BaseError::clone() const {
    return std::make_unique<BaseError>(*this);
}

char const* BaseError::what() const noexcept {
    return fWhat.c_str();
}

// The message catalogue is not part of this system: the text names the code, the module and
// the inserts, which is what a reader of a log needs.
void BaseError::update_what() {
    char head[64];
    std::snprintf(head, sizeof head, "error 0x%08X", static_cast<unsigned>(fCode));
    fWhat = head;
    fWhat += " in ";
    fWhat += fModule.string();
    for (std::size_t i = 0; i < fInserts.size(); ++i) {
        fWhat += i == 0 ? ": " : ", ";
        fWhat += fInserts[i].string();
    }
}

char const* ResultError::what() const noexcept {
    switch (static_cast<std::uint32_t>(fResult)) {
        case 0x8000FFFFu:
            return "result 0x8000FFFF (E_UNEXPECTED)";
        case 0x80004005u:
            return "result 0x80004005 (E_FAIL)";
        case 0x80070057u:
            return "result 0x80070057 (E_INVALIDARG)";
        case 0x80004001u:
            return "result 0x80004001 (E_NOTIMPL)";
        default:
            return "failure result code";
    }
}

void throwError(ZELT_o::MessageCode code, char const* module) {
    throw BaseError(code, module);
}

void throwResult(HRESULT result) {
    throw ResultError(result);
}
