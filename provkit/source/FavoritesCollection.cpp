#include <provkit/FavoritesCollection.h>

FavoritesCollection::FavoritesCollectionListener::~FavoritesCollectionListener() = default;
