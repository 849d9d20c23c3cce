#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>
#include <basekit/MessageCatalog.h>

#include <cstdio>

namespace {

// " (0x" + eight digits + ")": what what() adds to the text.
constexpr std::size_t kCodeSuffixLength = 13;

}  // namespace

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
    return PovaString(std::string_view(fWhat).substr(0, fWhat.size() - kCodeSuffixLength));
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

void BaseError::update_what() {
    fWhat = basekit::messageText(fCode, fModule.string(), fInserts);
    char code[kCodeSuffixLength + 1];
    std::snprintf(code, sizeof code, " (0x%08X)", static_cast<unsigned>(fCode));
    fWhat += code;
}

ResultError::ResultError(HRESULT result) : fResult(result) {
    auto const code = static_cast<std::uint32_t>(result);
    char const* text = basekit::findMessage(code);
    std::snprintf(fWhat, sizeof fWhat, "%s (0x%08X)", text != nullptr ? text : "Failure",
                  static_cast<unsigned>(code));
}

void throwError(ZELT_o::MessageCode code, char const* module) {
    throw BaseError(code, module);
}

void throwResult(HRESULT result) {
    throw ResultError(result);
}
