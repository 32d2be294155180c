// Class identity under which the product registers its gateway control object.
#pragma once

#include <windows.h>

// {7D9C4E21-3B5A-4F8E-9C1D-2A6B8E0F4C13}
inline constexpr CLSID kGatewayControlClsid = {
    0x7d9c4e21, 0x3b5a, 0x4f8e, {0x9c, 0x1d, 0x2a, 0x6b, 0x8e, 0x0f, 0x4c, 0x13}};
