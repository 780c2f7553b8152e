// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextStore.h"

#include "data/Error.h"
#include "data/Utf8Text.h"

#include <cstring>

namespace kestrelon {

namespace {

// Each text starts with a header of one to five bytes: its length in units
// shifted left by two, its form in the low two bits, seven bits a byte from
// the lowest, the high bit set on every byte but the last. Most names and
// definitions need one or two. UTF-16 characters start at an even address,
// after a byte of padding where needed.
constexpr int formBits = 2;
constexpr qsizetype longestText = qsizetype(quint32(-1) >> formBits);

size_t headerSize(quint32 header)
{
    size_t bytes = 1;
    while (header >>= 7)
        ++bytes;
    return bytes;
}

char *writeHeader(char *out, quint32 header)
{
    for (;; header >>= 7) {
        const bool more = header > 0x7F;
        *out++ = char((header & 0x7F) | (more ? 0x80 : 0));
        if (!more)
            return out;
    }
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
    const bool wide = form == Form::Utf16;
    const quint32 header = quint32(length) << formBits | quint32(form);
    const size_t headerBytes = headerSize(header);
    const size_t payload = size_t(length) * (wide ? sizeof(char16_t) : 1);
    makeRoom(headerBytes + payload + (wide ? 1 : 0));
    if (wide && (used_ + headerBytes) % 2 != 0)
        ++used_;
    ref = Ref(chunks_.size() - 1) << offsetBits | Ref(used_);
    char *characters = writeHeader(chunks_.back().data() + used_, header);
    used_ += headerBytes + payload;
    // A chunk made for one long text holds nothing else: a place past
    // chunkBytes would not fit in a reference.
    if (last_ > chunkBytes)
        used_ = last_;
    return characters;
}

QAnyStringView TextStore::view(Ref ref, qsizetype length) const
{
    const char *stored = at(ref);
    quint32 header = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = quint8(*stored++);
        header |= quint32(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    const qsizetype units = qsizetype(header >> formBits);
    if (length < 0 || length > units)
        length = units;
    switch (Form(header & ((1u << formBits) - 1))) {
    case Form::Utf16:
        return QStringView(reinterpret_cast<const char16_t *>(stored), length);
    case Form::Utf8:
        return QUtf8StringView(stored, length);
    default:
        return QLatin1StringView(stored, length);
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

// Room for `bytes` more in the last chunk; a text never spans two chunks.
// The chunks are not cleared, so pages nothing was written to take no
// memory.
void TextStore::makeRoom(size_t bytes)
{
    if (!chunks_.empty() && used_ + bytes <= last_)
        return;
    if (chunks_.size() == maxChunks)
        throw Error(UnexpectedFailure, QStringLiteral("Too much text to keep"));
    last_ = qMax(chunkBytes, bytes);
    chunks_.emplace_back(last_);
    used_ = 0;
    capacity_ += last_;
}

} // namespace kestrelon
