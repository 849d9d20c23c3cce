// Construction, binding to a cube or a base viewpoint, identity and the listener sides.
#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <basekit/StringConverters.h>
#include <pova/Factories.h>
#include <pova/ViewResultSet.h>
#include <pova/common/ExpressionBase.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/Module.h>
#include <provkit/ProviderLibrary.h>

#include <algorithm>
#include <cstdint>

#include "foundation/TraceLog.h"
#include "viewpoint/CacheCommon.h"
#include "viewpoint/DimensionMoveOp.h"
#include "viewpoint/Orientation.h"
#include "viewpoint/ViewpointEvents.h"
#include "viewpoint/ViewpointVisitors.h"

namespace common {

namespace {

support::InstanceCounter sInstances;

// Runs a call into a cube or document; their failures must not stop a binding step.
template <class Call>
void guarded(Call call) {
    try {
        call();
    } catch (...) {
    }
}

}  // namespace

PovaString const& ViewpointCommon::fModule() {
    return support::interfaceModule();
}

ViewpointCommon::ViewpointCommon()
    : ZELT_o::Viewpoint("ViewpointCommon", sInstances.next()),
      fDispatcher(std::make_unique<EventDispatcher>()),
      fTrace(std::make_unique<support::TraceLog>(support::interfaceModule(), "ViewpointCommon",
                                                 "ViewpointCommon")),
      fCache(std::make_unique<CacheCommon>()) {
    fProperties.reserve(10);
    SystemSupport::GenerateGUID(fGUID, true);
    SystemSupport::GenerateGUID(fDocumentGUID, true);
    init();
    fUniqueName = PovaString::build("Viewpoint%d", getInstance() + 1);
}

ViewpointCommon::~ViewpointCommon() {
    // Out of the base's child list first, so that no walk of the base reaches a viewpoint
    // that is being destroyed.
    remove_from_base_child_list();
    clearViewpoint();
    destroyQueryFields();
    // A cube or document that still knows this viewpoint must not call it once it is gone.
    detach_from_cube();
    detach_from_document();
}

unsigned ViewpointCommon::traceAddress() const {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this));
}

void ViewpointCommon::throw_error(ZELT_o::MessageCode code) {
    throw BaseError(code, fModule(), 1, 0);
}

void ViewpointCommon::throw_error(ZELT_o::MessageCode code, PovaString const& insert) {
    BaseError error(code, fModule(), 1, 0);
    error.addInsert(insert);
    throw error;
}

void ViewpointCommon::init() {
    detach_from_cube();
    release_derived_viewpoint();
    fCopyParentOrientation = true;
    remove_from_base_child_list();
    fBaseViewpoint.reset();
    dirty_viewpoint();
    fProperties.reserve(10);
    clear_property_lists();
    fPersistenceDocument.clear();
    fPersistenceRoot = XmlNode();
    fSortNameCounter = 1;
    fFilterNameCounter = 1;
    fTupleFilterNameCounter = 1;
    fFormatNameCounter = 1;
    fSubTotalNameCounter = 1;
}

void ViewpointCommon::release_derived_viewpoint() {
    fDerivedViewpoint.reset();
}

// Unregisters from the cube, which is then forgotten. A cube that said it is going away has
// already been forgotten and is not called.
void ViewpointCommon::detach_from_cube() {
    if (fCube == nullptr) {
        return;
    }
    ZELT_o::Cube* cube = std::exchange(fCube, nullptr);
    guarded([&] { cube->unregisterViewpoint(this); });
    if (std::exchange(fListeningToCube, false)) {
        guarded([&] { cube->removeCubeListener(this); });
    }
}

void ViewpointCommon::detach_from_document() {
    ZELT_o::Document* document = std::exchange(fDocument, nullptr);
    if (document != nullptr && std::exchange(fListeningToDocument, false)) {
        guarded([&] { document->removeDocumentListener(this); });
    }
}

void ViewpointCommon::remove_from_base_child_list() {
    if (!fBaseViewpoint) {
        return;
    }
    ViewpointCommon& base = *fBaseViewpoint;
    auto it = std::find(base.fChildren.begin(), base.fChildren.end(), this);
    if (it == base.fChildren.end()) {
        POVA_CHECK(!"Viewpoint missing from child list of parent");
        return;
    }
    base.fChildren.erase(it);
    fTrace->write(__LINE__, "ViewpointCommon::setBaseViewpoint",
                  "Viewpoint %d(%x) removed from child list of %d(%x)", getInstance(),
                  traceAddress(), base.getInstance(), base.traceAddress());
}

void ViewpointCommon::setCube(ZELT_o::Cube* cube, LONG numViewAxes, LONG numPagedAxes) {
    auto self = keep_alive();
    // Checked before anything changes: a refused binding leaves the viewpoint as it was.
    if (cube != nullptr && (fBaseViewpoint || fCube != nullptr)) {
        throwResult(E_UNEXPECTED);
    }
    if (numViewAxes < 0 || numPagedAxes < 0 || numViewAxes + numPagedAxes > kMostAxes) {
        throwResult(E_INVALIDARG);
    }
    release_derived_viewpoint();
    dirty_viewpoint();
    clear_property_lists();
    if (cube != nullptr) {
        fCube = cube;
        guarded([&] { cube->registerViewpoint(this); });
        guarded([&] { fListeningToCube = cube->addCubeListener(this); });
        fNumViewAxes = numViewAxes;
        fNumPagedAxes = numPagedAxes;
        detach_from_document();
        support::Ref<ZELT_o::Document> document;
        guarded([&] { document = support::adopt(cube->getDocument()); });
        if (document) {
            fDocument = document.get();
            guarded([&] { document->addDocumentListener(this); });
            fListeningToDocument = true;
        }
        auto connect = ConnectedVisitor();
        visitTree(connect);
    } else {
        detach_from_cube();
        auto disconnect = DisconnectionVisitor(false);
        visitTree(disconnect);
        fNumViewAxes = numViewAxes;
        fNumPagedAxes = numPagedAxes;
        detach_from_document();
    }
    sendEvents();
    if (std::exception_ptr error = take_connect_error()) {
        std::rethrow_exception(error);
    }
}

bool ViewpointCommon::is_ancestor_or_self(ViewpointCommon const* viewpoint) const {
    for (ViewpointCommon const* v = this; v != nullptr; v = v->fBaseViewpoint.get()) {
        if (v == viewpoint) {
            return true;
        }
    }
    return false;
}

void ViewpointCommon::setBaseViewpoint(ZELT_o::Viewpoint* base, LONG numViewAxes,
                                       LONG numPagedAxes) {
    auto self = keep_alive();
    // Only a viewpoint of this implementation can be a base; any other counts as none.
    auto newBase = support::retain(dynamic_cast<ViewpointCommon*>(base));
    // A base whose chain of bases leads back here would make a cycle that never ends.
    if (newBase && newBase->is_ancestor_or_self(this)) {
        throwResult(E_UNEXPECTED);
    }
    if (numViewAxes < 0 || numPagedAxes < 0 || numViewAxes + numPagedAxes > kMostAxes) {
        throwResult(E_INVALIDARG);
    }
    bool const wasConnected = isConnected();
    release_derived_viewpoint();
    dirty_viewpoint();
    detach_from_cube();
    remove_from_base_child_list();
    fBaseViewpoint = std::move(newBase);
    if (fBaseViewpoint) {
        fNumViewAxes = numViewAxes;
        fNumPagedAxes = numPagedAxes;
        fBaseViewpoint->fChildren.push_back(this);
        fTrace->write(__LINE__, "ViewpointCommon::setBaseViewpoint",
                      "Viewpoint %d(%x) added to child list of %d(%x)", getInstance(),
                      traceAddress(), fBaseViewpoint->getInstance(),
                      fBaseViewpoint->traceAddress());
        if (isConnected()) {
            auto connect = ConnectedVisitor();
            visitTree(connect);
        } else if (wasConnected) {
            // The tree lost its cube with the old base: it forgets what it held of it.
            auto disconnect = DisconnectionVisitor(false);
            visitTree(disconnect);
        } else {
            return;
        }
    } else {
        auto disconnect = DisconnectionVisitor(false);
        visitTree(disconnect);
        fNumViewAxes = numViewAxes;
        fNumPagedAxes = numPagedAxes;
    }
    sendEvents();
    if (std::exception_ptr error = take_connect_error()) {
        std::rethrow_exception(error);
    }
}

ZELT_o::Viewpoint* ViewpointCommon::getBaseViewpoint() {
    if (!fBaseViewpoint) {
        return nullptr;
    }
    fBaseViewpoint->addRef();
    return fBaseViewpoint.get();
}

ZELT_o::Cube* ViewpointCommon::getCube() {
    if (fBaseViewpoint) {
        return fBaseViewpoint->getCube();
    }
    if (fCube != nullptr) {
        fCube->addRef();
    }
    return fCube;
}

bool ViewpointCommon::isConnected() {
    auto cube = support::adopt(getCube());
    return static_cast<bool>(cube);
}

ViewpointCommon* ViewpointCommon::getRoot() {
    ViewpointCommon* root = this;
    while (root->fBaseViewpoint) {
        root = root->fBaseViewpoint.get();
    }
    return root;
}

ZELT_o::Document* ViewpointCommon::getDocument() {
    if (fDocument != nullptr) {
        fDocument->addRef();
    }
    return fDocument;
}

void ViewpointCommon::setDocument(ZELT_o::Document* document) {
    detach_from_document();
    fDocument = document;
    if (document != nullptr) {
        fListeningToDocument = true;
        guarded([&] { document->addDocumentListener(this); });
    }
}

void ViewpointCommon::initialiseFromExpression(PovaString& expression) {
    if (!fDerivedViewpoint) {
        throw_error(0xC201120Du);
    }
    fInitFromExpression = fDerivedViewpoint->initialiseFromExpression(expression);
}

bool ViewpointCommon::validateServerExpression(PovaString& expression) {
    if (!fDerivedViewpoint) {
        throw_error(0xC201120Du);
    }
    return fDerivedViewpoint->validateServerExpression(expression);
}

bool ViewpointCommon::validateCalculationExpression(PovaString const& expression) {
    if (!fDerivedViewpoint) {
        throw_error(0xC201120Du);
    }
    return fDerivedViewpoint->validateCalculationExpression(expression);
}

void ViewpointCommon::CreateNewExpression(ZELT_o::Expression** expression) {
    ExpressionBase::createNew(expression);
}

void ViewpointCommon::getCellSelection(LONG* row, LONG* column) {
    if (row != nullptr) {
        *row = fCellRow;
    }
    if (column != nullptr) {
        *column = fCellColumn;
    }
}

void ViewpointCommon::setCellSelection(LONG row, LONG column) {
    fCellRow = row;
    fCellColumn = column;
}

bool ViewpointCommon::setParameterStrictness(bool strict) {
    if (fBaseViewpoint) {
        return fBaseViewpoint->setParameterStrictness(strict);
    }
    fParameterStrictness = strict;
    return true;
}

bool ViewpointCommon::getParameterStrictness() {
    return fBaseViewpoint ? fBaseViewpoint->getParameterStrictness() : fParameterStrictness;
}

// --- cube and document listener sides

bool ViewpointCommon::calculationRemoved(ZELT_o::Calculation*, ZELT_o::MemberSet**,
                                         ZELT_o::Member**) {
    return false;
}

void ViewpointCommon::calculationChanged(ZELT_o::Calculation*, ZELT_o::Calculation*) {}

void ViewpointCommon::cubeChanged(ZELT_o::CubeEvent*) {}

// The cube is going away: it is forgotten without a call, and every viewpoint of the tree
// forgets what it held of it (the disconnection) before anyone can read it.
void ViewpointCommon::stopListening() {
    auto self = keep_alive();
    fCube = nullptr;
    fListeningToCube = false;
    auto disconnect = DisconnectionVisitor(false);
    visitTree(disconnect);
    sendEvents();
}

void ViewpointCommon::stopListeningToDocument() {
    fDocument = nullptr;
    fListeningToDocument = false;
}

// --- connection

void ViewpointCommon::notifyConnectedToCube() {
    clearViewpoint();
    auto cube = support::adopt(getCube());
    ZELT_o::Cube* theCube = cube.get();
    POVA_CHECK(theCube);
    if (theCube == nullptr) {
        return;
    }
    if (ProviderLibrary* library = createProviderLibrary(cube->getProviderName())) {
        fDerivedViewpoint = library->createDerivedViewpoint(*this);
    }
    if (fPersistenceDocument.loaded() && fPersistenceRoot) {
        try {
            initialize_all_from_xml();
        } catch (...) {
            // The viewpoint stays usable with its defaults; the operation that connected it
            // raises the error once the whole tree is connected.
            fConnectError = std::current_exception();
            initialize_all_to_default();
            initializeQueryFields();
        }
    } else {
        initialize_all_to_default();
        initializeQueryFields();
    }
    queueEvent(ConnectEvent());
    queueEvent(ViewpointChangeEvent());
}

void ViewpointCommon::forget_cube_objects() {
    clearViewpoint();
    destroyQueryFields();
    fDimensionMoveUndoStack.clear();
    fMoveUndo = false;
    fSwapUndo = false;
    fActiveSetUndo = false;
    fLayoutRejected = false;
    // Queued events may name the cube's dimensions; they are of a layout that is gone.
    fDispatcher->discardEvents();
}

void ViewpointCommon::notifyDisconnected(bool flag) {
    ++fConnectionCounter;
    fPersistenceDocument.clear();
    fPersistenceRoot = XmlNode();
    dirty_viewpoint();
    forget_cube_objects();
    queueEvent(DisconnectEvent(flag));
    queueEvent(ViewpointChangeEvent());
}

}  // namespace common

extern "C" ZELT_o::Viewpoint* createCommonViewpoint() {
    try {
        return new common::ViewpointCommon();
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}
