// Numbers and text as the SVG plot writes them. Only integer arithmetic and
// correctly rounded operations, so every build writes the same bytes.
#pragma once

#include <string>
#include <string_view>

// A coordinate to a tenth of a pixel: "12.3", "12" for 12.0, "-0.5".
std::string PixelText(double value);

// The decimal digits times ten to the exponent, plainly where that is short
// ("0.25", "-30000") and as "1.5e14" or "2e-6" otherwise.
std::string TickLabel(long long digits, int exponent);

// Text with &, <, > and " written as entities, for element content and attributes.
std::string XmlEscaped(std::string_view text);
