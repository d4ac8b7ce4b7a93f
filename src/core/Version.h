// The program's version: 2.1.
#pragma once

inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 1;
