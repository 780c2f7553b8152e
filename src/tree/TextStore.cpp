// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextStore.h"

#include "data/Error.h"
#include "data/Utf8Text.h"

#include <cstring>

namespace kestrelon {

namespace {

// Each text starts with a 4-byte header: its length in units shifted left
// by two, and in the low bits its form. Texts start at multiples of four, so
// UTF-16 characters are always aligned.
using Header = quint32;
constexpr size_t headerBytes = sizeof(Header);
constexpr int formBits = 2;
constexpr qsizetype longestText = qsizetype(Header(-1) >> formBits);

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

void TextStore::narrow(QStringView text, char *out)
{
    const char16_t *source = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = char(source[i]);
}

TextStore::Ref TextStore::add(QAnyStringView text)
{
    return text.visit([this](auto characters) {
        using View = decltype(characters);
        if constexpr (std::is_same_v<View, QStringView>)
            return addUtf16(characters);
        else
            return addBytes(std::is_same_v<View, QLatin1StringView> ? Form::Latin1 : Form::Utf8,
                            characters.data(), characters.size());
    });
}

TextStore::Ref TextStore::addBytes(Form form, const char *bytes, qsizetype length)
{
    Ref ref = 0;
    std::memcpy(start(length, form, ref), bytes, size_t(length));
    return ref;
}

TextStore::Ref TextStore::addUtf16(QStringView text)
{
    const bool wide = !fitsLatin1(text);
    Ref ref = 0;
    char *characters = start(text.size(), wide ? Form::Utf16 : Form::Latin1, ref);
    if (wide) {
        std::memcpy(characters, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    } else {
        narrow(text, characters);
    }
    return ref;
}

char *TextStore::start(qsizetype length, Form form, Ref &ref)
{
    if (length > longestText)
        throw Error(UnexpectedFailure,
                    QStringLiteral("A text of %1 characters is too long to keep").arg(length));
    const size_t payload = size_t(length) * (form == Form::Utf16 ? sizeof(char16_t) : 1);
    char *at = reserve(roundedUp(headerBytes + payload), ref);
    const Header header = Header(length) << formBits | Header(form);
    std::memcpy(at, &header, headerBytes);
    return at + headerBytes;
}

QAnyStringView TextStore::view(Ref ref, qsizetype length) const
{
    const char *stored = at(ref);
    Header header = 0;
    std::memcpy(&header, stored, headerBytes);
    const qsizetype units = qsizetype(header >> formBits);
    if (length < 0 || length > units)
        length = units;
    const char *characters = stored + headerBytes;
    switch (Form(header & ((1u << formBits) - 1))) {
    case Form::Utf16:
        return QStringView(reinterpret_cast<const char16_t *>(characters), length);
    case Form::Utf8:
        return QUtf8StringView(characters, length);
    default:
        return QLatin1StringView(characters, length);
    }
}

QString TextStore::text(Ref ref) const
{
    const QAnyStringView stored = view(ref);
    return stored.visit([](auto characters) {
        if constexpr (std::is_same_v<decltype(characters), QUtf8StringView>)
            return textOfUtf8(QByteArrayView(characters.data(), characters.size()));
        else
            return characters.toString();
    });
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
