#pragma once
// The GIF benchmarks' files and the kinds they are grouped into. MakeBenchFiles makes them reproducibly into
// a folder (ImageMagick from fixed seeds, and sprite animations from bench/gif/sprite_gif.h); it needs the
// native tools, so the Windows build of a benchmark reads the folder the native one made.
//   photo       one 1920 x 1080 photo-like frame (dithered plasma, 256 colours)
//   anim40      a 500 x 500 animation of 40 full frames
//   optimised   a 400 x 300 animation stored as changed sub-rectangles with transparency
//   icons       200 separate 32 x 32 icons
//   gradient    a 700 x 320 grey wedge, one grey per row (long LZW strings: about 14 pixels a byte)
//   wedge       a 640 x 350 grey wedge across, every row the same 256 greys
//   drawing     a 320 x 200 drawing in 16 flat colours, not antialiased
//   solid       640 x 400 in four solid blocks of colour
//   checker     a 1920 x 1728 checkerboard of two greys in small squares
//   bigchecker  a 1591 x 2074 checkerboard of squares 300 pixels wide (strings hundreds of pixels long)
//   dither      a 640 x 480 plasma dithered to 8 colours
//   onepixel    a 1 x 1 file: the cost of setting up a decode
// Small transparent frames, restoring to the background:
//   ball64      120 frames of a shaded ball, 64 x 64
//   ball50      120 frames of a ball, 50 x 40 (rows padded to 52 bytes, mask rows not whole words)
//   stripes64   120 frames of a disc of diagonal stripes, 64 x 64: busier, shorter LZW strings
//   sprite10    10 frames of a ball, 100 x 100
//   sprites240  240 frames of a ball, 100 x 100, wandering over a 640 x 480 screen, every disposal in turn
//               (fewer than the reader's 256-frame limit, so that every reader decodes all of them)
//   sprite2     2 frames of a ball, 100 x 100
//   tall3       3 frames 100 x 200, the first opaque, the later ones transparent
//   locals74    74 frames of stripes, 315 x 236, each with its own colour table
//   wide1       one transparent frame, 256 x 128
//   interlaced1 one transparent interlaced frame, 100 x 100

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/gif/sprite_gif.h"

namespace gifbench {

struct TKind {
    std::string name;
    std::vector<std::string> files;  // names in the folder
};

inline std::vector<TKind> BenchKinds() {
    std::vector<TKind> kinds;
    for (const char* name :
         {"photo",      "anim40",     "optimised", "icons",    "gradient", "wedge",      "drawing",   "solid",
          "checker",    "bigchecker", "dither",    "onepixel", "ball64",   "ball50",     "stripes64", "sprite10",
          "sprites240", "sprite2",    "tall3",     "locals74", "wide1",    "interlaced1"}) {
        TKind k{name, {}};
        if (k.name == "icons") {
            for (int i = 0; i < 200; ++i) {
                char file[32];
                std::snprintf(file, sizeof file, "icon-%03d.gif", i);
                k.files.push_back(file);
            }
        } else {
            k.files.push_back(k.name + ".gif");
        }
        kinds.push_back(k);
    }
    return kinds;
}

#if !defined(_WIN32)
inline bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

inline void RunOrExit(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "gif bench: failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Makes the files that are not there yet; ImageMagick's seeded plasma makes them the same on every machine
// with the same ImageMagick.
inline void MakeBenchFiles(const std::string& dir) {
    RunOrExit("mkdir -p '" + dir + "'");
    const std::string d = "'" + dir + "/";
    if (!FileExists(dir + "/photo.gif")) {
        RunOrExit("convert -seed 1 -size 1920x1080 plasma:fractal -blur 0x1 -colors 256 " + d + "photo.gif'");
    }
    if (!FileExists(dir + "/anim40.gif")) {
        std::string cmd = "convert -seed 2 -size 500x500 plasma:fractal -colors 256 -write mpr:base +delete";
        for (int i = 0; i < 40; ++i) {
            cmd += " \\( mpr:base -roll +" + std::to_string(i * 12) + "+" + std::to_string(i * 7) + " \\)";
        }
        RunOrExit(cmd + " -set delay 4 -loop 0 " + d + "anim40.gif'");
    }
    if (!FileExists(dir + "/optimised.gif")) {
        std::string cmd = "convert -seed 3 -size 400x300 plasma:fractal -colors 200 -write mpr:bg +delete";
        for (int i = 0; i < 30; ++i) {
            const int x = 20 + i * 12;
            const int y = 60 + (i % 10) * 18;
            cmd += " \\( mpr:bg -fill 'rgb(" + std::to_string(40 + i * 7) + ",30,200)' -draw 'circle " +
                   std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(x + 25) + "," +
                   std::to_string(y) + "' \\)";
        }
        RunOrExit(cmd + " -set delay 5 -loop 0 -layers Optimize " + d + "optimised.gif'");
    }
    const struct {
        const char* name;
        int width, height, frames;
        TSpriteLook look;
        TSpriteOptions options;
    } sprites[] = {
        {"ball64", 64, 64, 120, TSpriteLook::Ball, {}},
        {"ball50", 50, 40, 120, TSpriteLook::Ball, {}},
        {"stripes64", 64, 64, 120, TSpriteLook::Stripes, {}},
        {"sprite10", 100, 100, 10, TSpriteLook::Ball, {}},
        {"sprites240", 100, 100, 240, TSpriteLook::Ball, {false, false, false, 640, 480, true}},
        {"sprite2", 100, 100, 2, TSpriteLook::Ball, {}},
        {"tall3", 100, 200, 3, TSpriteLook::Ball, {false, false, true}},
        {"locals74", 315, 236, 74, TSpriteLook::Stripes, {true, false, false}},
        {"wide1", 256, 128, 1, TSpriteLook::Stripes, {}},
        {"interlaced1", 100, 100, 1, TSpriteLook::Ball, {false, true, false}},
    };
    for (const auto& s : sprites) {
        const std::string path = dir + "/" + s.name + ".gif";
        if (!FileExists(path)) {
            const giftest::Bytes b = MakeSpriteAnimation(s.width, s.height, s.frames, s.look, s.options);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        }
    }
    const struct {
        const char* name;
        const char* command;
    } pictures[] = {
        {"gradient", "-size 700x320 gradient:white-black -colorspace Gray +dither -colors 256"},
        {"wedge", "-size 350x640 gradient:white-black -rotate 90 -colorspace Gray +dither -colors 256"},
        {"drawing",
         "-size 320x200 xc:'rgb(90,160,230)' +antialias -fill 'rgb(40,140,60)' -draw 'rectangle 0,140 319,199' "
         "-fill 'rgb(200,30,30)' -draw 'roundrectangle 60,100 250,150 20,20' -fill 'rgb(30,30,30)' "
         "-draw 'circle 100,150 100,172' -draw 'circle 210,150 210,172' -fill 'rgb(160,200,240)' "
         "-draw 'polygon 110,100 140,70 200,70 225,100' -fill 'rgb(250,220,40)' -draw 'circle 280,40 280,62' "
         "-colors 16"},
        {"solid",
         "-size 640x400 xc:'rgb(0,0,128)' +antialias -fill 'rgb(200,0,0)' -draw 'rectangle 0,0 319,199' "
         "-fill 'rgb(0,160,0)' -draw 'rectangle 320,200 639,399' -fill 'rgb(240,240,0)' "
         "-draw 'rectangle 200,120 440,280' -colors 8"},
        {"checker", "-size 1920x1728 pattern:checkerboard -colorspace Gray +dither -colors 4"},
        {"bigchecker",
         "\\( xc:black xc:white +append \\) \\( xc:white xc:black +append \\) -append -sample 30000% "
         "-write mpr:tile +delete -size 1591x2074 tile:mpr:tile -colorspace Gray +dither -colors 2"},
        {"dither", "-seed 5 -size 640x480 plasma:fractal -blur 0x2 -dither FloydSteinberg -colors 8"},
        {"onepixel", "-size 1x1 xc:red"},
    };
    for (const auto& p : pictures) {
        if (!FileExists(dir + "/" + p.name + ".gif")) {
            RunOrExit(std::string("convert ") + p.command + " " + d + p.name + ".gif'");
        }
    }
    if (!FileExists(dir + "/icon-199.gif")) {
        RunOrExit("convert -seed 4 -size 640x320 plasma:fractal -crop 32x32 +repage -colors 64 " + d +
                  "icon-%03d.gif'");
    }
}
#endif

}  // namespace gifbench
