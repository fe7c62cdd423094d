#pragma once
// Text helpers: trimming, splitting values, case changes, and RML entity decoding.

#include "rml/types.h"

namespace Rml::StringUtilities {

String Trim(const String& text);
String ToLower(String text);
String ToUpper(String text);
// Splits at delimiter, trimming each part and dropping empty ones.
void ExpandString(StringList& out, const String& text, char delimiter);
// Splits a property value at white space, keeping quoted strings and parenthesised groups whole
// (quotes are kept).
void SplitValues(StringList& out, const String& text);
// Splits text at delimiter where it stands outside quotes and parentheses; items are trimmed.
void SplitOutsideBrackets(StringList& out, const String& text, char delimiter);
// Replaces &lt; &gt; &amp; &quot; &apos; &nbsp; and numeric entities (&#65; &#x41;) by their
// characters; an unknown entity is left as written.
String DecodeRml(const String& text);
// Replaces < > & " by their entities.
String EncodeRml(const String& text);
// Appends the UTF-8 encoding of a code point.
void AppendUtf8(String& out, char32_t code_point);
// Reads one code point at position (advancing it); invalid bytes read as U+FFFD.
char32_t NextCodePoint(const String& text, size_t& position);

}  // namespace Rml::StringUtilities
