// The field of 14 x 8 tiles behind the playfield, coloured in stages by the
// number of black squares touched.
#include "game/Random.h"
#include "layout/TForm1.h"

namespace layout {

using scene::TColor;

namespace {

constexpr int kTileSize = 65;

template <typename Fn>
void ForEachTile(TForm1& form, Fn fn) {
    if (!form.tilesBuilt) return;  // the intro file failed: there is no field to change
    for (auto& column : form.tiles)
        for (scene::TShape* tile : column) fn(*tile);
}

// Reseed, then Random(n); succeeds when it draws 1.
bool Draw(int n) {
    game::Reseed();
    return game::Random(n) == 1;
}

// A stage watches one colour: those tiles may turn to `success`, all others to `other`.
void ColourStage(TForm1& form, TColor watched, int n, TColor success, TColor other) {
    ForEachTile(form, [&](scene::TShape& tile) {
        if (tile.BrushColor() == watched) {
            if (Draw(n)) tile.SetBrushColor(success);
        } else {
            tile.SetBrushColor(other);
        }
    });
}

}  // namespace

void TForm1::BuildTiles() {
    for (int c = 0; c < 14; ++c)
        for (int r = 0; r < 8; ++r) {
            scene::TShape& tile = MakeShape();
            tile.SetBounds(c * kTileSize, r * kTileSize, kTileSize, kTileSize);
            tile.SetShape(scene::TShapeType::stRectangle);
            SendToBack(tile);
            tiles[c][r] = &tile;
        }
    tilesBuilt = true;
}

void ColourTilesAtStart(TForm1& form) {
    ForEachTile(form, [](scene::TShape& tile) {
        game::Reseed();
        tile.SetBrushColor(game::Random(15) == 1 ? scene::clSilver : scene::clGray);
    });
}

void EvolveTiles(TForm1& form) {
    using namespace scene;
    const int hits = form.State.hits;
    if (hits < 100) ColourStage(form, clGray, 25, clSilver, clWhite);
    if (hits > 100 && hits < 200) ColourStage(form, clWhite, 25, clGreen, clGray);
    if (hits > 200 && hits < 300) ColourStage(form, clGray, 25, clBlue, clSilver);
    if (hits > 300 && hits < 400) ColourStage(form, clSilver, 25, clOlive, clGray);
    if (hits > 400 && hits < 550)
        ForEachTile(form, [](TShape& tile) {
            if (tile.BrushColor() == clGray) {
                if (Draw(30)) tile.SetBrushColor(clFuchsia);
            } else {
                tile.SetVisible(false);
            }
        });
    if (hits > 550)
        ForEachTile(form, [](TShape& tile) {
            if (tile.Visible()) {
                tile.SetBrushColor(clWhite);
            } else if (Draw(25)) {
                tile.SetBrushColor(clBlue);
                tile.SetVisible(true);
            }
        });
}

}  // namespace layout
