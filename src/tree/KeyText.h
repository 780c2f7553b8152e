// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Utf8Text.h"

#include <QAnyStringView>
#include <QString>
#include <string>

namespace kestrelon {

// A key being put together from its parts: in single bytes while every part
// comes in Latin-1, as names and ids mostly do, and in UTF-16 from the first
// part that does not. Keeps its memory from key to key.
class KeyText
{
public:
    void clear()
    {
        latin1_.clear();
        wide_.truncate(0);
        isWide_ = false;
    }

    void append(QLatin1StringView part)
    {
        if (isWide_)
            wide_.append(part);
        else
            latin1_.append(part.data(), size_t(part.size()));
    }

    void append(QStringView part)
    {
        if (!isWide_) {
            wide_ = QLatin1StringView(latin1_.data(), qsizetype(latin1_.size()));
            isWide_ = true;
        }
        wide_.append(part);
    }

    void append(QUtf8StringView part)
    {
        append(QStringView(textOfUtf8(QByteArrayView(part.data(), part.size()))));
    }

    // The key so far, valid until the next change.
    QAnyStringView view() const
    {
        if (isWide_)
            return wide_;
        return QLatin1StringView(latin1_.data(), qsizetype(latin1_.size()));
    }

private:
    std::string latin1_;
    QString wide_;
    bool isWide_ = false;
};

} // namespace kestrelon
