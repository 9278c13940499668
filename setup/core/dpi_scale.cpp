#include "dpi_scale.h"

#include <algorithm>

namespace setup {

int ScaleToDpi(int value, int dpi) {
    if (dpi <= 0 || dpi == kDesignDpi) return value;
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kDesignDpi / 2;
    const long long scaled = product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi;
    return static_cast<int>(std::clamp<long long>(scaled, -0x7fffffffLL - 1, 0x7fffffffLL));
}

}  // namespace setup
