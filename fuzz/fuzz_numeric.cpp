// SPDX-License-Identifier: GPL-3.0-or-later
// Val reads any text as a finite number; CInt16 gives it rounded half to even when that fits,
// and throws "Overflow" otherwise.

#include "Numeric.h"
#include "RuntimeError.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const double value = Val(QString::fromUtf8(QByteArrayView(data, qsizetype(size))));
    const double rounded = std::nearbyint(value);
    try {
        if (!std::isfinite(value) || CInt16(value) != rounded)
            std::abort();
    } catch (const RuntimeError& e) {
        if ((rounded >= -32768 && rounded <= 32767) || e.description() != QLatin1String("Overflow"))
            std::abort();
    }
    return 0;
}
