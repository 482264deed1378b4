// Probe types whose libraries differ in what they hold.
#pragma once

// Type 2 has no force-law fields: its force is raw / R x F, with no breakpoints.
inline constexpr int kTypeWithRatioLaw = 2;
