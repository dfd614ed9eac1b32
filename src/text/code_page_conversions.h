// Conversions between code page 936 texts, UTF-16 and UTF-8 buffers, and the URL encoder.
//
// A UTF-16 buffer holds little-endian units, two bytes each; as produced here it ends
// with one zero unit that its length counts. A UTF-8 buffer produced here ends with one
// zero byte that its length counts. No operation reports failure: characters that a
// target cannot hold become "?", and bytes that form no code page 936 character become
// "?" as well.
#pragma once

#include "text/text_types.h"

namespace vorel {

// Percent-encoded UTF-8 of the text: 0-9, A-Z and a-z stay, every other byte becomes
// "%" and two upper-case hex digits (a blank is "%20", never "+").
Text UrlEncodeUtf8(const Text& text);

// UTF-8 bytes of the text and one zero byte; an empty text gives the zero byte alone.
ByteBuffer AnsiToUtf8(const Text& text);

// UTF-16 units of the text and one zero unit; an empty text gives the zero unit alone.
ByteBuffer AnsiToWide(const Text& text);

// As many bytes as all length / 2 units give in UTF-8; filled with the conversion of the
// units up to and including the first zero unit (the rest stays zero).
ByteBuffer WideToUtf8(const ByteBuffer& wide);

// As AnsiToWide, but an empty text gives an empty buffer (no terminator).
ByteBuffer AnsiToWideArg(const Text& text);

// The text of the units before the first zero unit; units after it are lost. A base
// letter followed by a combining mark becomes the precomposed letter where the code
// page has one.
Text WideToAnsi(const ByteBuffer& wide);

}  // namespace vorel
