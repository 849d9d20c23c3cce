// pova: the command-line client of the library.
#include <basekit/CoreLog.h>
#include <pova/Module.h>
#include <pova/Ref.h>
#include <pova/RefCount.h>

#include <cstdio>
#include <cstring>

namespace {

class DemoObject : public support::RefCount {
public:
    explicit DemoObject(LONG instance) : support::RefCount("DemoObject", instance) {}
};

int runDemo() {
    std::printf("library attached: log %s\n", support::moduleLog() != nullptr ? "taken" : "absent");
    auto first = support::adopt(new DemoObject(0));
    {
        support::Ref<DemoObject> second = first;
        std::printf("two handles share one object: count %d\n", first->getRefCount());
    }
    std::printf("one handle left: count %d\n", first->getRefCount());
    first.reset();
    std::printf("released\n");
    return 0;
}

void usage() {
    std::printf("usage: pova demo\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "demo") == 0) {
        return runDemo();
    }
    usage();
    return argc == 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
