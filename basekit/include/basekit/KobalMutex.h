/// @file
/// Mutexes and the scoped guard the system locks with.
#pragma once

#include <mutex>

/// A mutex (std::mutex).
class KobalMutex {
public:
    KobalMutex() = default;
    KobalMutex(KobalMutex const&) = delete;
    KobalMutex& operator=(KobalMutex const&) = delete;

    ///@{
    /// Lock, unlock, or lock when free (true then).
    void lock() { fMutex.lock(); }
    void unlock() { fMutex.unlock(); }
    bool try_lock() { return fMutex.try_lock(); }
    ///@}

private:
    std::mutex fMutex;
};

/// A mutex its holder may lock again (std::recursive_mutex).
class KobalRecursiveMutex {
public:
    KobalRecursiveMutex() = default;
    KobalRecursiveMutex(KobalRecursiveMutex const&) = delete;
    KobalRecursiveMutex& operator=(KobalRecursiveMutex const&) = delete;

    ///@{
    /// Lock, unlock, or lock when free (true then).
    void lock() { fMutex.lock(); }
    void unlock() { fMutex.unlock(); }
    bool try_lock() { return fMutex.try_lock(); }
    ///@}

private:
    std::recursive_mutex fMutex;
};

/// Holds a lock on either mutex for its lifetime.
template <class Mutex>
class [[nodiscard]] KobalSynchronized {
public:
    /// Locks `mutex` until the guard goes.
    explicit KobalSynchronized(Mutex& mutex) : fMutex(mutex) { fMutex.lock(); }
    ~KobalSynchronized() { fMutex.unlock(); }
    KobalSynchronized(KobalSynchronized const&) = delete;
    KobalSynchronized& operator=(KobalSynchronized const&) = delete;

private:
    Mutex& fMutex;
};
