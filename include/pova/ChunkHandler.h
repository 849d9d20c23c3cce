/// @file
/// ZELT_o::ChunkHandler receives the chunks a result set delivers for a request.
#pragma once

#include <pova/pova_export.h>

#include <functional>

namespace ZELT_o {

class Chunk;

/// Receives the chunks a result set delivers for a request.
class POVA_API ChunkHandler {
public:
    /// Takes over one reference to `chunk`. Returns false to stop the delivery; `last` marks the
    /// final chunk of the request.
    virtual bool handleChunk(Chunk* chunk, bool last) = 0;
    /// Called by a result set before slow work for the request (a database statement, say):
    /// cancelling the request then runs `interrupt`, from the cancelling thread, so that the
    /// work stops early. An empty function withdraws it; the result set withdraws it before
    /// the work's objects go away. Returns false when the request is already cancelled: the
    /// work should not start. A handler that cannot be cancelled keeps nothing and returns
    /// true.
    virtual bool onCancel(std::function<void()> interrupt);
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
