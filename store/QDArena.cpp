// SPDX-License-Identifier: MIT
#include "store/QDArena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <mutex>
#include <new>

#include "store/QDBase.h"

namespace {

constexpr size_t kHugeChunk = 2 * 1024 * 1024;
constexpr size_t kPage = 4096;
constexpr size_t kCommitStep = 64 * 1024 * 1024;

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }

// The address space of all stores: reserved inaccessible, made readable and writable from the
// start as it is first handed out (so the kernel accounts only what was used), and handed out in
// chunks. Returned chunks are kept in a map of free ranges, merged with their neighbours, and
// handed out again; the pages of large ones are given back to the system at once. A 32-bit
// reference counts 8-byte units, so the space is at most 32 GiB.
class TSpace {
 public:
  static TSpace& Get() {
    static TSpace* space = new TSpace;  // never destroyed: arenas may go after static destructors
    return *space;
  }

  size_t Size() {
    std::lock_guard<std::mutex> lock(mutex_);
    Reserve();
    return size_;
  }

  char* Take(size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    Reserve();
    const size_t align = bytes >= kHugeChunk ? kHugeChunk : kPage;
    for (auto it = free_.begin(); it != free_.end(); ++it) {
      size_t start = RoundUp(it->first, align);
      size_t end = it->first + it->second;
      if (start + bytes > end) continue;
      size_t before = start - it->first;
      size_t after = end - (start + bytes);
      size_t from = it->first;
      free_.erase(it);
      if (before) free_[from] = before;
      if (after) free_[start + bytes] = after;
      return base_ + start;
    }
    size_t start = RoundUp(top_, align);
    if (start > size_ || bytes > size_ - start) throw std::bad_alloc();
    if (start + bytes > committed_) {
      size_t upTo = std::min(size_, RoundUp(start + bytes, kCommitStep));
      if (mprotect(base_ + committed_, upTo - committed_, PROT_READ | PROT_WRITE) != 0)
        throw std::bad_alloc();
      committed_ = upTo;
    }
    if (start > top_) Give(top_, start - top_);
    top_ = start + bytes;
    return base_ + start;
  }

  void Return(char* p, size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (bytes >= kHugeChunk) madvise(p, bytes, MADV_DONTNEED);
    Give(static_cast<size_t>(p - base_), bytes);
  }

 private:
  void Reserve() {
    if (base_) return;
    // The first page stays unused: reference 0 means none.
    for (size_t size = size_t(32) << 30; size >= (size_t(256) << 20); size /= 2) {
      void* p = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
      if (p == MAP_FAILED) continue;
      base_ = static_cast<char*>(p);
      size_ = size;
      top_ = kPage;
      committed_ = kPage;
      gQDSpace = base_;
      return;
    }
    throw std::bad_alloc();
  }

  // Adds [at, at + bytes) to the free ranges, merged with the ranges it touches.
  void Give(size_t at, size_t bytes) {
    auto next = free_.lower_bound(at);
    if (next != free_.begin()) {
      auto prev = std::prev(next);
      if (prev->first + prev->second == at) {
        at = prev->first;
        bytes += prev->second;
        free_.erase(prev);
      }
    }
    if (next != free_.end() && at + bytes == next->first) {
      bytes += next->second;
      free_.erase(next);
    }
    free_[at] = bytes;
  }

  std::mutex mutex_;
  char* base_ = nullptr;
  size_t size_ = 0;
  size_t top_ = 0;        // everything from here on was never handed out
  size_t committed_ = 0;  // readable and writable up to here
  std::map<size_t, size_t> free_;
};

}  // namespace

size_t TQDArena::SpaceSize() { return TSpace::Get().Size(); }

TQDArena::~TQDArena() {
  for (const Chunk& c : chunks_) TSpace::Get().Return(static_cast<char*>(c.base), c.size);
}

void TQDArena::NewChunk(size_t atLeast) {
  chunks_.reserve(chunks_.size() + 1);
  size_t size = nextSize_;
  while (size < atLeast) size *= 2;
  if (nextSize_ < 16 * kHugeChunk) nextSize_ *= 2;
  size = RoundUp(size, size >= kHugeChunk ? kHugeChunk : kPage);
  char* p = TSpace::Get().Take(size);
  chunks_.push_back(Chunk{p, size});
  reserved_ += size;
  next_ = p;
  end_ = p + size;
}

void TQDArena::ReleaseFilePages(const void* base, size_t from, size_t to) {
  // Whole 2 MiB blocks of the address space only: the kernel may map a file's pages with huge
  // entries, and giving back part of one splits it and interrupts every other core running this
  // process to flush its translations, which cost more than the read itself.
  // The block holding `from` was left for a later call when it was not done yet, so the range
  // starts at that block (no further back than the mapping).
  const uintptr_t at = reinterpret_cast<uintptr_t>(base);
  uintptr_t begin = std::max(at, (at + from) & ~(uintptr_t(kHugeChunk) - 1));
  uintptr_t end = (at + to) & ~(uintptr_t(kHugeChunk) - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

void TQDArena::AdviseHugePages(void* p, size_t bytes) {
#ifdef MADV_HUGEPAGE
  if (bytes < 2 * kHugeChunk) return;
  uintptr_t begin =
      (reinterpret_cast<uintptr_t>(p) + kHugeChunk - 1) & ~(uintptr_t(kHugeChunk) - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(uintptr_t(kHugeChunk) - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

// One step faults in 2 MiB (512 pages in one call) and the thread stays at most one step ahead,
// so a load holds at most that much more than it uses.
TQDArena::TFaultAhead::TFaultAhead(TQDArena& arena, size_t bytes) : arena_(arena), bumped_(0) {
  if (static_cast<size_t>(arena.end_ - arena.next_) < bytes) arena.NewChunk(bytes);
  bumped_.store(reinterpret_cast<uintptr_t>(arena.next_));
  char* from = arena.next_ - (reinterpret_cast<uintptr_t>(arena.next_) & (kPage - 1));
  char* to = arena.next_ + std::min(bytes, static_cast<size_t>(arena.end_ - arena.next_));
  if (to > from) thread_ = std::thread([this, from, to] { Run(from, to); });
}

TQDArena::TFaultAhead::~TFaultAhead() {
  bumped_.store(UINTPTR_MAX, std::memory_order_release);
  bumped_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void TQDArena::TFaultAhead::Run(char* from, char* to) {
#ifndef MADV_POPULATE_WRITE
  constexpr int MADV_POPULATE_WRITE = 23;
#endif
  constexpr size_t kLead = kHugeChunk;
  for (char* at = from; at < to;) {
    uintptr_t bumped = bumped_.load(std::memory_order_acquire);
    if (bumped == UINTPTR_MAX) return;
    if (reinterpret_cast<uintptr_t>(at) >= bumped + kLead) {
      bumped_.wait(bumped, std::memory_order_acquire);
      continue;
    }
    size_t step = std::min(kHugeChunk, static_cast<size_t>(to - at));
    if (madvise(at, step, MADV_POPULATE_WRITE) != 0) return;
    at += step;
  }
}
