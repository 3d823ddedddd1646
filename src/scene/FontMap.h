// The one font map all text is measured and drawn with. Pango's default map is
// one per thread; a single map lets text measured ahead on another thread serve
// the loop thread. Like the rest of text, it is used by one thread at a time.
#pragma once

typedef struct _PangoFontMap PangoFontMap;

namespace scene {

PangoFontMap* SharedFontMap();

}  // namespace scene
