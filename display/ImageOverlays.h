#pragma once
// The two animated images over the main area: which images a set shows (the four built into the
// library, or the user's files), where each is placed, and the Space key's cycle of set 1, set 2 and
// none. Portable: it works on the controls' logic, so tests place images on the memory canvas.

#include <string>

#include "controls/GIFImage.h"
#include "settings/VisSettings.h"

// The main area the images lie on: MainPanelRight (its width - 1) and its height.
struct TOverlayArea {
    int MainPanelRight = 0;
    int MainPanelHeight = 0;
    // Where the surface the images are drawn on starts in the area (below the hint strip while it
    // shows): the images keep their place in the area whatever the surface's.
    int SurfaceTop = 0;
};

// Places image by an alignment code: 0 top left, 1 top right, 2 bottom left, 3 bottom right, 4 tiled
// along the top; any other code leaves its place as it is.
void PlaceImage(TGIFImagX& image, int code, const TOverlayArea& area);

class TImageOverlays {
public:
    TImageOverlays(TGIFImagX& image1, TGIFImagX& image2, TModuleHandle module)
        : GIFImage1(image1), GIFImage2(image2), Module(module) {}

    // Built-in set 1 for SetNumber 1, set 2 for any other value.
    void LoadDefaultImages(int SetNumber, const TOverlayArea& area);
    // A user set: FileA and AlignA for image 1, FileB and AlignB for image 2. An image that does not load
    // gets no room and no animation; the other one is still tried.
    void LoadUserImages(const std::string& FileA,
                        int AlignA,
                        int AlignB,
                        const std::string& FileB,
                        const TOverlayArea& area);
    // Shows set 1 or 2, built-in or the user's as the settings say.
    void ShowSet(int set, const TVisSettings& settings, const TOverlayArea& area);
    // Space: the set after imageSet (1, 2, then 0 for none, then 1 again), shown; returns it.
    int NextSet(int imageSet, const TVisSettings& settings, const TOverlayArea& area);
    // Both images out of the way: no room, no animation, nothing drawn.
    void HideAll();
    // Whether (x, y) of the main area lies on a shown image: the images keep the clicks that land on
    // them from the area beneath.
    bool Covers(int x, int y) const;

private:
    TGIFImagX& GIFImage1;
    TGIFImagX& GIFImage2;
    TModuleHandle Module;
};
