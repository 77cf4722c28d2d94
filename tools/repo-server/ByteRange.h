#pragma once

#include <cstdint>
#include <string>

namespace velora::tools {

// The part of a file that one Range header asks for.
struct ByteRange {
    enum class Kind { Whole, Part, Unsatisfiable };
    Kind kind = Kind::Whole;
    // The first and last byte, both included, for Part.
    std::uint64_t first = 0;
    std::uint64_t last = 0;

    // From the header's value (empty when there is none) and the file's size: a single range of
    // bytes is answered as asked, its end cut to the file; a list of several ranges, or another
    // unit, is ignored (the whole file); a range starting at or after the end, or unreadable,
    // cannot be satisfied.
    static ByteRange resolve(const std::string& header, std::uint64_t size);
};

}  // namespace velora::tools
