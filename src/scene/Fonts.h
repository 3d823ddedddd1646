// Font matching: which installed face stands in for a face the layout names,
// and at what pixel size, so that a font record's Height means what it says.
// A negative Height is the em height in pixels (cell height minus internal
// leading); a positive Height is the full cell height (ascent plus descent).
#pragma once

#include <string>

#include "scene/Types.h"

namespace scene {

struct FontFace {
    std::string family;  // an installed family, or the name fontconfig resolves
    int weight = 400;    // 700 for bold
    bool italic = false;
    double emPixels = 0;  // the size Pango is asked for, in pixels
};

struct FontMetrics {
    int ascent = 0;
    int descent = 0;
    int cellHeight = 0;       // ascent + descent
    int internalLeading = 0;  // cellHeight - em
};

// The family asked for when a font names `face`: "Default" means "MS Sans Serif";
// faces this system lacks go to stand-ins of the same build.
std::string StandInFamily(const std::string& face);

// The face and pixel size a font record draws with. Cached.
const FontFace& MatchFont(const TFont& font);

// Metrics of the matched face at its size, in whole pixels. Cached.
const FontMetrics& MetricsOf(const TFont& font);

// Pango's approximate character width of the matched face at its size, in whole
// pixels: tabs stop at every eighth. Measured when first asked, then cached.
int AverageCharWidth(const TFont& font);

// The family fontconfig actually loads for a font record (for diagnostics and tests).
std::string LoadedFamily(const TFont& font);

}  // namespace scene
