#include "protocol/UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

namespace corvane {
namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// In ASCII every byte is a cluster of its own, except that CR followed by LF is one cluster.
std::string_view firstAsciiCharacters(std::string_view text, std::size_t count)
{
    std::size_t offset = 0;
    for (; offset < text.size() && count > 0; --count) {
        offset += (text[offset] == '\r' && offset + 1 < text.size() && text[offset + 1] == '\n') ? 2 : 1;
    }
    return text.substr(0, offset);
}

// A code point that is a cluster on its own whatever stands around it, as long as its neighbours are such
// code points too: Grapheme_Cluster_Break Other (no rule joins two of them), Control and LF (always
// broken around). CR is left out: it joins a following LF.
bool standsAlone(UChar32 codePoint)
{
    if (codePoint < 0x80) {
        return codePoint >= 0 && codePoint != '\r';
    }
    const auto kind =
        static_cast<UGraphemeClusterBreak>(u_getIntPropertyValue(codePoint, UCHAR_GRAPHEME_CLUSTER_BREAK));
    return kind == U_GCB_OTHER || kind == U_GCB_CONTROL || kind == U_GCB_LF;
}

enum class Cut { Whole, At, Unknown };

// Decides the cut without a break iterator where that is certain: a well-formed text of at most `count`
// code points has at most `count` clusters, and where the first `count` + 1 code points all stand alone,
// the cut falls after the first `count` of them. `offset` receives the byte offset of the cut. Reads no
// further than the code point after the cut.
Cut plainCut(std::string_view text, std::size_t count, std::size_t& offset)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t position = 0;
    bool alone = true;
    for (std::size_t taken = 0; position < length && taken < count; ++taken) {
        UChar32 codePoint = 0;
        U8_NEXT(bytes, position, length, codePoint);
        if (codePoint < 0) {
            return Cut::Unknown;
        }
        alone = alone && standsAlone(codePoint);
    }
    if (position >= length) {
        return Cut::Whole;
    }
    offset = static_cast<std::size_t>(position);
    UChar32 next = 0;
    U8_NEXT(bytes, position, length, next);
    return alone && standsAlone(next) ? Cut::At : Cut::Unknown;
}

bool isWellFormed(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t position = 0; position < length;) {
        UChar32 codePoint = 0;
        U8_NEXT(bytes, position, length, codePoint);
        if (codePoint < 0) {
            return false;
        }
    }
    return true;
}

// A new character break iterator, or null when ICU cannot make one.
icu::BreakIterator* newCharacterIterator()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> created(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    return U_SUCCESS(status) ? created.release() : nullptr;
}

icu::BreakIterator* characterIterator()
{
    thread_local const std::unique_ptr<icu::BreakIterator> iterator(newCharacterIterator());
    // The analyzer does not follow a thread_local initialised once; nothing frees the iterator before
    // its thread ends.
    return iterator.get(); // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

std::string_view firstCharactersByIterator(std::string_view text, std::size_t count)
{
    icu::BreakIterator* iterator = characterIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (!iterator || U_FAILURE(status)) {
        utext_close(utext);
        return text;
    }
    iterator->setText(utext, status);
    // For UTF-8 text the iterator's positions are byte offsets into `text`.
    int32_t end = 0;
    for (std::size_t taken = 0; taken < count; ++taken) {
        const int32_t next = iterator->next();
        if (next == icu::BreakIterator::DONE) {
            end = static_cast<int32_t>(text.size());
            break;
        }
        end = next;
    }
    utext_close(utext);
    return U_SUCCESS(status) ? text.substr(0, static_cast<std::size_t>(end)) : text;
}

} // namespace

std::string_view firstCharacters(std::string_view text, std::size_t count)
{
    std::size_t offset = 0;
    switch (plainCut(text, count, offset)) {
    case Cut::Whole:
        return text;
    case Cut::At:
        return text.substr(0, offset);
    case Cut::Unknown:
        break;
    }
    if (isAscii(text)) {
        return firstAsciiCharacters(text, count);
    }
    return firstCharactersByIterator(text, count);
}

bool isCanonical(std::string_view text)
{
    if (isAscii(text)) {
        return true;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    // Ill-formed text is never its own form: the form has U+FFFD for each ill-formed sequence.
    return U_SUCCESS(status) && isWellFormed(text) &&
           nfc->isNormalizedUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), status) &&
           U_SUCCESS(status);
}

std::string canonicalForm(std::string_view text)
{
    // Most texts are in NFC already; checking that needs no conversion to UTF-16.
    if (isCanonical(text)) {
        return std::string(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    const icu::UnicodeString source =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    const icu::UnicodeString normalized = nfc->normalize(source, status);
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    std::string form;
    normalized.toUTF8String(form);
    return form;
}

} // namespace corvane
