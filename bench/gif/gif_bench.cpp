// GIF decoding speed: our reader against giflib's DGifSlurp on the same files, made reproducibly with
// ImageMagick from fixed seeds into <build>/gif-bench on the first run:
//   photo     one 1920 x 1080 photo-like frame (dithered plasma, 256 colours)
//   anim40    a 500 x 500 animation of 40 full frames
//   optimised a 400 x 300 animation stored as changed sub-rectangles with transparency
//   icons     200 separate 32 x 32 icons
//   gradient  a 700 x 320 grey wedge, one grey per row (long LZW strings: about 14 pixels a byte)
//   drawing   a 320 x 200 drawing in 16 flat colours, not antialiased
//   solid     640 x 400 in four solid blocks of colour
//   checker   a 1920 x 1728 checkerboard of two greys
//   dither    a 640 x 480 plasma dithered to 8 colours
//   onepixel  a 1 x 1 file: the cost of setting up a decode; onepixel_fresh also sets up a new stream
// and with our own GIF writer (bench/gif/sprite_gif.h), animations of 120 small frames that are all
// transparent around a moving sprite:
//   ball64    a shaded ball, 64 x 64
//   ball50    a shaded ball, 50 x 40 (rows padded to 52 bytes, mask rows not whole words)
//   stripes64 a disc of diagonal stripes, 64 x 64: busier, shorter LZW strings
// Counters: bytes_per_second is compressed input, pixels/s is decoded pixels.
//
// gif_bench --decode-once ours|giflib FILE decodes one file once and exits, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='*DecodeData*' gif_bench --decode-once ours photo.gif
//   valgrind --tool=callgrind --toggle-collect=DGifSlurp gif_bench --decode-once giflib photo.gif

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/gif/sprite_gif.h"
#include "controls/GIFReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kDir = std::string(SKYBURST_BUILD_DIR) + "/gif-bench";

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "gif_bench: failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Makes the files once; ImageMagick's seeded plasma makes them the same on every machine with the same
// ImageMagick.
void MakeFiles() {
    Run("mkdir -p '" + kDir + "'");
    const std::string d = "'" + kDir + "/";
    if (!Exists(kDir + "/photo.gif")) {
        Run("convert -seed 1 -size 1920x1080 plasma:fractal -blur 0x1 -colors 256 " + d + "photo.gif'");
    }
    if (!Exists(kDir + "/anim40.gif")) {
        std::string cmd = "convert -seed 2 -size 500x500 plasma:fractal -colors 256 -write mpr:base +delete";
        for (int i = 0; i < 40; ++i) {
            cmd += " \\( mpr:base -roll +" + std::to_string(i * 12) + "+" + std::to_string(i * 7) + " \\)";
        }
        Run(cmd + " -set delay 4 -loop 0 " + d + "anim40.gif'");
    }
    if (!Exists(kDir + "/optimised.gif")) {
        std::string cmd = "convert -seed 3 -size 400x300 plasma:fractal -colors 200 -write mpr:bg +delete";
        for (int i = 0; i < 30; ++i) {
            const int x = 20 + i * 12;
            const int y = 60 + (i % 10) * 18;
            cmd += " \\( mpr:bg -fill 'rgb(" + std::to_string(40 + i * 7) + ",30,200)' -draw 'circle " +
                   std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(x + 25) + "," +
                   std::to_string(y) + "' \\)";
        }
        Run(cmd + " -set delay 5 -loop 0 -layers Optimize " + d + "optimised.gif'");
    }
    const struct {
        const char* name;
        int width, height;
        TSpriteLook look;
    } sprites[] = {{"ball64", 64, 64, TSpriteLook::Ball},
                   {"ball50", 50, 40, TSpriteLook::Ball},
                   {"stripes64", 64, 64, TSpriteLook::Stripes}};
    for (const auto& s : sprites) {
        const std::string path = kDir + "/" + s.name + ".gif";
        if (!Exists(path)) {
            const giftest::Bytes b = MakeSpriteAnimation(s.width, s.height, 120, s.look);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        }
    }
    const struct {
        const char* name;
        const char* command;
    } pictures[] = {
        {"gradient", "-size 700x320 gradient:white-black -colorspace Gray +dither -colors 256"},
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
        {"dither", "-seed 5 -size 640x480 plasma:fractal -blur 0x2 -dither FloydSteinberg -colors 8"},
        {"onepixel", "-size 1x1 xc:red"},
    };
    for (const auto& p : pictures) {
        if (!Exists(kDir + "/" + p.name + ".gif")) {
            Run(std::string("convert ") + p.command + " " + d + p.name + ".gif'");
        }
    }
    if (!Exists(kDir + "/icon-199.gif")) {
        Run("convert -seed 4 -size 640x320 plasma:fractal -crop 32x32 +repage -colors 64 " + d + "icon-%03d.gif'");
    }
}

struct FileSet {
    std::vector<Bytes> files;
    std::size_t bytes = 0;
    std::int64_t pixels = 0;  // decoded pixels, all frames
};

std::int64_t CountPixels(const Bytes& b) {
    TGifStream s;
    if (!s.DecodeData(b.data(), b.size())) {
        std::fprintf(stderr, "gif_bench: our reader rejects a bench file\n");
        std::exit(1);
    }
    std::int64_t n = 0;
    for (int i = 1; i <= s.FrameCount(); ++i) {
        n += static_cast<std::int64_t>(s.Frame(i).Width) * s.Frame(i).Height;
    }
    return n;
}

const FileSet& Set(const std::string& name) {
    static std::vector<std::pair<std::string, FileSet>> sets;
    for (const auto& s : sets) {
        if (s.first == name) {
            return s.second;
        }
    }
    MakeFiles();
    FileSet set;
    if (name == "icons") {
        for (int i = 0; i < 200; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "/icon-%03d.gif", i);
            set.files.push_back(ReadFile(kDir + file));
        }
    } else {
        set.files.push_back(ReadFile(kDir + "/" + name + ".gif"));
    }
    for (const auto& f : set.files) {
        set.bytes += f.size();
        set.pixels += CountPixels(f);
    }
    sets.emplace_back(name, std::move(set));
    return sets.back().second;
}

struct MemoryReader {
    const Bytes* data;
    std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), r->data->size() - r->pos);
    std::memcpy(out, r->data->data() + r->pos, take);
    r->pos += take;
    return static_cast<int>(take);
}

bool DecodeWithGiflib(const Bytes& b) {
    MemoryReader reader{&b, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) {
        return false;
    }
    const bool ok = DGifSlurp(gif) == GIF_OK;
    benchmark::DoNotOptimize(gif->SavedImages);
    DGifCloseFile(gif, &error);
    return ok;
}

void Report(benchmark::State& state, const FileSet& set) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(set.bytes));
    state.counters["pixels/s"] = benchmark::Counter(
        static_cast<double>(set.pixels) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Ours(benchmark::State& state, const char* name) {
    const FileSet& set = Set(name);
    TGifStream stream;
    for (auto _ : state) {
        for (const auto& f : set.files) {
            benchmark::DoNotOptimize(stream.DecodeData(f.data(), f.size()));
        }
    }
    Report(state, set);
}

// A stream made for each decode, as a control made for one file has it.
void BM_OursFresh(benchmark::State& state, const char* name) {
    const FileSet& set = Set(name);
    for (auto _ : state) {
        for (const auto& f : set.files) {
            TGifStream stream;
            benchmark::DoNotOptimize(stream.DecodeData(f.data(), f.size()));
        }
    }
    Report(state, set);
}

void BM_Giflib(benchmark::State& state, const char* name) {
    const FileSet& set = Set(name);
    for (auto _ : state) {
        for (const auto& f : set.files) {
            if (!DecodeWithGiflib(f)) {
                state.SkipWithError("giflib rejects the file");
                return;
            }
        }
    }
    Report(state, set);
}

BENCHMARK_CAPTURE(BM_Ours, photo, "photo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, photo, "photo")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, anim40, "anim40")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, anim40, "anim40")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, optimised, "optimised")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, optimised, "optimised")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, icons, "icons")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, icons, "icons")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, ball64, "ball64")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, ball64, "ball64")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, ball50, "ball50")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, ball50, "ball50")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, stripes64, "stripes64")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, stripes64, "stripes64")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, gradient, "gradient")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Giflib, gradient, "gradient")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Ours, drawing, "drawing")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Giflib, drawing, "drawing")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Ours, solid, "solid")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Giflib, solid, "solid")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Ours, checker, "checker")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, checker, "checker")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, dither, "dither")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Giflib, dither, "dither")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Ours, onepixel, "onepixel")->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_OursFresh, onepixel, "onepixel")->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_Giflib, onepixel, "onepixel")->Unit(benchmark::kNanosecond);

int DecodeOnce(const std::string& which, const std::string& path) {
    const Bytes b = ReadFile(path);
    if (which == "giflib") {
        return DecodeWithGiflib(b) ? 0 : 1;
    }
    TGifStream s;
    const bool ok = s.DecodeData(b.data(), b.size());
    std::int64_t pixels = 0;
    for (int i = 1; i <= s.FrameCount(); ++i) {
        pixels += static_cast<std::int64_t>(s.Frame(i).Width) * s.Frame(i).Height;
    }
    std::printf("%lld pixels\n", static_cast<long long>(pixels));
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--decode-once") == 0) {
        return DecodeOnce(argv[2], argv[3]);
    }
    if (argc == 2 && std::strcmp(argv[1], "--make-files") == 0) {
        MakeFiles();
        std::printf("%s\n", kDir.c_str());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
