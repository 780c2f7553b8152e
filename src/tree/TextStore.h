// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LargeBlock.h"

#include <QAnyStringView>
#include <QString>
#include <memory>
#include <vector>

namespace kestrelon {

// Append-only storage for many short texts: each is kept in one byte a
// character when all its characters are Latin-1, otherwise as UTF-16, or as
// the UTF-8 it was given in, in large chunks rather than one allocation a
// text. A text reads back exactly as it was added.
class TextStore
{
public:
    // Which chunk (upper 11 bits) and where in it, in bytes.
    using Ref = quint32;

    // Latin-1 and UTF-8 are copied as they stand; UTF-16 is kept in single
    // bytes where every character fits.
    Ref add(QAnyStringView text);

    // The stored text, valid as long as the store; or only the first
    // `length` units of it (bytes of UTF-8).
    QAnyStringView view(Ref ref) const { return view(ref, -1); }
    QAnyStringView view(Ref ref, qsizetype length) const;
    QString text(Ref ref) const;
    // Asks the processor to start loading a text, to be read a little later.
    void prefetch(Ref ref) const { prefetchLine(at(ref)); }

    // Chunks of 2 MiB (or one text, when it is larger): 11 bits of chunk
    // number make room for 4 GiB of text in one store.
    static constexpr int offsetBits = 21;
    static constexpr size_t maxChunks = size_t(1) << (32 - offsetBits);

    // Whether every character is Latin-1, and so kept in one byte.
    static bool fitsLatin1(QStringView text);
    // Writes such characters to `out`, one byte each.
    static void narrow(QStringView text, char *out);

    // Bytes taken by the chunks so far.
    size_t capacity() const { return capacity_; }

private:
    static constexpr size_t chunkBytes = size_t(1) << offsetBits;

    const char *at(Ref ref) const
    {
        return chunks_[size_t(ref >> offsetBits)].data() + size_t(ref & (chunkBytes - 1));
    }

    enum class Form : quint8 { Latin1, Utf16, Utf8 };

    Ref addBytes(Form form, const char *bytes, qsizetype length);
    Ref addUtf16(QStringView text);
    // Room for a text of `length` units, its header written.
    char *start(qsizetype length, Form form, Ref &ref);
    void makeRoom(size_t bytes);

    std::vector<LargeBlock> chunks_;
    size_t used_ = 0; // bytes used in the last chunk
    size_t last_ = 0; // size of the last chunk
    size_t capacity_ = 0;
};

} // namespace kestrelon
