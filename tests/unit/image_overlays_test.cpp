// The image overlays on a 1024 x 768 screen's main area (1024 x 737), with the built-in animations read
// from resources/ and the user's files from disk.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "display/ImageOverlays.h"
#include "displaystate/BandLayout.h"
#include "tests/unit/gif_view_support.h"

namespace image_overlays_test {

using namespace giftest;

namespace {

const std::string kResources = std::string(SKYBURST_SOURCE_DIR) + "/resources/";
const TOverlayArea kArea{1023, 737};

Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct Overlays {
    Overlays() {
        for (MemoryHost* h : {&host1, &host2}) {
            for (const char* name : {"MYGIF1", "MYGIF2", "MYGIF3", "MYGIF4"}) {
                h->Resources[name] = ReadFile(kResources + name + ".gif");
            }
        }
        for (TGIFImagX* image : {&image1, &image2}) {
            image->SetAnimate(true);
            image->SetAutoSize(true);
            image->SetLoop(true);
        }
    }
    MemoryHost host1{1, 1};
    MemoryHost host2{1, 1};
    TGIFImagX image1{host1};
    TGIFImagX image2{host2};
    TImageOverlays overlays{image1, image2, nullptr};
};

std::string Shown(const TGIFImagX& image) {
    const TRect r = image.BoundsRect();
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + " " + std::to_string(r.Width()) + "x" +
           std::to_string(r.Height()) + (image.Visible() ? "" : " hidden") + (image.Animate() ? "" : " still") +
           (image.Tile() ? " tiled" : "");
}

TEST(ImageOverlays, SpaceCyclesTheBuiltInSetsAndTheBandsMakeRoom) {
    Overlays o;
    const TVisSettings settings;
    TDisplayState state;
    state.MainPanelRight = kArea.MainPanelRight;
    o.overlays.ShowSet(1, settings, kArea);
    int set = 1;
    struct Step {
        int set;
        std::string image1, image2;
        int spectrumLeft, spectrumWidth, bandWidth, bandMargin;
    } steps[] = {
        {2, "826,564 197x173", "0,641 104x96", 104, 722, 20, 1},
        {0, "826,564 0x0 hidden still", "0,641 0x0 hidden still", 0, 1023, 28, 7},
        {1, "840,537 183x200", "983,0 40x40", 0, 840, 23, 6},
    };
    EXPECT_EQ(Shown(o.image1), steps[2].image1);
    EXPECT_EQ(Shown(o.image2), steps[2].image2);
    // Clicks on a shown image are the image's; the area beside it and hidden images keep none.
    EXPECT_TRUE(o.overlays.Covers(840, 736));
    EXPECT_TRUE(o.overlays.Covers(1022, 0));
    EXPECT_FALSE(o.overlays.Covers(839, 736));
    EXPECT_FALSE(o.overlays.Covers(1023, 0));
    for (const Step& want : steps) {
        set = o.overlays.NextSet(set, settings, kArea);
        ASSERT_EQ(set, want.set);
        EXPECT_EQ(o.overlays.Covers(900, 700), set != 0) << "set " << set;
        EXPECT_EQ(Shown(o.image1), want.image1) << "set " << set;
        EXPECT_EQ(Shown(o.image2), want.image2) << "set " << set;
        EXPECT_EQ(o.image1.Empty() && o.image2.Empty(), set == 0) << "hidden images give back their frames";
        LayoutSpectrum(state, settings, set, o.image1.Width(), o.image2.Width());
        EXPECT_EQ(state.SpectrumLeft, want.spectrumLeft) << "set " << set;
        EXPECT_EQ(state.SpectrumWidth, want.spectrumWidth) << "set " << set;
        EXPECT_EQ(state.BandWidth, want.bandWidth) << "set " << set;
        EXPECT_EQ(state.BandMargin, want.bandMargin) << "set " << set;
    }
}

TEST(ImageOverlays, UserImagesArePlacedByTheirCodes) {
    const std::string star = kResources + "MYGIF3.gif";  // 40 x 40
    struct Case {
        const char* name;
        std::string fileA;
        int alignA;
        int alignB;
        std::string image1, image2;
        int surfaceTop = 0;
    } cases[] = {
        {"a missing image gets no room", "/no/such.gif", 0, 3, "0,0 0x0 hidden still", "983,697 40x40"},
        {"top left and bottom left", star, 0, 2, "0,0 40x40", "0,697 40x40"},
        {"top right and tiled along the top", star, 1, 4, "983,0 40x40", "0,0 1023x40 tiled"},
        {"an unknown code keeps the place", star, 9, -1, "0,0 40x40", "0,0 40x40"},
        // Drawn on a surface 18 pixels down the area (below the hint strip), in the area's places.
        {"under the hint strip", star, 1, 3, "983,-18 40x40", "983,679 40x40", 18},
    };
    for (const Case& c : cases) {
        Overlays o;
        TOverlayArea area = kArea;
        area.SurfaceTop = c.surfaceTop;
        o.overlays.LoadUserImages(c.fileA, c.alignA, c.alignB, star, area);
        EXPECT_EQ(Shown(o.image1), c.image1) << c.name;
        EXPECT_EQ(Shown(o.image2), c.image2) << c.name;
    }
}

}  // namespace

}  // namespace image_overlays_test
