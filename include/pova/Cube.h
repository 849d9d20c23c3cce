/// @class ZELT_o::Cube
/// A provider's cube. The cube owns its dimensions, hierarchies, levels and
/// members: pointers to them that its operations return are borrowed and stay valid while the
/// cube lives. Operations that create an object hand one reference to the caller.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/pova_export.h>
#include <pova/support/NamedPart.h>
#include <provkit/FavoritesCollection.h>
#include <provkit/OLAPBrowsable.h>

#include <vector>

class XmlSupport;

namespace ZELT_o {

class Calculation;
class CubeEvent;
class CubeListener;
class Dimension;
class Document;
class Member;
class MemberSet;
class Parameter;
class Viewpoint;

class POVA_API Cube : public common::OLAPBrowsable,
                      public support::NamedPart,
                      public FavoritesCollection::FavoritesCollectionListener {
public:
    /// The counting base has a getName() of its own (the module name); the object's name wins.
    using support::NamedPart::getName;

    /// How a viewpoint hears of its cube.
    class POVA_API Listener {
    public:
        /// A calculation is being removed. What a listener answers (and hands back through `set`
        /// and `member`) is the provider's business; the library's viewpoint answers false.
        virtual bool calculationRemoved(Calculation* calculation, MemberSet** set,
                                        Member** member) = 0;
        /// A calculation was replaced by another.
        virtual void calculationChanged(Calculation* before, Calculation* after) = 0;
        /// The cube's structure or data changed.
        virtual void cubeChanged(CubeEvent* event) = 0;
        /// The cube is going away: forget it without calling it again.
        virtual void stopListening() = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

    /// The name under which the provider's library is registered.
    virtual PovaString getProviderName() const = 0;

    ///@{
    /// Viewpoints bound to the cube register themselves.
    virtual void registerViewpoint(Viewpoint* viewpoint) = 0;
    virtual void unregisterViewpoint(Viewpoint* viewpoint) = 0;
    ///@}
    ///@{
    /// Returns whether the listener was added. A listener hears stopListening() when the cube
    /// goes away.
    virtual bool addCubeListener(Listener* listener) = 0;
    virtual void removeCubeListener(Listener* listener) = 0;
    ///@}
    ///@{
    /// Registers or removes a client's listener (not counted).
    virtual void addListener(CubeListener* listener) = 0;
    virtual void removeListener(CubeListener* listener) = 0;
    ///@}

    ///@{
    /// Dimensions in cube order (borrowed).
    virtual LONG countDimensions() const = 0;
    virtual Dimension* getDimension(LONG ordinal) const = 0;
    virtual void getDimensions(std::vector<Dimension*>& dimensions) const = 0;
    virtual Dimension* findDimension(PovaString const& uniqueName) const = 0;
    ///@}

    /// The document the cube belongs to, with one reference for the caller, or null.
    virtual Document* getDocument() const = 0;
    /// Whether a new viewpoint excludes empty rows and columns by default.
    virtual bool getDefaultExcludeEmpty() const = 0;

    /// Classifies a name for the expression lexer: 0 unknown, or a class 1 to 6 (1 member,
    /// 2 level, 3 hierarchy, 4 dimension, 5 measure, 6 set). On success `name` receives the
    /// canonical text.
    virtual LONG classifyName(PovaString& name) const = 0;
    /// The parameters expressions may refer to (borrowed), in order.
    virtual void getParameters(std::vector<Parameter*>& parameters) const = 0;

    /// Calculated members of all hierarchies.
    virtual bool hasCalculations() const = 0;
    /// A new, empty calculation (one reference for the caller).
    virtual Calculation* createCalculation() = 0;
    /// The calculation of that unique name (borrowed), or null.
    virtual Calculation* findCalculation(PovaString const& uniqueName) const = 0;
    /// Writes every calculation into `element`.
    virtual void saveCalculations(XmlSupport& xml, XmlNode element) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Cube(char const* module, LONG instance) : common::OLAPBrowsable(module, instance) {}
    ~Cube() override;
};

}  // namespace ZELT_o
