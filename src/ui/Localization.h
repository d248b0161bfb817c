// Menus and strings in the user's default language, English when the module
// has none in it.
#pragma once

#include "qarx/base.h"

#include <string>

constexpr unsigned kLangEnglish = 1033;
constexpr unsigned kLangRussian = 1049;

// The user's default language (on Windows GetUserDefaultLangID; natively
// from LC_ALL, LC_MESSAGES or LANG).
unsigned UserLanguage();
// Id 0 gives the empty string without a lookup.
std::wstring LoadLocalizedString(unsigned id);
std::wstring LoadLocalizedString(unsigned id, unsigned language);
#ifdef _WIN32
// FormatMessageW over the localized pattern; "%1!d!" takes the first argument.
std::wstring FormatLocalizedString(unsigned id, ...);
HMENU LoadLocalizedMenu(HINSTANCE instance, unsigned id);
#endif
