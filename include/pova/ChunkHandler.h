/// @file
/// ZELT_o::ChunkHandler receives the chunks a result set delivers for a request.
#pragma once

#include <pova/pova_export.h>

namespace ZELT_o {

class Chunk;

/// Receives the chunks a result set delivers for a request.
class POVA_API ChunkHandler {
public:
    /// Takes over one reference to `chunk`. Returns false to stop the delivery; `last` marks the
    /// final chunk of the request.
    virtual bool handleChunk(Chunk* chunk, bool last) = 0;
    virtual ~ChunkHandler();

protected:
    ChunkHandler() = default;
    ///@{
    /// Copied only as part of a derived object.
    ChunkHandler(ChunkHandler const&) = default;
    ChunkHandler& operator=(ChunkHandler const&) = default;
    ///@}
};

}  // namespace ZELT_o
