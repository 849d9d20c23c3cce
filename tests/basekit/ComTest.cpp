#include <basekit/Com.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr CLSID kWidget{0x1D0C5A01, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
constexpr CLSID kGadget{0x1D0C5A01, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
constexpr IID kIWidget{0x1D0C5A01, 0x00FF, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0xFF}};

std::atomic<int> gLiveWidgets{0};

// A counted object; instances are counted to catch leaks.
class Widget final : public IUnknown {
public:
    Widget() { ++gLiveWidgets; }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
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

// The factory a component registers: a new object for IUnknown and kIWidget, else a refusal.
HRESULT makeWidget(REFIID iid, void** object) {
    if (iid != IID_IUnknown && iid != kIWidget) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IUnknown*>(new Widget());  // owned by its count
    return S_OK;
}

// Registers a class for the scope of a test; the registry is process-wide.
struct Registration {
    Registration(PovaString const& progId, CLSID const& clsid, basekit::ClassFactory factory)
        : fClsid(clsid) {
        basekit::registerComClass(progId, clsid, std::move(factory));
    }
    ~Registration() { basekit::unregisterComClass(fClsid); }
    CLSID fClsid;
};

// The class id registered under a ProgID (GUID_NULL on failure), checking the result code.
CLSID lookUp(char16_t const* progId, HRESULT expected = S_OK) {
    CLSID clsid = kGadget;
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), expected);
    return clsid;
}

// Creates an object and releases it; the result code, with the object null on failure.
HRESULT create(CLSID const& clsid, IID const& iid = IID_IUnknown, IUnknown* outer = nullptr,
               DWORD context = CLSCTX_INPROC_SERVER) {
    void* object = &object;
    HRESULT const hr = CoCreateInstance(clsid, outer, context, iid, &object);
    EXPECT_EQ(gLiveWidgets.load(), SUCCEEDED(hr) ? 1 : 0);
    EXPECT_TRUE(SUCCEEDED(hr) ? static_cast<IUnknown*>(object)->Release() == 0u : !object);
    EXPECT_EQ(gLiveWidgets.load(), 0);
    return hr;
}

TEST(Com, FindsClassIdsByProgIdIgnoringCase) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    EXPECT_TRUE(lookUp(u"Test.Widget") == kWidget && lookUp(u"test.WIDGET") == kWidget);
    EXPECT_TRUE(lookUp(u"Test.Nothing", REGDB_E_CLASSNOTREG) == GUID_NULL &&
                lookUp(u"", REGDB_E_CLASSNOTREG) == GUID_NULL &&
                lookUp(nullptr, E_INVALIDARG) == GUID_NULL);
    EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", nullptr), E_POINTER);
}

TEST(Com, CreatesCountedObjectsOfRegisteredClassesOnly) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    EXPECT_TRUE(create(kWidget, kIWidget) == S_OK &&
                create(kWidget, IID_IUnknown, nullptr, CLSCTX_ALL) == S_OK);
    // The factory's refusal of an interface reaches the caller, with no object left behind.
    EXPECT_EQ(create(kWidget, kGadget), E_NOINTERFACE);
    EXPECT_EQ(create(kGadget), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(create(kWidget, IID_IUnknown, nullptr, 0x4), REGDB_E_CLASSNOTREG);  // local server
    EXPECT_EQ(CoCreateInstance(kWidget, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
    Widget* outer = new Widget();  // owned by its count
    void* object = &object;
    EXPECT_TRUE(CoCreateInstance(kWidget, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &object) ==
                    CLASS_E_NOAGGREGATION &&
                object == nullptr);
    outer->Release();
}

TEST(Com, GuardsAgainstMisbehavingFactories) {
    {
        Registration const throwing(u"Test.Throwing", kGadget, [](REFIID, void**) -> HRESULT {
            throw std::runtime_error("factory failed");
        });
        EXPECT_EQ(create(kGadget), E_UNEXPECTED);
    }
    {
        Registration const empty(u"Test.Empty", kGadget, [](REFIID, void**) { return S_OK; });
        EXPECT_EQ(create(kGadget), E_UNEXPECTED);
    }
    Registration const none(u"Test.None", kGadget, basekit::ClassFactory());
    EXPECT_EQ(create(kGadget), REGDB_E_CLASSNOTREG);
}

TEST(Com, ASecondRegistrationReplacesTheFirst) {
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    {
        // The same ProgID under another class id: the old class is gone.
        Registration const moved(u"TEST.widget", kGadget, makeWidget);
        EXPECT_TRUE(lookUp(u"Test.Widget") == kGadget && create(kWidget) == REGDB_E_CLASSNOTREG);
    }
    // The same class id under another ProgID: the old ProgID is gone.
    basekit::registerComClass(u"Test.Widget", kWidget, makeWidget);
    basekit::registerComClass(u"Test.Renamed", kWidget, makeWidget);
    EXPECT_TRUE(lookUp(u"Test.Widget", REGDB_E_CLASSNOTREG) == GUID_NULL &&
                lookUp(u"Test.Renamed") == kWidget);
    basekit::unregisterComClass(kWidget);
    EXPECT_TRUE(lookUp(u"Test.Renamed", REGDB_E_CLASSNOTREG) == GUID_NULL &&
                create(kWidget) == REGDB_E_CLASSNOTREG);
}

TEST(Com, FactoriesMayUseTheRegistry) {
    // A factory that looks up and creates another class: no lock is held while it runs.
    Registration const widget(u"Test.Widget", kWidget, makeWidget);
    Registration const gadget(u"Test.Gadget", kGadget, [](REFIID iid, void** object) {
        CLSID inner{};
        HRESULT const hr = CLSIDFromProgID(u"Test.Widget", &inner);
        return FAILED(hr) ? hr : CoCreateInstance(inner, nullptr, CLSCTX_ALL, iid, object);
    });
    EXPECT_EQ(create(kGadget), S_OK);
}

TEST(ComThreads, RegistryIsSafeFromManyThreads) {
    std::atomic<int> failures{0};
    auto const work = [&failures](int t) {
        CLSID const own{0x1D0C5B00u + static_cast<std::uint32_t>(t), 0, 0x4000, {0x80}};
        PovaString const progId = PovaString::build("Test.Thread%d", t);
        for (int i = 0; i < 300; ++i) {
            basekit::registerComClass(progId, own, makeWidget);
            CLSID found{};
            void* object = nullptr;
            bool const ok =
                CLSIDFromProgID(progId.c_str(), &found) == S_OK && found == own &&
                CoCreateInstance(own, nullptr, CLSCTX_ALL, IID_IUnknown, &object) == S_OK;
            failures += ok ? static_cast<int>(static_cast<IUnknown*>(object)->Release()) : 1;
            basekit::unregisterComClass(own);
        }
    };
    {
        std::vector<std::jthread> threads;  // joined at the end of the block
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back(work, t);
        }
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(gLiveWidgets.load(), 0);
}

}  // namespace
