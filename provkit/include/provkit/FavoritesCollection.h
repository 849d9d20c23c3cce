/// @class FavoritesCollection
/// The user's saved selections of a browsable object. Only the listener
/// side is used here: a cube hears of changes to its favourites through it.
#pragma once

#include <provkit/provkit_export.h>

class FavoritesCollection {
public:
    /// Hears of changes to the favourites.
    class PROVKIT_API FavoritesCollectionListener {
    public:
        /// The favourites changed.
        virtual void favoritesChanged() = 0;

    protected:
        FavoritesCollectionListener() = default;
        virtual ~FavoritesCollectionListener();

    public:
        FavoritesCollectionListener(FavoritesCollectionListener const&) = delete;
        FavoritesCollectionListener& operator=(FavoritesCollectionListener const&) = delete;
    };
};
