#pragma once

#include <QString>

// Row number of the interface text table (0 … 82). Callers pass constants.
using TextId = int;

namespace TextRow {
constexpr TextId Setting = 0;
// The clip list's category buttons: all clips, normal recordings, events.
constexpr TextId CategoryAll = 79;
constexpr TextId CategoryNormal = 80;
constexpr TextId CategoryEvent = 81;
constexpr TextId Count = 83;
} // namespace TextRow

// The table text of row `id` in the current language: English when the language code is exactly
// "en", Korean for every other code. `id` outside 0 … 82 yields an empty string.
QString uiText(TextId id);

// Both columns of one row, for callers that need a fixed language.
QString uiTextKorean(TextId id);
QString uiTextEnglish(TextId id);
