// SPDX-License-Identifier: GPL-3.0-or-later
#include "Utf8Text.h"

#include <QStringDecoder>

namespace kestrelon {

QString textOfUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

} // namespace kestrelon
