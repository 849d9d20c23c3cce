// support::Ref<T>: an owning handle to one reference of a counted object.
//
// Ref<T>::adopt takes over a reference the caller already owns (what a factory returned);
// Ref<T>::retain adds one. The handle releases its reference when it goes away.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace support {

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}  // NOLINT: a null handle converts implicitly

    [[nodiscard]] static Ref adopt(T* object) {
        Ref ref;
        ref.fObject = object;
        return ref;
    }
    [[nodiscard]] static Ref retain(T* object) {
        if (object != nullptr) {
            object->addRef();
        }
        return adopt(object);
    }

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

    Ref& operator=(Ref other) noexcept {
        std::swap(fObject, other.fObject);
        return *this;
    }
    ~Ref() { reset(); }

    T* get() const { return fObject; }
    T* operator->() const { return fObject; }
    T& operator*() const { return *fObject; }
    explicit operator bool() const { return fObject != nullptr; }

    // Gives the reference to the caller, who must release it.
    [[nodiscard]] T* detach() { return std::exchange(fObject, nullptr); }
    void reset() {
        if (T* object = std::exchange(fObject, nullptr); object != nullptr) {
            object->release();
        }
    }

    friend bool operator==(Ref const& a, Ref const& b) { return a.fObject == b.fObject; }
    friend bool operator==(Ref const& a, T const* b) { return a.fObject == b; }

private:
    T* fObject = nullptr;
};

template <class T>
[[nodiscard]] Ref<T> adopt(T* object) {
    return Ref<T>::adopt(object);
}

template <class T>
[[nodiscard]] Ref<T> retain(T* object) {
    return Ref<T>::retain(object);
}

}  // namespace support
