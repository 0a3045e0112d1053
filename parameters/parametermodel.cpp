// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/parametermodel.h"

namespace params {

QByteArray cutField(const QByteArray &text)
{
    return text.left(kFieldLength);
}

} // namespace params
