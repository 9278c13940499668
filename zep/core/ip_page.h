// The IP page: the connect template with every "<!--ip-->" (any letter case) replaced by the WAN
// address, line by line, each line ended with CR LF. The address goes in as HTML text: the
// characters that HTML gives a meaning to are written as references (a real address has none).
#pragma once
#include <string>
#include <string_view>

namespace zep {

inline constexpr char kIpMarker[] = "<!--ip-->";

std::string MakeIPPageText(std::string_view templateBytes, std::string_view wanIP);

}  // namespace zep
