// memcube's threads: how many a scan or a load uses, and a fork-join loop over numbered blocks.
//
// Work is always cut into blocks by the data, never by the thread count, and every block's
// result is combined in block order: the number of threads changes how fast a result comes,
// never its value.
#pragma once

#include <cstddef>
#include <functional>

namespace memcube {

// The threads a job of `blocks` blocks of `blockSize` items each runs on: the count set with
// MemCube::setThreadCount, else POVA_MEMCUBE_THREADS, else the machine's cores (and then one
// for a job too small to repay starting a thread); never more than the blocks.
unsigned threadsFor(std::size_t blocks, std::size_t blockSize);

// Runs work(block, worker) for every block 0 .. count - 1 on `threads` threads, the caller's
// among them; worker (0 .. threads - 1) tells which thread runs it, so that each may keep its
// own scratch space. Blocks are handed out in increasing order. The first exception a block
// throws is rethrown here once every thread has stopped; the blocks not started by then are
// skipped.
void forEachBlock(std::size_t count, unsigned threads,
                  std::function<void(std::size_t block, unsigned worker)> const& work);

}  // namespace memcube
