// The line codec of the settings file: hexadecimal text, the one-byte scramble and the
// value lookup. Counted byte strings throughout: a scrambled line may hold zero bytes.
#ifndef KIVO_FIELD_CODEC_H
#define KIVO_FIELD_CODEC_H

#include <optional>
#include <string>

// The bytes between the first occurrence of key and the first separator after it; empty
// when no separator follows the key, and empty when the key does not occur.
std::string ExtractBetween(const std::string& text, const std::string& key,
                           const std::string& separator);

// Two upper-case hexadecimal digits per byte, high nibble first.
std::string HexEncode(const std::string& bytes);

// Digits of either case; a last odd character is ignored. Nothing when a pair is not two
// hexadecimal digits: the conversion error hands back no partial result.
std::optional<std::string> HexDecode(const std::string& text);

// Every byte XOR 0xC5; applied twice it gives back its input.
std::string XorScramble(const std::string& bytes);

// "%" as "%25" and "=" as "%3D", the form of the choice lines' values, and back ("%" not
// before "25" or "3D" stays as it is).
std::string EscapeChoiceValue(const std::string& value);
std::string UnescapeChoiceValue(const std::string& stored);

#endif
