// A heap copy of some bytes in a block of exactly their size, so that
// AddressSanitizer reports any read or write one byte past the end.
#ifndef VANTIR_TESTS_SUPPORT_EXACT_BUFFER_H
#define VANTIR_TESTS_SUPPORT_EXACT_BUFFER_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vantir::testing {

class ExactBuffer {
  public:
    // `shift` bytes of slack in front move the data off malloc's alignment.
    ExactBuffer(const void* data, size_t size, size_t shift = 0)
        : block_(static_cast<unsigned char*>(std::malloc(size + shift == 0 ? 1 : size + shift))),
          size_(size),
          shift_(shift) {
        if (size > 0) std::memcpy(block_ + shift, data, size);
    }
    ~ExactBuffer() { std::free(block_); }
    ExactBuffer(const ExactBuffer&) = delete;
    ExactBuffer& operator=(const ExactBuffer&) = delete;

    unsigned char* data() { return block_ + shift_; }
    uint32_t size() const { return static_cast<uint32_t>(size_); }

  private:
    unsigned char* block_;
    size_t size_;
    size_t shift_;
};

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_EXACT_BUFFER_H
