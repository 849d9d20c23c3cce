// Uses the installed headers and libraries: a counted object, a string and a dispatcher.
#include <basekit/PovaString.h>
#include <pova/Factories.h>
#include <pova/common/EventDispatcher.h>
#include <pova/support/Ref.h>
#include <pova/support/RefCount.h>

#include <cstdio>

namespace {
class Thing : public support::RefCount {
public:
    Thing() : support::RefCount("Thing", 0) {}
};
}  // namespace

int main() {
    auto thing = support::adopt(new Thing());
    thing->addRef();
    bool const counted = thing->release() == 1;
    common::EventDispatcher dispatcher;
    dispatcher.sendEvents(true);
    PovaString const text = PovaString::build("%s %d", "consumer", 1);
    std::printf("%s: %s\n", text.string().c_str(), counted ? "ok" : "wrong count");
    return counted ? 0 : 1;
}
