// Base64 of RFC 4648 (standard alphabet, "=" padding, no line breaks).
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zep {

std::string Base64Encode(std::string_view bytes);
// nullopt when the text is not well-formed Base64: a length that is not a multiple of four,
// a character outside the alphabet, or padding anywhere but at the end.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace zep
