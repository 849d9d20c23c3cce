#include <pova/Listener.h>
#include <pova/common/EventDispatcher.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
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

class NumberedEvent : public common::Event {
public:
    explicit NumberedEvent(int number, int* live = nullptr) : fNumber(number), fLive(live) {
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
    int* fLive;
};

TEST(EventDispatcher, DeliversEventByEventListenerByListener) {
    Journal journal;
    Recorder a("a", journal);
    Recorder b("b", journal);
    common::EventDispatcher dispatcher;
    dispatcher.queueEvent(NumberedEvent(1));
    dispatcher.queueEvent(NumberedEvent(2));
    dispatcher.addListener(&a);
    dispatcher.addListener(&b);
    dispatcher.addListener(&a);  // a duplicate is ignored
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal, (Journal{"1/a", "1/b", "2/a", "2/b"}));
    EXPECT_EQ(dispatcher.queuedEvents(), 0u);
}

TEST(EventDispatcher, HoldKeepsTheQueueUntilForced) {
    Journal journal;
    Recorder a("a", journal);
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    dispatcher.setHoldEvents();
    EXPECT_TRUE(dispatcher.eventsHeld());
    dispatcher.queueEvent(NumberedEvent(1));
    dispatcher.sendEvents(false);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(dispatcher.queuedEvents(), 1u);
    dispatcher.sendEvents(true);
    EXPECT_EQ(journal, (Journal{"1/a"}));
    dispatcher.resetHoldEvents();
    EXPECT_FALSE(dispatcher.eventsHeld());
}

TEST(EventDispatcher, DiscardDestroysQueuedEvents) {
    Journal journal;
    Recorder a("a", journal);
    int live = 0;
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    dispatcher.queueEvent(NumberedEvent(1, &live));
    dispatcher.queueEvent(NumberedEvent(2, &live));
    EXPECT_EQ(live, 2);  // the locals are gone; the queued copies remain
    dispatcher.discardEvents();
    EXPECT_EQ(live, 0);
    dispatcher.sendEvents(true);
    EXPECT_TRUE(journal.empty());
}

TEST(EventDispatcher, SendWithoutListenersEmptiesTheQueue) {
    int live = 0;
    {
        common::EventDispatcher dispatcher;
        dispatcher.queueEvent(NumberedEvent(1, &live));
        dispatcher.sendEvents(false);
        EXPECT_EQ(live, 0);
        dispatcher.queueEvent(NumberedEvent(2, &live));
    }
    EXPECT_EQ(live, 0);  // the destructor discards
}

TEST(EventDispatcher, EventsQueuedDuringASendWaitForTheNextOne) {
    Journal journal;
    Recorder a("a", journal);
    Recorder b("b", journal);
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    dispatcher.addListener(&b);
    a.fAction = [&](int event) {
        if (event == 1) {
            dispatcher.queueEvent(NumberedEvent(3));
        }
    };
    dispatcher.queueEvent(NumberedEvent(1));
    dispatcher.queueEvent(NumberedEvent(2));
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal, (Journal{"1/a", "1/b", "2/a", "2/b"}));
    EXPECT_EQ(dispatcher.queuedEvents(), 1u);
    journal.clear();
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal, (Journal{"3/a", "3/b"}));
}

TEST(EventDispatcher, AListenerThatThrowsDropsTheRestOfTheSend) {
    Journal journal;
    Recorder a("a", journal);
    Recorder b("b", journal);
    int live = 0;
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    dispatcher.addListener(&b);
    a.fAction = [](int event) {
        if (event == 1) {
            throw std::runtime_error("listener failed");
        }
    };
    dispatcher.queueEvent(NumberedEvent(1, &live));
    dispatcher.queueEvent(NumberedEvent(2, &live));
    EXPECT_THROW(dispatcher.sendEvents(false), std::runtime_error);
    EXPECT_EQ(journal, (Journal{"1/a"}));
    EXPECT_EQ(live, 0);
    EXPECT_EQ(dispatcher.queuedEvents(), 0u);

    // The lock was released and the dispatcher still works.
    std::thread other([&] { dispatcher.queueEvent(NumberedEvent(4, &live)); });
    other.join();
    a.fAction = nullptr;
    journal.clear();
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal, (Journal{"4/a", "4/b"}));
}

TEST(EventDispatcher, ListenersRemovedDuringASendAreNotCalledAgain) {
    Journal journal;
    Recorder a("a", journal);
    Recorder b("b", journal);
    Recorder c("c", journal);
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    dispatcher.addListener(&b);
    dispatcher.addListener(&c);
    // a removes itself and b; c must still get every event, nobody gets one twice.
    a.fAction = [&](int) {
        dispatcher.removeListener(&a);
        dispatcher.removeListener(&b);
    };
    dispatcher.queueEvent(NumberedEvent(1));
    dispatcher.queueEvent(NumberedEvent(2));
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal, (Journal{"1/a", "1/c", "2/c"}));
    EXPECT_EQ(dispatcher.listenerCount(), 1u);
}

TEST(EventDispatcher, NestedSendFromAListener) {
    Journal journal;
    Recorder a("a", journal);
    Recorder b("b", journal);
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    dispatcher.addListener(&b);
    a.fAction = [&](int event) {
        if (event == 1) {
            dispatcher.queueEvent(NumberedEvent(5));
            dispatcher.sendEvents(false);  // same thread: the recursive lock admits it
            dispatcher.removeListener(&a);
        }
    };
    dispatcher.queueEvent(NumberedEvent(1));
    dispatcher.queueEvent(NumberedEvent(2));
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal, (Journal{"1/a", "5/a", "5/b", "1/b", "2/b"}));
}

TEST(EventDispatcherThreads, ConcurrentQueueingLosesNothing) {
    Journal journal;
    Recorder a("a", journal);
    common::EventDispatcher dispatcher;
    dispatcher.addListener(&a);
    constexpr int kThreads = 4;
    constexpr int kEvents = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&dispatcher, t] {
            for (int i = 0; i < kEvents; ++i) {
                dispatcher.queueEvent(NumberedEvent(t * kEvents + i));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    dispatcher.sendEvents(false);
    EXPECT_EQ(journal.size(), static_cast<std::size_t>(kThreads * kEvents));
}

}  // namespace
