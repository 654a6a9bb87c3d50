#include "ast/region.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diag/memory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Memory of a reset region stays mapped but must not be read: poisoning it
// lets the sanitizer build catch a tree used after its analysis.
#define TREE_POISON(start, size) ASAN_POISON_MEMORY_REGION(start, size)
#define TREE_UNPOISON(start, size) ASAN_UNPOISON_MEMORY_REGION(start, size)
#else
#define TREE_POISON(start, size) ((void)(start), (void)(size))
#define TREE_UNPOISON(start, size) ((void)(start), (void)(size))
#endif

struct AstRegionBlock {
    AstRegionBlock* next;
    size_t size;  // bytes of payload after this header
};

namespace {

// Every block handed out is aligned for any node field (pointers, doubles,
// 64-bit counts).
using ast_region_detail::kAlign;
constexpr size_t kFirstBlock = 64 * 1024;

thread_local AstRegion* live_regions = nullptr;

size_t round_up(size_t size) { return (size + kAlign - 1) & ~(kAlign - 1); }

char* payload(AstRegionBlock* block) { return reinterpret_cast<char*>(block + 1); }

void start_filling(AstRegion* region, AstRegionBlock* block) {
    region->cursor = payload(block);
    region->limit = payload(block) + block->size;
}

// A new newest block with room for at least `size` bytes; blocks double so
// that a tree of n bytes lives in O(log n) of them.
void add_block(AstRegion* region, size_t size) {
    size_t last = region->blocks != nullptr ? region->blocks->size : kFirstBlock / 2;
    size_t payload_size = last * 2;
    if (payload_size < size) payload_size = round_up(size);
    auto* block = static_cast<AstRegionBlock*>(alloc_or_abort(sizeof(AstRegionBlock) + payload_size));
    block->next = region->blocks;
    block->size = payload_size;
    region->blocks = block;
    start_filling(region, block);
    TREE_POISON(region->cursor, payload_size);
}

void* region_take(AstRegion* region, size_t size) {
    size = round_up(size == 0 ? 1 : size);
    if (static_cast<size_t>(region->limit - region->cursor) < size) add_block(region, size);
    char* block = region->cursor;
    region->cursor += size;
    region->used += size;
    TREE_UNPOISON(block, size);
    return block;
}

bool region_owns(const AstRegion* region, const void* pointer) {
    auto address = reinterpret_cast<uintptr_t>(pointer);
    for (AstRegionBlock* block = region->blocks; block != nullptr; block = block->next) {
        auto start = reinterpret_cast<uintptr_t>(payload(block));
        if (address >= start && address < start + block->size) return true;
    }
    return false;
}

void unlink_live(AstRegion* region) {
    for (AstRegion** link = &live_regions; *link != nullptr; link = &(*link)->next_live) {
        if (*link == region) {
            *link = region->next_live;
            return;
        }
    }
}

}  // namespace

constinit thread_local AstRegion* ast_region_detail::current = nullptr;

void* ast_region_detail::take(AstRegion* region, size_t size) { return region_take(region, size); }

void* ast_region_detail::heap_alloc(size_t size) { return alloc_or_abort(size); }

void ast_region_init(AstRegion* region) {
    *region = AstRegion{nullptr, nullptr, nullptr, 0, live_regions};
    live_regions = region;
}

void ast_region_reset(AstRegion* region) {
    AstRegionBlock* largest = region->blocks;
    for (AstRegionBlock* block = region->blocks; block != nullptr; block = block->next) {
        if (block->size > largest->size) largest = block;
    }
    for (AstRegionBlock* block = region->blocks; block != nullptr;) {
        AstRegionBlock* next = block->next;
        if (block != largest) std::free(block);
        block = next;
    }
    region->blocks = largest;
    region->used = 0;
    if (largest == nullptr) {
        region->cursor = region->limit = nullptr;
        return;
    }
    largest->next = nullptr;
    start_filling(region, largest);
    TREE_POISON(region->cursor, largest->size);
}

void ast_region_release(AstRegion* region) {
    unlink_live(region);
    for (AstRegionBlock* block = region->blocks; block != nullptr;) {
        AstRegionBlock* next = block->next;
        TREE_UNPOISON(payload(block), block->size);
        std::free(block);
        block = next;
    }
    if (ast_region_detail::current == region) ast_region_detail::current = nullptr;
    *region = AstRegion{nullptr, nullptr, nullptr, 0, nullptr};
}

size_t ast_region_block_count(const AstRegion* region) {
    size_t count = 0;
    for (AstRegionBlock* block = region->blocks; block != nullptr; block = block->next) ++count;
    return count;
}

bool ast_region_owns(const void* block) {
    if (block == nullptr) return false;
    for (const AstRegion* region = live_regions; region != nullptr; region = region->next_live) {
        if (region_owns(region, block)) return true;
    }
    return false;
}

AstRegionScope::AstRegionScope(AstRegion* region) : previous_(ast_region_detail::current) {
    ast_region_detail::current = region;
}

AstRegionScope::~AstRegionScope() { ast_region_detail::current = previous_; }

AstRegion* ast_region_current(void) { return ast_region_detail::current; }

char* tree_copy_text(const char* start, size_t length) {
    char* text = static_cast<char*>(tree_alloc(length + 1));
    std::memcpy(text, start, length);
    text[length] = '\0';
    return text;
}

void* tree_resize(void* block, size_t old_size, size_t new_size) {
    AstRegion* region = ast_region_detail::current;
    if (region == nullptr) return realloc_or_abort(block, new_size);
    // The newest allocation of the block being filled grows in place.
    char* start = static_cast<char*>(block);
    size_t old_rounded = round_up(old_size == 0 ? 1 : old_size);
    if (block != nullptr && start + old_rounded == region->cursor) {
        size_t new_rounded = round_up(new_size == 0 ? 1 : new_size);
        if (new_rounded <= old_rounded ||
            static_cast<size_t>(region->limit - start) >= new_rounded) {
            region->cursor = start + new_rounded;
            region->used = region->used - old_rounded + new_rounded;
            TREE_UNPOISON(start, new_rounded);
            return block;
        }
    }
    void* resized = region_take(region, new_size);
    if (block != nullptr) std::memcpy(resized, block, old_size < new_size ? old_size : new_size);
    return resized;
}

void tree_free(void* block) {
    if (block == nullptr || ast_region_owns(block)) return;
    std::free(block);
}
