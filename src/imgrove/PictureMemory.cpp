#include "imgrove/PictureMemory.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace imgrove_detail {

namespace {

// Each block carries its capacity in front of it; the prefix keeps the block 64-byte aligned
// as far as the allocator's own alignment allows.
constexpr size_t kPrefix = 64;
// Smaller blocks are cheap to get fresh and are not kept. Under the address sanitizer nothing
// is kept, so that a picture used after deldib is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepBlocks = false;
#else
constexpr bool kKeepBlocks = true;
#endif
#else
constexpr bool kKeepBlocks = true;
#endif
constexpr size_t kKeptFrom = size_t(1) << 20;
// A kept block serves a request of at least half its size, so little memory lies idle in it.
constexpr size_t kMaxWasteFactor = 2;

struct Kept {
    uint8_t* block = nullptr;
    size_t capacity = 0;
};

// A picture and a file buffer: what one open, save or image operation frees and needs again.
std::array<Kept, 2> gKept;
size_t gNextVictim = 0;
std::mutex gMutex;
std::atomic<size_t> gLargestAsked{0};

void noteAsked(size_t size)
{
    size_t seen = gLargestAsked.load(std::memory_order_relaxed);
    while (size > seen && !gLargestAsked.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

size_t& capacityOf(uint8_t* block)
{
    return *reinterpret_cast<size_t*>(block - kPrefix);
}

uint8_t* reuse(size_t size)
{
    std::lock_guard lock(gMutex);
    Kept* best = nullptr;
    for (Kept& kept : gKept)
        if (kept.block && kept.capacity >= size && kept.capacity <= size * kMaxWasteFactor + kKeptFrom &&
            (!best || kept.capacity < best->capacity))
            best = &kept;
    if (!best)
        return nullptr;
    return std::exchange(*best, Kept{}).block;
}

}  // namespace

uint8_t* takeBlock(size_t size, bool zeroed)
{
    noteAsked(size);
    if (size == 0 || size > SIZE_MAX - kPrefix)
        return nullptr;
    if (size >= kKeptFrom) {
        if (uint8_t* block = reuse(size)) {
            if (zeroed)
                std::memset(block, 0, size);
            return block;
        }
    }
    // Fresh memory from calloc comes zeroed by the system without being touched.
    void* raw = zeroed ? std::calloc(1, size + kPrefix) : std::malloc(size + kPrefix);
    if (!raw)
        return nullptr;
    uint8_t* block = static_cast<uint8_t*>(raw) + kPrefix;
    capacityOf(block) = size;
    return block;
}

size_t takeLargestBlockAsked()
{
    return gLargestAsked.exchange(0, std::memory_order_relaxed);
}

void giveBlock(uint8_t* block)
{
    if (!block)
        return;
    const size_t capacity = capacityOf(block);
    if (kKeepBlocks && capacity >= kKeptFrom) {
        std::lock_guard lock(gMutex);
        for (Kept& kept : gKept)
            if (!kept.block) {
                kept = Kept{block, capacity};
                return;
            }
        // Both places taken: they make room in turn.
        Kept& victim = gKept[gNextVictim];
        gNextVictim = (gNextVictim + 1) % gKept.size();
        std::free(victim.block - kPrefix);
        victim = Kept{block, capacity};
        return;
    }
    std::free(block - kPrefix);
}

}  // namespace imgrove_detail
