#pragma once
// Length-prefixed text fields of the data files: one length byte n, then `capacity` character bytes of which the
// first n count. Storing a longer text cuts it to the capacity.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trelvo {

inline std::string GetShortString(const std::uint8_t* field, std::size_t capacity) {
    const std::size_t n = std::min<std::size_t>(field[0], capacity);
    return std::string(reinterpret_cast<const char*>(field + 1), n);
}

// Leaves the bytes behind the new length as they are, as the file format allows.
inline void SetShortString(std::uint8_t* field, std::size_t capacity, std::string_view text) {
    const std::size_t n = std::min(text.size(), capacity);
    field[0] = static_cast<std::uint8_t>(n);
    std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), n, field + 1);
}

inline bool ShortStringsEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t capacity) {
    const std::size_t n = std::min<std::size_t>(a[0], capacity);
    return a[0] == b[0] && std::equal(a + 1, a + 1 + n, b + 1);
}

} // namespace trelvo
