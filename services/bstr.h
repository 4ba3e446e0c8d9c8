// BSTR and VARIANT_BOOL as the host sees them, and conversions to the
// UTF-16 strings the containers hold.
#pragma once

#include "boundary/VORNEXDO1M.h"

#include <string>

// The characters of a BSTR; a null BSTR reads as the empty string.
std::u16string bstrToString(const BSTR b);
// A newly allocated BSTR holding s; the receiver frees it with SysFreeString.
BSTR stringToBstr(const std::u16string& s);

inline constexpr VARIANT_BOOL kVariantTrue = -1;
inline constexpr VARIANT_BOOL kVariantFalse = 0;
