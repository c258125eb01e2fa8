// File-name wildcards as the folder walk uses them: "*" matches any run of characters,
// "?" exactly one, letters match regardless of case, and "*.*" matches every name,
// also one without a dot. An empty mask matches nothing.
#pragma once

#include <string_view>

namespace varsik {

namespace Platform {

bool WildcardMatch(std::string_view mask, std::string_view name);

}  // namespace Platform

}  // namespace varsik
