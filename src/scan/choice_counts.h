#pragma once
// How many products the check list holds and how many cleaning option boxes there are.

constexpr int kProductCount = 33;
constexpr int kOptionCount = 7;

// The two options the scan applies itself, before the disk cleaning.
constexpr int kClearBhoOption = 1;
constexpr int kEmptyRecycleBinOption = 7;
