// SPDX-License-Identifier: MIT
#include "store/QDArena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
constexpr size_t kHugeChunk = 2 * 1024 * 1024;
}

TQDArena::~TQDArena() {
  for (const Chunk& c : chunks_) {
    if (c.mapped)
      munmap(c.base, c.size);
    else
      std::free(c.base);
  }
}

void TQDArena::NewChunk(size_t atLeast) {
  chunks_.reserve(chunks_.size() + 1);
  size_t size = nextSize_;
  while (size < atLeast) size *= 2;
  if (nextSize_ < 16 * kHugeChunk) nextSize_ *= 2;
  Chunk c{nullptr, size, false};
  if (size >= kHugeChunk) {
    size = (size + kHugeChunk - 1) / kHugeChunk * kHugeChunk;
    // Map one huge page more than needed and trim, so the chunk starts on a 2 MiB boundary.
    size_t span = size + kHugeChunk;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    char* p = static_cast<char*>(raw);
    char* aligned = reinterpret_cast<char*>(
        (reinterpret_cast<uintptr_t>(p) + kHugeChunk - 1) & ~(uintptr_t(kHugeChunk) - 1));
    if (aligned > p) munmap(p, static_cast<size_t>(aligned - p));
    char* tail = aligned + size;
    char* spanEnd = p + span;
    if (spanEnd > tail) munmap(tail, static_cast<size_t>(spanEnd - tail));
#ifdef MADV_HUGEPAGE
    madvise(aligned, size, MADV_HUGEPAGE);
#endif
    c = Chunk{aligned, size, true};
  } else {
    c.base = std::malloc(size);
    if (!c.base) throw std::bad_alloc();
  }
  chunks_.push_back(c);
  reserved_ += c.size;
  next_ = static_cast<char*>(c.base);
  end_ = next_ + c.size;
}

void TQDArena::ReleaseFilePages(const void* base, size_t from, size_t to) {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  from = (from + page - 1) / page * page;
  to = to / page * page;
  if (to > from)
    madvise(const_cast<char*>(static_cast<const char*>(base)) + from, to - from, MADV_DONTNEED);
}

void TQDArena::AdviseHugePages(void* p, size_t bytes) {
#ifdef MADV_HUGEPAGE
  if (bytes < 2 * kHugeChunk) return;
  uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + kHugeChunk - 1) & ~(uintptr_t(kHugeChunk) - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(uintptr_t(kHugeChunk) - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}
