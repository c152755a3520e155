// SPDX-License-Identifier: MIT
// TQDArena: the memory a node store bumps its nodes, slot arrays and strings out of.
//
// Chunks come from one address space shared by every store of the process (gQDSpace in
// store/QDBase.h), so that a node refers to its children, strings and parent in 32 bits. They
// grow geometrically from 64 KiB to 32 MiB. The first touch of every 4 KiB page costs the
// kernel a fault and a clear, and a loaded catalog touches hundreds of megabytes at once: a large
// load has them faulted in on another core (TFaultAhead). Chunks are not advised for transparent
// huge pages: where the kernel compacts memory to find them (its default for advised memory), a
// load in a long-running window process spent several times longer in the kernel. An arena
// gives its chunks back to the space when the last store holding it lets go. Only the store that
// created an arena bumps out of it (one thread); other stores only keep it alive.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

class TQDArena {
 public:
  TQDArena() = default;
  ~TQDArena();
  TQDArena(const TQDArena&) = delete;
  TQDArena& operator=(const TQDArena&) = delete;

  // A block of `bytes` (a multiple of 8), 8-aligned. Throws std::bad_alloc.
  void* Bump(size_t bytes) {
    if (static_cast<size_t>(end_ - next_) < bytes) NewChunk(bytes);
    void* p = next_;
    next_ += bytes;
    return p;
  }
  size_t ReservedBytes() const { return reserved_; }
  // Makes the next chunk at least `bytes` large (a load that knows its size asks for it at once;
  // pages of a chunk cost nothing until they are touched).
  void Expect(size_t bytes) {
    if (bytes > nextSize_) nextSize_ = bytes;
  }
  // While one long run of Bump calls goes on (a large load), a second thread faults in the next
  // pages of the current chunk, up to 2 MiB ahead of the bumping, so that the kernel clears
  // them on the other core instead of at the bumping thread's first touch. Progress() tells the
  // thread how far the bumping has come; the destructor stops it. Pages beyond the chunk are never
  // touched, and where the kernel cannot populate pages the thread simply ends.
  class TFaultAhead {
   public:
    TFaultAhead(TQDArena& arena, size_t bytes);
    ~TFaultAhead();
    TFaultAhead(const TFaultAhead&) = delete;
    TFaultAhead& operator=(const TFaultAhead&) = delete;
    void Progress() {
      bumped_.store(reinterpret_cast<uintptr_t>(arena_.next_), std::memory_order_release);
      bumped_.notify_one();
    }

   private:
    void Run(char* from, char* to);
    TQDArena& arena_;
    std::atomic<uintptr_t> bumped_;
    std::thread thread_;
  };

  // Advises the 2 MiB-aligned interior of a large, not yet touched buffer for huge pages.
  static void AdviseHugePages(void* p, size_t bytes);
  // Drops the pages of a private read-only file mapping (whose start `base` is page-aligned) up to
  // base + to from the process, in whole 2 MiB blocks of the address space, from the block that
  // holds base + from (everything before `to` is done with); a later read faults them in again.
  static void ReleaseFilePages(const void* base, size_t from, size_t to);
  // The bytes of the shared address space (reserved at the first chunk): the most every store of
  // the process together can hold. Throws std::bad_alloc when no space could be reserved.
  static size_t SpaceSize();

 private:
  void NewChunk(size_t atLeast);
  struct Chunk {
    void* base;
    size_t size;
  };
  std::vector<Chunk> chunks_;
  char* next_ = nullptr;
  char* end_ = nullptr;
  size_t nextSize_ = 64 * 1024;
  size_t reserved_ = 0;
};
