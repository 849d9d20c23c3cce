#include <basekit/AssertionFailure.h>
#include <basekit/CoreLog.h>

#include <mutex>
#include <string>

namespace {

std::mutex& handlerMutex() {
    static std::mutex mutex;
    return mutex;
}

basekit::AssertionHandler& handlerSlot() {
    static basekit::AssertionHandler handler;
    return handler;
}

}  // namespace

void AssertionFailure(char const* expression, char const* file, int line) {
    AssertionReport report{expression != nullptr ? expression : "", file != nullptr ? file : "",
                           line};

    LogArgument argument;
    argument.putFile(PovaString(report.file)).putLine(line).putDate(kPovaBuildDate);
    argument.putFunction("AssertionFailure").putComponent("Assertion").putModule("ASSERT");
    PovaString const insert = PovaString::build(
        "Assertion failed: %s (%s:%d)", report.expression.c_str(), report.file.c_str(), line);
    basekit::getLogObject()->log(argument, kAssertionMessageCode, 1, 1, &insert);

    basekit::AssertionHandler handler;
    {
        std::lock_guard<std::mutex> lock(handlerMutex());
        handler = handlerSlot();
    }
    if (handler) {
        handler(report);
    }
}

namespace basekit {

AssertionHandler setAssertionHandler(AssertionHandler handler) {
    std::lock_guard<std::mutex> lock(handlerMutex());
    std::swap(handlerSlot(), handler);
    return handler;
}

}  // namespace basekit
