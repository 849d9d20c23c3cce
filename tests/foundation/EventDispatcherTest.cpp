#include "support/Threads.h"

#include <pova/Listener.h>
#include <pova/common/EventDispatcher.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Journal = std::vector<std::string>;

// Records "event/listener" for every delivery; may run an action on delivery.
class Recorder : public ZELT_o::Listener {
public:
    Recorder(std::string name, Journal& journal) : fName(std::move(name)), fJournal(journal) {}
    void receive(int event) {
        fJournal.push_back(std::to_string(event) + "/" + fName);
        if (fAction) {
            fAction(event);
        }
    }
    std::function<void(int)> fAction;

private:
    std::string fName;
    Journal& fJournal;
};

// Counts its live copies in `live`, when given.
class NumberedEvent : public common::Event {
public:
    explicit NumberedEvent(int number, std::atomic<int>* live = nullptr)
        : fNumber(number), fLive(live) {
        if (fLive != nullptr) {
            ++*fLive;
        }
    }
    NumberedEvent(NumberedEvent const& other) : NumberedEvent(other.fNumber, other.fLive) {}
    ~NumberedEvent() override {
        if (fLive != nullptr) {
            --*fLive;
        }
    }
    void deliver(ZELT_o::Listener* listener) const override {
        static_cast<Recorder*>(listener)->receive(fNumber);
    }
    std::unique_ptr<common::Event> clone() const override {
        return std::make_unique<NumberedEvent>(*this);
    }

private:
    int fNumber;
    std::atomic<int>* fLive;
};

// Listeners a, b, c registered in that order, and d, not registered.
struct Fixture {
    Journal journal;
    Recorder a{"a", journal}, b{"b", journal}, c{"c", journal}, d{"d", journal};
    common::EventDispatcher dispatcher;
    Fixture() {
        for (Recorder* r : {&a, &b, &c}) {
            dispatcher.addListener(r);
        }
    }
    Recorder& recorder(char name) {
        return name == 'a' ? a : name == 'b' ? b : name == 'c' ? c : d;
    }
    Journal send(std::initializer_list<int> events, bool force = false) {
        for (int event : events) {
            dispatcher.queueEvent(NumberedEvent(event));
        }
        journal.clear();
        dispatcher.sendEvents(force);
        return journal;
    }
};

TEST(EventDispatcher, DeliversEventByEventListenerByListener) {
    Fixture f;
    f.dispatcher.addListener(&f.a);  // a duplicate is ignored
    EXPECT_EQ(f.send({1, 2}), (Journal{"1/a", "1/b", "1/c", "2/a", "2/b", "2/c"}));
    EXPECT_EQ(f.dispatcher.queuedEvents(), 0u);
}

TEST(EventDispatcher, HoldKeepsTheQueueUntilForced) {
    Fixture f;
    f.dispatcher.setHoldEvents();
    EXPECT_TRUE(f.dispatcher.eventsHeld());
    EXPECT_TRUE(f.send({1}).empty());
    EXPECT_EQ(f.dispatcher.queuedEvents(), 1u);
    EXPECT_EQ(f.send({}, true), (Journal{"1/a", "1/b", "1/c"}));
    f.dispatcher.resetHoldEvents();
    EXPECT_FALSE(f.dispatcher.eventsHeld());
}

TEST(EventDispatcher, DiscardSendAndDestructorDestroyQueuedEvents) {
    std::atomic<int> live = 0;
    {
        Fixture f;
        f.dispatcher.queueEvent(NumberedEvent(1, &live));
        f.dispatcher.queueEvent(NumberedEvent(2, &live));
        EXPECT_EQ(live, 2);  // the locals are gone; the queued copies remain
        f.dispatcher.discardEvents();
        EXPECT_EQ(live, 0);
        EXPECT_TRUE(f.send({}, true).empty());
        common::EventDispatcher alone;  // no listeners: a send still empties the queue
        alone.queueEvent(NumberedEvent(3, &live));
        alone.sendEvents(false);
        EXPECT_EQ(live, 0);
        f.dispatcher.queueEvent(NumberedEvent(4, &live));
    }
    EXPECT_EQ(live, 0);
}

TEST(EventDispatcher, AListenerThatThrowsDropsTheRestOfTheSend) {
    Fixture f;
    std::atomic<int> live = 0;
    f.b.fAction = [](int event) {
        if (event == 1) {
            throw std::runtime_error("listener failed");
        }
    };
    f.dispatcher.queueEvent(NumberedEvent(1, &live));
    f.dispatcher.queueEvent(NumberedEvent(2, &live));
    EXPECT_THROW(f.dispatcher.sendEvents(false), std::runtime_error);
    EXPECT_EQ(f.journal, (Journal{"1/a", "1/b"}));
    EXPECT_EQ(live, 0);
    EXPECT_EQ(f.dispatcher.queuedEvents(), 0u);
    EXPECT_EQ(f.send({4}), (Journal{"4/a", "4/b", "4/c"}));
}

// A listener changes the list or the queue while event 1 is delivered to it: the change
// holds from that moment on, nobody hears an event twice, and events queued meanwhile wait for
// the next send. The change is a script: "-x" removes listener x, "+x" adds it, "qN" queues
// event N, "sN" queues event N and sends (the recursive lock admits it).
struct ChangeCase {
    char const* name;
    char listener;  // who makes the change
    char const* script;
    Journal expected;
    Journal next = {};
    friend void PrintTo(ChangeCase const& c, std::ostream* os) { *os << c.name; }
};

class ListenerChanges : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ListenerChanges, DuringASend) {
    ChangeCase const& c = GetParam();
    Fixture f;
    f.recorder(c.listener).fAction = [&](int event) {
        std::istringstream ops(event == 1 ? c.script : "");
        for (std::string op; ops >> op;) {
            if (op[0] == '-' || op[0] == '+') {
                Recorder* r = &f.recorder(op[1]);
                op[0] == '-' ? f.dispatcher.removeListener(r) : f.dispatcher.addListener(r);
            } else {
                f.dispatcher.queueEvent(NumberedEvent(op[1] - '0'));
                if (op[0] == 's') {
                    f.dispatcher.sendEvents(false);
                }
            }
        }
    };
    EXPECT_EQ(f.send({1, 2}), c.expected);
    EXPECT_EQ(f.send({}), c.next);
}

INSTANTIATE_TEST_SUITE_P(
    EventDispatcher, ListenerChanges,
    ::testing::Values(
        ChangeCase{"RemovesItselfAndALaterOne", 'a', "-a -b", {"1/a", "1/c", "2/c"}},
        ChangeCase{"RemovesAnEarlierOne", 'b', "-a", {"1/a", "1/b", "1/c", "2/b", "2/c"}},
        ChangeCase{"RemovesAndAddsBackALaterOne",
                   'a',
                   "-b +b",
                   {"1/a", "1/b", "1/c", "2/a", "2/c", "2/b"}},
        ChangeCase{"AddsOne", 'b', "+d", {"1/a", "1/b", "1/c", "2/a", "2/b", "2/c", "2/d"}},
        ChangeCase{"QueuesOne",
                   'a',
                   "q3",
                   {"1/a", "1/b", "1/c", "2/a", "2/b", "2/c"},
                   {"3/a", "3/b", "3/c"}},
        ChangeCase{
            "SendsAgain", 'a', "s5 -a", {"1/a", "5/a", "5/b", "5/c", "1/b", "1/c", "2/b", "2/c"}}),
    [](auto const& info) { return std::string(info.param.name); });

TEST(EventDispatcherThreads, ConcurrentQueueingLosesNothing) {
    Fixture f;
    testing_support::runTogether(4, [&f](int) {
        for (int i = 0; i < 500; ++i) {
            f.dispatcher.queueEvent(NumberedEvent(i));
        }
    });
    EXPECT_EQ(f.send({}).size(), 3u * 4 * 500);
}

// One thread sends (its listener throwing now and then) while another adds and removes a
// listener and queues events: no event is lost or leaked, and a throw leaves no lock behind.
TEST(EventDispatcherThreads, SendsWhileAnotherThreadChangesTheLists) {
    constexpr int kRounds = 400;
    std::atomic<int> live = 0;
    Journal journal, otherJournal;
    Recorder steady("s", journal), other("o", otherJournal);
    steady.fAction = [](int event) {
        if (event % 7 == 0) {
            throw std::runtime_error("listener failed");
        }
    };
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&steady);
    std::atomic<bool> done = false;
    int thrown = 0;
    testing_support::runTogether(2, [&](int t) {
        while (t == 1 && !done) {
            dispatcher.addListener(&other);
            dispatcher.queueEvent(NumberedEvent(1, &live));
            dispatcher.removeListener(&other);
        }
        for (int i = 0; t == 0 && i < kRounds; ++i) {
            dispatcher.queueEvent(NumberedEvent(i, &live));
            try {
                dispatcher.sendEvents(false);
            } catch (std::runtime_error const&) {
                ++thrown;
            }
        }
        done = true;
    });
    EXPECT_GE(thrown, kRounds / 7);
    dispatcher.removeListener(&steady);
    dispatcher.sendEvents(false);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(dispatcher.listenerCount(), 0u);
}

}  // namespace
