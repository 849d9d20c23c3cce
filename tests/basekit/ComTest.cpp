#include <basekit/Com.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr CLSID kWidget{0x1D0C5A01, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
constexpr CLSID kGadget{0x1D0C5A01, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
constexpr IID kIWidget{0x1D0C5A01, 0x00FF, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0xFF}};

std::atomic<int> gLiveWidgets{0};

// A counted object that answers for IUnknown and kIWidget.
class Widget final : public IUnknown {
public:
    Widget() { ++gLiveWidgets; }
    Widget(Widget const&) = delete;
    Widget& operator=(Widget const&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == kIWidget) {
            AddRef();
            *object = static_cast<IUnknown*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++fCount; }
    ULONG Release() override {
        ULONG const count = --fCount;
        if (count == 0) {
            delete this;
        }
        return count;
    }

private:
    ~Widget() { --gLiveWidgets; }
    std::atomic<ULONG> fCount{1};
};

// The factory a component registers: a new object asked for the interface.
HRESULT makeWidget(REFIID iid, void** object) {
    auto* widget = new Widget();  // owned by its count from here on
    HRESULT const hr = widget->QueryInterface(iid, object);
    widget->Release();
    return hr;
}

// Registers a class for the scope of a test; the registry is process-wide.
class Registration {
public:
    Registration(PovaString const& progId, CLSID const& clsid, basekit::ClassFactory factory)
        : fClsid(clsid) {
        basekit::registerComClass(progId, clsid, std::move(factory));
    }
    ~Registration() { basekit::unregisterComClass(fClsid); }
    Registration(Registration const&) = delete;
    Registration& operator=(Registration const&) = delete;

private:
    CLSID fClsid;
};

HRESULT create(CLSID const& clsid, IID const& iid, void** object) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

TEST(Com, FindsClassIdsByProgIdIgnoringCase) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", &clsid), S_OK);
    EXPECT_EQ(clsid, kWidget);
    clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(u"test.WIDGET", &clsid), S_OK);
    EXPECT_EQ(clsid, kWidget);
}

TEST(Com, RefusesUnknownProgIdsAndNullArguments) {
    CLSID clsid = kGadget;
    EXPECT_EQ(CLSIDFromProgID(u"Test.Nothing", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(clsid, GUID_NULL);
    EXPECT_EQ(CLSIDFromProgID(u"", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", nullptr), E_POINTER);
}

TEST(Com, CreatesCountedObjectsThroughTheFactory) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    void* object = nullptr;
    ASSERT_EQ(create(kWidget, kIWidget, &object), S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(gLiveWidgets.load(), 1);
    auto* unknown = static_cast<IUnknown*>(object);
    EXPECT_EQ(unknown->Release(), 0u);
    EXPECT_EQ(gLiveWidgets.load(), 0);

    // The factory's refusal of an interface reaches the caller, with no object left behind.
    object = &object;
    EXPECT_EQ(create(kWidget, kGadget, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(gLiveWidgets.load(), 0);
}

TEST(Com, RefusesUnknownClassesAndBadArguments) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    void* object = &object;
    EXPECT_EQ(create(kGadget, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(create(kWidget, IID_IUnknown, nullptr), E_POINTER);

    void* outerObject = nullptr;
    ASSERT_EQ(makeWidget(IID_IUnknown, &outerObject), S_OK);
    auto* outer = static_cast<IUnknown*>(outerObject);
    object = &object;
    EXPECT_EQ(CoCreateInstance(kWidget, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    outer->Release();

    constexpr DWORD kLocalServer = 0x4;
    EXPECT_EQ(CoCreateInstance(kWidget, nullptr, kLocalServer, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(kWidget, nullptr, CLSCTX_ALL, IID_IUnknown, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(gLiveWidgets.load(), 0);
}

TEST(Com, GuardsAgainstMisbehavingFactories) {
    void* object = &object;
    {
        Registration const throwing(u"Test.Throwing", kGadget, [](REFIID, void**) -> HRESULT {
            throw std::runtime_error("factory failed");
        });
        EXPECT_EQ(create(kGadget, IID_IUnknown, &object), E_UNEXPECTED);
        EXPECT_EQ(object, nullptr);
    }
    {
        Registration const empty(u"Test.Empty", kGadget,
                                 [](REFIID, void**) -> HRESULT { return S_OK; });
        object = &object;
        EXPECT_EQ(create(kGadget, IID_IUnknown, &object), E_UNEXPECTED);
        EXPECT_EQ(object, nullptr);
    }
    {
        Registration const none(u"Test.None", kGadget, basekit::ClassFactory());
        EXPECT_EQ(create(kGadget, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    }
}

TEST(Com, ASecondRegistrationReplacesTheFirst) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    {
        // The same ProgID under another class id: the old class is gone.
        Registration const moved(u"TEST.widget", kGadget, makeWidget);
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", &clsid), S_OK);
        EXPECT_EQ(clsid, kGadget);
        void* object = nullptr;
        EXPECT_EQ(create(kWidget, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    }
    // The same class id under another ProgID: the old ProgID is gone.
    basekit::registerComClass(u"Test.Widget", kWidget, makeWidget);
    basekit::registerComClass(u"Test.Renamed", kWidget, makeWidget);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(u"Test.Renamed", &clsid), S_OK);
    EXPECT_EQ(clsid, kWidget);

    basekit::unregisterComClass(kWidget);
    EXPECT_EQ(CLSIDFromProgID(u"Test.Renamed", &clsid), REGDB_E_CLASSNOTREG);
    void* object = nullptr;
    EXPECT_EQ(create(kWidget, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
}

TEST(Com, FactoriesMayUseTheRegistry) {
    // A factory that looks up and creates another class: no lock is held while it runs.
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    Registration const gadget(u"Test.Gadget", kGadget, [](REFIID iid, void** object) {
        CLSID inner{};
        HRESULT const hr = CLSIDFromProgID(u"Test.Widget", &inner);
        if (FAILED(hr)) {
            return hr;
        }
        return CoCreateInstance(inner, nullptr, CLSCTX_INPROC_SERVER, iid, object);
    });
    void* object = nullptr;
    ASSERT_EQ(create(kGadget, IID_IUnknown, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(gLiveWidgets.load(), 0);
}

TEST(ComThreads, RegistryIsSafeFromManyThreads) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 300;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            CLSID own{0x1D0C5B00u + static_cast<std::uint32_t>(t), 0, 0x4000, {0x80}};
            PovaString const progId = PovaString::build("Test.Thread%d", t);
            for (int i = 0; i < kRounds; ++i) {
                basekit::registerComClass(progId, own, makeWidget);
                CLSID found{};
                void* object = nullptr;
                if (CLSIDFromProgID(progId.c_str(), &found) != S_OK || found != own ||
                    create(own, IID_IUnknown, &object) != S_OK) {
                    ++failures;
                } else {
                    static_cast<IUnknown*>(object)->Release();
                }
                basekit::unregisterComClass(own);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(gLiveWidgets.load(), 0);
}

}  // namespace
