#include "UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

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

icu::BreakIterator* characterIterator()
{
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

} // namespace

std::string_view firstCharacters(std::string_view text, std::size_t count)
{
    if (isAscii(text)) {
        return firstAsciiCharacters(text, count);
    }
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

std::string canonicalForm(std::string_view text)
{
    if (isAscii(text)) {
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
