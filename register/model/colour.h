#pragma once

// A colour as the configuration writes it: the number 0xBBGGRR (red in the
// low byte). The model keeps colours as numbers so that it needs no window
// library; the wizard turns them into the colours it paints.

#include <cstdint>

namespace model {

struct Colour {
    std::uint32_t bgr = 0;
    friend bool operator==(const Colour &, const Colour &) = default;
};

} // namespace model
