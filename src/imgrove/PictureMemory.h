// The memory of pixel rows and file buffers. Large blocks are kept for reuse when freed: on
// these machines the first touch of fresh memory costs far more than decoding into it, and a
// program that replaces its picture (opening a file, every image operation) needs a block of
// the same size again at once. Internal to the picture library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace imgrove_detail {

// A block of at least size bytes, all zero when zeroed is true, otherwise of unknown content;
// null when memory is short. Free it with giveBlock only.
uint8_t* takeBlock(size_t size, bool zeroed);
// Frees a block from takeBlock, or keeps it for the next takeBlock; null is ignored.
void giveBlock(uint8_t* block);
// The largest block asked of takeBlock since the last call, then starts counting afresh; lets
// the tests hold each decoder to what its file may cost.
size_t takeLargestBlockAsked();

// A block held for one scope.
class Block {
public:
    Block() = default;
    Block(size_t size, bool zeroed) : data_(takeBlock(size, zeroed)), size_(data_ ? size : 0) {}
    Block(Block&& other) noexcept : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    Block& operator=(Block&&) = delete;
    ~Block() { giveBlock(data_); }
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace imgrove_detail
