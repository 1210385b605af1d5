#include "display/ImageOverlays.h"

namespace {

void Hide(TGIFImagX& image) {
    image.SetWidth(0);
    image.SetHeight(0);
    image.SetAnimate(false);
    image.SetVisible(false);
}

void Show(TGIFImagX& image) {
    image.SetAnimate(true);
    image.SetVisible(true);
}

void FitToImage(TGIFImagX& image) {
    image.SetWidth(image.ImageWidth());
    image.SetHeight(image.ImageHeight());
}

}  // namespace

void PlaceImage(TGIFImagX& image, int code, const TOverlayArea& area) {
    const int w = image.Width();
    const int h = image.Height();
    const int top = -area.SurfaceTop;
    const int bottom = area.MainPanelHeight - h - area.SurfaceTop;
    switch (code) {
        case 0:
            image.SetBounds(0, top, w, h);
            break;
        case 1:
            image.SetBounds(area.MainPanelRight - w, top, w, h);
            image.SetTile(false);
            break;
        case 2:
            image.SetBounds(0, bottom, w, h);
            image.SetTile(false);
            break;
        case 3:
            image.SetBounds(area.MainPanelRight - w, bottom, w, h);
            image.SetTile(false);
            break;
        case 4:
            image.SetBounds(0, top, area.MainPanelRight, h);
            image.SetTile(true);
            break;
        default:
            break;
    }
}

void TImageOverlays::LoadDefaultImages(int SetNumber, const TOverlayArea& area) {
    struct Entry {
        TGIFImagX& image;
        const char* name;
        int code;
    };
    const Entry set1[] = {{GIFImage1, "MYGIF1", 3}, {GIFImage2, "MYGIF3", 1}};
    const Entry set2[] = {{GIFImage1, "MYGIF2", 3}, {GIFImage2, "MYGIF4", 2}};
    for (const Entry& e : SetNumber == 1 ? set1 : set2) {
        (void)e.image.LoadFromResourceName(Module, e.name);
        FitToImage(e.image);
        PlaceImage(e.image, e.code, area);
        Show(e.image);
    }
}

void TImageOverlays::LoadUserImages(const std::string& FileA,
                                    int AlignA,
                                    int AlignB,
                                    const std::string& FileB,
                                    const TOverlayArea& area) {
    struct Entry {
        TGIFImagX& image;
        const std::string& file;
        int code;
    };
    const Entry entries[] = {{GIFImage1, FileA, AlignA}, {GIFImage2, FileB, AlignB}};
    for (const Entry& e : entries) {
        if (e.image.LoadFromFile(e.file)) {
            FitToImage(e.image);
            PlaceImage(e.image, e.code, area);
            Show(e.image);
        } else {
            Hide(e.image);
        }
    }
}

void TImageOverlays::ShowSet(int set, const TVisSettings& s, const TOverlayArea& area) {
    if (s.LoadGif == "Default") {
        LoadDefaultImages(set, area);
    } else if (set == 1) {
        LoadUserImages(s.UserGif1A, s.GifAlign1A, s.GifAlign1B, s.UserGif1B, area);
    } else {
        LoadUserImages(s.UserGif2A, s.GifAlign2A, s.GifAlign2B, s.UserGif2B, area);
    }
}

int TImageOverlays::NextSet(int imageSet, const TVisSettings& settings, const TOverlayArea& area) {
    // A set number from anywhere but this cycle starts it over.
    const int next = imageSet >= 0 && imageSet < 2 ? imageSet + 1 : 0;
    if (next == 0) {
        HideAll();
        return 0;
    }
    ShowSet(next, settings, area);
    Show(GIFImage1);
    Show(GIFImage2);
    return next;
}

void TImageOverlays::HideAll() {
    // Nothing shows them again before the next set is loaded into them: their frames and surfaces go now.
    for (TGIFImagX* image : {&GIFImage1, &GIFImage2}) {
        Hide(*image);
        image->Clear();
    }
}

bool TImageOverlays::Covers(int x, int y) const {
    for (const TGIFImagX* image : {&GIFImage1, &GIFImage2}) {
        const TRect r = image->BoundsRect();
        if (image->Visible() && !image->Empty() && x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
            return true;
        }
    }
    return false;
}
