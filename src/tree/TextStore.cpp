// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextStore.h"

#include "data/Error.h"

#include <cstring>

namespace kestrelon {

namespace {

// Each text starts with a 4-byte header: its length in characters shifted
// left by one, and in the low bit whether the characters are UTF-16. Texts
// start at multiples of four, so UTF-16 characters are always aligned.
using Header = quint32;
constexpr size_t headerBytes = sizeof(Header);
constexpr qsizetype longestText = qsizetype(Header(-1) >> 1);

size_t roundedUp(size_t bytes)
{
    return (bytes + 3) & ~size_t(3);
}

} // namespace

// No early exit: the loop over a short name then compiles to a few vector
// instructions.
bool TextStore::fitsLatin1(QStringView text)
{
    char16_t bits = 0;
    for (const QChar c : text)
        bits |= c.unicode();
    return bits < 0x100;
}

TextStore::Ref TextStore::add(QAnyStringView text)
{
    return text.visit([this](auto characters) {
        if constexpr (std::is_same_v<decltype(characters), QLatin1StringView>)
            return addLatin1(characters);
        else if constexpr (std::is_same_v<decltype(characters), QStringView>)
            return addUtf16(characters);
        else
            return addUtf16(characters.toString());
    });
}

TextStore::Ref TextStore::addLatin1(QLatin1StringView text)
{
    Ref ref = 0;
    std::memcpy(start(text.size(), false, ref), text.data(), size_t(text.size()));
    return ref;
}

TextStore::Ref TextStore::addUtf16(QStringView text)
{
    const bool wide = !fitsLatin1(text);
    Ref ref = 0;
    char *characters = start(text.size(), wide, ref);
    if (wide) {
        std::memcpy(characters, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    } else {
        const char16_t *source = text.utf16();
        for (qsizetype i = 0; i < text.size(); ++i)
            characters[i] = char(source[i]);
    }
    return ref;
}

char *TextStore::start(qsizetype length, bool wide, Ref &ref)
{
    if (length > longestText)
        throw Error(UnexpectedFailure,
                    QStringLiteral("A text of %1 characters is too long to keep").arg(length));
    const size_t payload = size_t(length) * (wide ? sizeof(char16_t) : 1);
    char *at = reserve(roundedUp(headerBytes + payload), ref);
    const Header header = Header(length) << 1 | Header(wide);
    std::memcpy(at, &header, headerBytes);
    return at + headerBytes;
}

QAnyStringView TextStore::view(Ref ref, qsizetype length) const
{
    const char *stored = at(ref);
    Header header = 0;
    std::memcpy(&header, stored, headerBytes);
    const qsizetype characters = qsizetype(header >> 1);
    if (length < 0 || length > characters)
        length = characters;
    if (header & 1)
        return QStringView(reinterpret_cast<const char16_t *>(stored + headerBytes), length);
    return QLatin1StringView(stored + headerBytes, length);
}

// Room for `bytes` more; a text never spans two chunks. The chunks are not
// cleared, so pages nothing was written to take no memory.
char *TextStore::reserve(size_t bytes, Ref &ref)
{
    if (chunks_.empty() || used_ + bytes > last_) {
        if (chunks_.size() == maxChunks)
            throw Error(UnexpectedFailure, QStringLiteral("Too much text to keep"));
        last_ = qMax(chunkBytes, bytes);
        chunks_.emplace_back(last_);
        used_ = 0;
        capacity_ += last_;
    }
    ref = Ref(chunks_.size() - 1) << 19 | Ref(used_ / 4);
    char *at = chunks_.back().data() + used_;
    used_ += bytes;
    return at;
}

} // namespace kestrelon
