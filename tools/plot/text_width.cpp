// SPDX-License-Identifier: MIT
#include "plot/text_width.h"

#include <array>
#include <cstdint>

namespace reuseblocks::tool {

namespace {

// Advances of the printable ASCII characters from ' ' to '~', in thousandths of an em, rounded up.
constexpr std::array<std::uint16_t, 95> kAdvances = {
    320, 400, 460, 840, 640, 950, 780,  280, 390, 390, 500, 840, 320, 370, 320, 340,  // ' ' to '/'
    640, 640, 640, 640, 640, 640, 640,  640, 640, 640,                                // digits
    340, 340, 840, 840, 840, 540, 1000,                                               // ':' to '@'
    690, 690, 700, 770, 640, 580, 780,  760, 300, 300, 660, 560, 870,                 // 'A' to 'M'
    750, 790, 610, 790, 700, 640, 620,  740, 690, 990, 690, 620, 690,                 // 'N' to 'Z'
    390, 340, 390, 840, 500, 500,                                                     // '[' to '`'
    620, 640, 560, 640, 620, 360, 640,  640, 280, 280, 580, 280, 980,                 // 'a' to 'm'
    640, 620, 640, 640, 420, 530, 400,  640, 600, 820, 600, 600, 530,                 // 'n' to 'z'
    640, 340, 640, 840,                                                               // '{' to '~'
};
constexpr double kEllipsisEms = 1.0;

bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The advance of the character starting with `lead`, in ems.
double AdvanceEms(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0x20 && byte <= 0x7E) return kAdvances[byte - 0x20u] / 1000.0;
    return 1.0;
}

}  // namespace

double TextWidth(std::string_view utf8, double fontSize) {
    double ems = 0;
    for (const char byte : utf8) {
        if (StartsCharacter(byte)) ems += AdvanceEms(byte);
    }
    return ems * fontSize;
}

std::string FittedText(std::string_view utf8, double width, double fontSize) {
    if (TextWidth(utf8, fontSize) <= width) return std::string(utf8);
    const double room = width / fontSize - kEllipsisEms;
    double ems = 0;
    std::size_t end = 0;
    for (; end < utf8.size(); ++end) {
        if (!StartsCharacter(utf8[end])) continue;
        ems += AdvanceEms(utf8[end]);
        if (ems > room) break;
    }
    return std::string(utf8.substr(0, end)) + "\xE2\x80\xA6";
}

}  // namespace reuseblocks::tool
