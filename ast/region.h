#pragma once

#include <cstddef>
#include <cstring>

// Tree memory. The nodes, lists and strings of a syntax tree come from the
// tree_* operations below. Outside a region they are ordinary heap blocks,
// freed one by one by the tree's free operations. Inside a region scope they
// come from the region's large blocks by bumping a pointer, and the whole
// tree goes back in one step when the region is reset or released: the
// server builds, checks and drops one tree per analysis, so freeing node by
// node would be pure overhead.
//
// A tree is wholly in one place: either every block of it came from one
// region or none did. The free operations of the tree leave a region's
// memory alone (they may be called on it, inside the scope or after it, and
// do nothing), so code that frees a tree works unchanged in both cases.

struct AstRegionBlock;

struct AstRegion {
    AstRegionBlock* blocks;  // newest first; the newest is the one being filled
    char* cursor;            // next free byte of the newest block
    char* limit;             // end of the newest block
    size_t used;             // bytes handed out since the last reset (with alignment)
    AstRegion* next_live;    // the thread's list of live regions
};

// An empty region; allocates nothing until the first tree allocation.
void ast_region_init(AstRegion* region);

// Forgets every allocation but keeps the largest block for the next tree,
// so a server analysing one document over and over stops allocating once
// the block fits the tree.
void ast_region_reset(AstRegion* region);

// Frees every block. The region may be initialised again afterwards.
void ast_region_release(AstRegion* region);

// How many blocks the region holds now (a reset region holds at most one).
size_t ast_region_block_count(const AstRegion* region);

// True when `block` lies in a block of some live region of this thread.
bool ast_region_owns(const void* block);

// Makes `region` the source of every tree allocation of this thread while
// the scope lives. Scopes nest; the innermost wins.
class AstRegionScope {
public:
    explicit AstRegionScope(AstRegion* region);
    ~AstRegionScope();
    AstRegionScope(const AstRegionScope&) = delete;
    AstRegionScope& operator=(const AstRegionScope&) = delete;

private:
    AstRegion* previous_;
};

// The region of the innermost scope, or null.
AstRegion* ast_region_current(void);

namespace ast_region_detail {
// The innermost scope's region; constinit lets other files read it directly.
extern constinit thread_local AstRegion* current;
void* take(AstRegion* region, size_t size);
void* heap_alloc(size_t size);
constexpr size_t kAlign = 8;
}  // namespace ast_region_detail

// A block of `size` bytes for the tree: from the current region, else from
// the heap. Running out of memory aborts, like every allocation here. The
// common case, room left in the region's newest block, is a pointer bump
// inlined at the call.
inline void* tree_alloc(size_t size) {
    AstRegion* region = ast_region_detail::current;
    if (region == nullptr) return ast_region_detail::heap_alloc(size);
#if !defined(__SANITIZE_ADDRESS__)
    size_t rounded = (size + ast_region_detail::kAlign - 1) & ~(ast_region_detail::kAlign - 1);
    if (size != 0 && static_cast<size_t>(region->limit - region->cursor) >= rounded) {
        char* block = region->cursor;
        region->cursor += rounded;
        region->used += rounded;
        return block;
    }
#endif
    return ast_region_detail::take(region, size);
}

// tree_alloc, zero-filled: a new node whose unused fields read as null and 0.
inline void* tree_alloc_zeroed(size_t size) { return std::memset(tree_alloc(size), 0, size); }

// A new NUL-terminated string holding the `length` bytes at `start`.
char* tree_copy_text(const char* start, size_t length);

// Resizes a tree block of `old_size` bytes to `new_size` bytes (a null block
// allocates), keeping the first min(old, new) bytes. In a region the block
// grows in place when it is the newest allocation.
void* tree_resize(void* block, size_t old_size, size_t new_size);

// Frees one heap block of the tree; does nothing for null or region memory.
void tree_free(void* block);
