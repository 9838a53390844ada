// Unicode rules for controller texts, with ICU: user-perceived characters (extended grapheme clusters)
// for display cuts, and canonical equivalence (NFC) for comparing ids. ASCII text, the usual case, takes
// a fast path that never touches ICU, and a cut where every code point around it is a cluster of its own
// (most Chinese text) needs ICU's property table only, no break iterator. Texts come from strict JSON,
// so they are valid UTF-8.
// Any thread; each thread keeps its own break iterator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// The first `count` extended grapheme clusters of `text` (all of it when it has fewer).
std::string_view firstCharacters(std::string_view text, std::size_t count);

// The NFC form of `text`: two texts are canonically equivalent exactly when their forms are equal.
std::string canonicalForm(std::string_view text);

// Whether `text` is its own NFC form (canonicalForm(text) == text), without making the form.
bool isCanonical(std::string_view text);

} // namespace corvane
