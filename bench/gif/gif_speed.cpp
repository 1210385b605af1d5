// GIF decoding speed, built natively and for 32-bit Windows (run under Wine), with its own timing:
//   ours     today's reader, the processor's fastest path
//   plain    today's reader held to the plain path (no SSE2), as on a processor without it
//   base     the reader of the baseline commit (GIF_BASELINE), when the build could make it
//   view     (Windows) the GIF view control's load, as the plug-in loads a file: the reader and each frame made into
//            device bitmaps
//   giflib   giflib's DGifSlurp (Debian's library natively; on Windows, built from giflib's sources with the
//            same compiler and flags as ours, when the build was given them)
// in turns, kind by kind, so that a load on the machine falls on all of them alike. Each figure is the best of
// passes (a pass decodes all files of the kind once; a round runs passes for a while with every reader in
// turn), in megapixels decoded per second.
//
// gif_speed DIR [--rounds N] [--ms MILLISECONDS] [--only KIND,KIND...] [--readers NAME,NAME...]
// (--readers keeps only the named ones, for a profile of one of them)
// DIR holds the files of bench/gif/bench_files.h (the native build makes them: gif_speed --make-files DIR).
// Before timing, every file must decode to the same frames with every reader of ours (fast, plain, careful
// and the baseline); a difference stops the run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench/gif/bench_files.h"
#include "controls/GIFReader.h"
#if defined(GIF_BASELINE)
#include "GIFReaderBaseline.h"
#endif
#if defined(HAVE_GIFLIB)
#include <gif_lib.h>
#endif
#if defined(_WIN32)
#include "controls/GIFImageWin.h"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gif_speed: cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What a decode made of a file, for comparing two readers.
struct TFrameFacts {
    int left, top, width, height, status;
    std::vector<std::uint8_t> pixels, mask;
    bool operator==(const TFrameFacts& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height && status == o.status &&
               pixels == o.pixels && mask == o.mask;
    }
};

template <typename Stream>
std::vector<TFrameFacts> FactsOf(const Stream& s) {
    std::vector<TFrameFacts> facts;
    for (int n = 1; n <= s.FrameCount(); ++n) {
        const auto& f = s.Frame(n);
        facts.push_back({f.Left, f.Top, f.Width, f.Height, static_cast<int>(f.DataStatus), f.Pixels, f.MaskBits});
    }
    return facts;
}

#if defined(HAVE_GIFLIB)
struct TMemoryReader {
    const Bytes* data;
    std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* r = static_cast<TMemoryReader*>(gif->UserData);
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), r->data->size() - r->pos);
    std::memcpy(out, r->data->data() + r->pos, take);
    r->pos += take;
    return static_cast<int>(take);
}

bool DecodeWithGiflib(const Bytes& b) {
    TMemoryReader reader{&b, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) {
        return false;
    }
    const bool ok = DGifSlurp(gif) == GIF_OK;
    DGifCloseFile(gif, &error);
    return ok;
}
#endif

struct TDecoder {
    std::string name;
    std::function<bool(const Bytes&)> decode;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make-files") == 0) {
#if defined(_WIN32)
        std::fprintf(stderr, "gif_speed: the native build makes the files\n");
        return 2;
#else
        gifbench::MakeBenchFiles(argv[2]);
        return 0;
#endif
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: gif_speed DIR [--rounds N] [--ms MILLISECONDS] [--only KIND,...] [--readers NAME,...]\n");
        return 2;
    }
    const std::string dir = argv[1];
    int rounds = 10;
    double ms = 10;
    std::string only;
    std::string readers;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--ms") == 0) {
            ms = std::max(1.0, std::atof(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--only") == 0) {
            only = "," + std::string(argv[i + 1]) + ",";
        } else if (std::strcmp(argv[i], "--readers") == 0) {
            readers = "," + std::string(argv[i + 1]) + ",";
        }
    }

    TGifStream ours;
    TGifStream plain;
    plain.PlainDecoding = true;
    std::vector<TDecoder> decoders = {
        {"ours", [&](const Bytes& b) { return ours.DecodeData(b.data(), b.size()); }},
        {"plain", [&](const Bytes& b) { return plain.DecodeData(b.data(), b.size()); }},
    };
#if defined(GIF_BASELINE)
    gifbase::TGifStream base;
    decoders.push_back({"base", [&](const Bytes& b) { return base.DecodeData(b.data(), b.size()); }});
#endif
#if defined(_WIN32)
    TGifWindowHost viewHost;
    TGIFImagX view(viewHost);
    decoders.push_back({"view", [&](const Bytes& b) { return view.LoadFromData(b); }});
#endif
#if defined(HAVE_GIFLIB)
    decoders.push_back({"giflib", DecodeWithGiflib});
#endif
    if (!readers.empty()) {
        decoders.erase(
            std::remove_if(decoders.begin(), decoders.end(),
                           [&](const TDecoder& d) { return readers.find("," + d.name + ",") == std::string::npos; }),
            decoders.end());
    }
    // The ratios shown: the first reader's speed over the second's, where both run.
    std::vector<std::pair<std::size_t, std::size_t>> ratios;
    for (const auto& [a, b] :
         {std::pair<const char*, const char*>{"ours", "base"}, {"ours", "giflib"}, {"view", "giflib"}}) {
        auto at = [&](const char* name) {
            return static_cast<std::size_t>(
                std::find_if(decoders.begin(), decoders.end(), [&](const TDecoder& d) { return d.name == name; }) -
                decoders.begin());
        };
        if (at(a) < decoders.size() && at(b) < decoders.size()) {
            ratios.emplace_back(at(a), at(b));
        }
    }

    std::printf("GIF decoding, %d-bit build, SSE2 path %s; best of %d rounds, Mpx/s\n",
                static_cast<int>(sizeof(void*) * 8), GifReaderUsesSse2() ? "in use" : "not available", rounds);
#if defined(GIF_BASELINE)
    std::printf("base: the reader of %s\n", GIF_BASELINE);
#endif
    std::printf("%-12s %8s", "kind", "Mpx");
    for (const auto& d : decoders) {
        std::printf(" %8s", d.name.c_str());
    }
    for (const auto& [a, b] : ratios) {
        std::printf(" %12s", (decoders[a].name + "/" + decoders[b].name).c_str());
    }
    std::printf("\n");

    for (const auto& kind : gifbench::BenchKinds()) {
        if (!only.empty() && only.find("," + kind.name + ",") == std::string::npos) {
            continue;
        }
        std::vector<Bytes> files;
        double pixels = 0;
        for (const auto& name : kind.files) {
            files.push_back(ReadFile(dir + "/" + name));
            const Bytes& b = files.back();
            TGifStream careful;
            careful.CarefulDecoding = true;
            if (!ours.DecodeData(b.data(), b.size()) || !plain.DecodeData(b.data(), b.size()) ||
                !careful.DecodeData(b.data(), b.size())) {
                std::fprintf(stderr, "gif_speed: our reader rejects %s\n", name.c_str());
                return 1;
            }
            const auto facts = FactsOf(ours);
            bool same = FactsOf(plain) == facts && FactsOf(careful) == facts;
#if defined(GIF_BASELINE)
            same = same && base.DecodeData(b.data(), b.size()) && FactsOf(base) == facts;
#endif
            if (!same) {
                std::fprintf(stderr, "gif_speed: the readers disagree on %s\n", name.c_str());
                return 1;
            }
            for (const auto& f : facts) {
                pixels += static_cast<double>(f.width) * f.height;
            }
        }

        std::vector<double> best(decoders.size(), 0.0);
        for (int r = 0; r < rounds; ++r) {
            // Each round starts with another reader, so that none always follows the same one.
            for (std::size_t i = 0; i < decoders.size(); ++i) {
                const std::size_t d = (i + static_cast<std::size_t>(r)) % decoders.size();
                auto decodeAll = [&] {
                    for (const auto& b : files) {
                        if (!decoders[d].decode(b)) {
                            std::fprintf(stderr, "gif_speed: %s rejects a file of %s\n", decoders[d].name.c_str(),
                                         kind.name.c_str());
                            std::exit(1);
                        }
                    }
                };
                // Passes for about `ms`, timed a few at a time (enough to take the clock's ticks, 0.1 us on
                // Windows, out of the figure): the quickest are those the machine's other work interrupted
                // least. A batch that took less than half the time aimed at (a slow first pass, or a clock
                // that did not tick) is not counted and the batch doubles: one of a 1-pixel file once came out
                // at 0 s, a figure of 1000 Mpx/s.
                auto t0 = std::chrono::steady_clock::now();
                decodeAll();
                const double once = Seconds(std::chrono::steady_clock::now() - t0);
                int batch = once >= 50e-6 ? 1 : static_cast<int>(50e-6 / std::max(once, 1e-8)) + 1;
                const auto start = std::chrono::steady_clock::now();
                auto now = start;
                do {
                    t0 = now;
                    for (int i = 0; i < batch; ++i) {
                        decodeAll();
                    }
                    now = std::chrono::steady_clock::now();
                    const double took = Seconds(now - t0);
                    if (took < 25e-6) {
                        batch *= 2;
                        continue;
                    }
                    best[d] = std::max(best[d], pixels * batch / took / 1e6);
                } while (Seconds(now - start) * 1000 < ms);
            }
        }
        std::printf("%-12s %8.3f", kind.name.c_str(), pixels / 1e6);
        for (double b : best) {
            std::printf(b < 100 ? " %8.1f" : " %8.0f", b);
        }
        for (const auto& [a, b] : ratios) {
            std::printf(" %12.2f", best[a] / best[b]);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
