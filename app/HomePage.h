// The maker's home page: the About box's link line, the web buttons and their
// tooltips show and open this address.
#pragma once

#include <string_view>

namespace lumora {

inline constexpr std::string_view kHomePageAddress = "https://www.quorvix.example/";

}  // namespace lumora
