// The product's version, as users and package managers see it.
#pragma once

inline constexpr char KProductVersion[] = "4.43";
