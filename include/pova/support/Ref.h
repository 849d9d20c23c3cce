/// @class support::Ref
/// An owning handle to one reference of a counted object.
///
/// Ref<T>::adopt takes over a reference the caller already owns (what a factory returned);
/// Ref<T>::retain adds one. The handle releases its reference when it goes away.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace support {

template <class T>
class Ref {
public:
    /// A null handle.
    Ref() = default;
    /// A null handle.
    Ref(std::nullptr_t) {}  // NOLINT: a null handle converts implicitly

    /// Takes over the reference the caller owns.
    [[nodiscard]] static Ref adopt(T* object) {
        Ref ref;
        ref.fObject = object;
        return ref;
    }
    /// Adds a reference of its own (none for null).
    [[nodiscard]] static Ref retain(T* object) {
        if (object != nullptr) {
            object->addRef();
        }
        return adopt(object);
    }

    ///@{
    /// Copies add a reference; moves take the other's, which becomes null. A handle of a derived
    /// class converts.
    Ref(Ref const& other) : fObject(other.fObject) {
        if (fObject != nullptr) {
            fObject->addRef();
        }
    }
    Ref(Ref&& other) noexcept : fObject(std::exchange(other.fObject, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U> const& other) : Ref(retain(other.get())) {}  // NOLINT
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U>&& other) noexcept : fObject(other.detach()) {}  // NOLINT
    ///@}

    /// Releases the old reference and holds the new one.
    Ref& operator=(Ref other) noexcept {
        std::swap(fObject, other.fObject);
        return *this;
    }
    ~Ref() { reset(); }

    ///@{
    /// The object (borrowed: the handle keeps its reference), or whether there is one.
    T* get() const { return fObject; }
    T* operator->() const { return fObject; }
    T& operator*() const { return *fObject; }
    explicit operator bool() const { return fObject != nullptr; }
    ///@}

    /// Gives the reference to the caller, who must release it.
    [[nodiscard]] T* detach() { return std::exchange(fObject, nullptr); }
    /// Releases the reference; the handle becomes null.
    void reset() {
        if (T* object = std::exchange(fObject, nullptr); object != nullptr) {
            object->release();
        }
    }

    ///@{
    /// Whether two handles, or a handle and a pointer, point to the same object.
    friend bool operator==(Ref const& a, Ref const& b) { return a.fObject == b.fObject; }
    friend bool operator==(Ref const& a, T const* b) { return a.fObject == b; }
    ///@}

private:
    T* fObject = nullptr;
};

/// A handle that takes over the reference the caller owns (what a factory returned).
template <class T>
[[nodiscard]] Ref<T> adopt(T* object) {
    return Ref<T>::adopt(object);
}

/// A handle with a reference of its own.
template <class T>
[[nodiscard]] Ref<T> retain(T* object) {
    return Ref<T>::retain(object);
}

}  // namespace support
