// GIF decoding speed: our reader against giflib's DGifSlurp on the same files, the files of
// bench/gif/bench_files.h (made into <build>/gif-bench on the first run; see there what each kind is).
// bench/gif/gif_speed.cpp times the same kinds in both builds, the 32-bit one under Wine included.
// Counters: bytes_per_second is compressed input, pixels/s is decoded pixels.
//
// gif_bench --decode-once ours|giflib FILE decodes one file once and exits, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='*DecodeData*' gif_bench --decode-once ours photo.gif
//   valgrind --tool=callgrind --toggle-collect=DGifSlurp gif_bench --decode-once giflib photo.gif

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/gif/bench_files.h"
#include "controls/GIFReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kDir = std::string(SKYBURST_BUILD_DIR) + "/gif-bench";

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void MakeFiles() {
    gifbench::MakeBenchFiles(kDir);
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
BENCHMARK_CAPTURE(BM_Ours, wedge, "wedge")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Giflib, wedge, "wedge")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Ours, bigchecker, "bigchecker")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, bigchecker, "bigchecker")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Ours, sprite10, "sprite10")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Giflib, sprite10, "sprite10")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Ours, locals74, "locals74")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Giflib, locals74, "locals74")->Unit(benchmark::kMillisecond);
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
