#include "controls/GIFReader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
// x86 processors get the fast decoder's SSE2 code beside the plain one, picked at run time.
#if defined(__i386__) || defined(__x86_64__)
#define GIF_SSE2_KERNELS 1
#include <emmintrin.h>
#else
#define GIF_SSE2_KERNELS 0
#endif

namespace {

constexpr std::uint8_t ExtensionIntroducer = 0x21;
constexpr std::uint8_t ImageSeparator = 0x2C;
constexpr std::uint8_t Trailer = 0x3B;
constexpr std::uint8_t GraphicControlLabel = 0xF9;
constexpr std::uint8_t CommentLabel = 0xFE;
constexpr std::uint8_t ApplicationLabel = 0xFF;

constexpr std::size_t ScreenDescriptorEnd = 13;  // signature, version and the 7-byte logical screen
constexpr std::size_t ImageDescriptorSize = 10;
constexpr std::size_t GraphicControlSize = 8;  // introducer, label, then the 6 bytes of the pending record
constexpr std::size_t LoopSubBlockEnd = 18;    // introducer, label, 11-byte block, the 4-byte loop sub-block
constexpr std::size_t LoopExtensionSize = 19;  // with the terminator that usually follows

// A chunked copy may store up to this many bytes past the end of the string it copies.
constexpr std::size_t CopySlack = 16;
// No LZW string is longer than the table has entries (each entry adds one byte to an earlier string).
constexpr std::size_t MaxString = LzwTableSize + 1;
// A decoding run's room after the frame's last pixel: the longest string may start there, and a chunk overrun it.
constexpr std::size_t RunSlack = MaxString + CopySlack;
// Every root's one-byte string, with room for a chunked copy's overrun.
struct RootBytes {
    constexpr RootBytes() : bytes() {
        for (int i = 0; i < 256; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i);
        }
    }
    std::uint8_t bytes[256 + CopySlack];
};
constexpr RootBytes kRoots;
// Codes stop widening at 12 bits (only a minimum code size of 12 starts them at 13).
constexpr unsigned MaxCodeLength = 12;
// A decoding run larger than this is not kept from one stream to the next.
constexpr std::size_t KeptRunBytes = std::size_t{1} << 20;
// A frame of at least this many pixels (and not interlaced) is decoded straight into its own buffer, which
// then has RunSlack bytes more room than it keeps: a run that large would not stay in the cache for its
// copy, and a new one would cost the system as many fresh pages again.
constexpr std::size_t DirectPixels = std::size_t{256} << 10;

// 16 bytes read from kOneByte + 16 - k are 0xFF at byte k alone.
constexpr std::uint8_t kOneByte[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};

int Le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

// The image row filled k-th: rows in order, or the four interlace passes (every 8th row from 0, every 8th
// from 4, every 4th from 2, every 2nd from 1); a pass with no row inside the frame contributes nothing.
int RowOf(int k, int height, bool interlaced) {
    if (!interlaced) {
        return k;
    }
    const int pass1 = (height + 7) / 8;
    if (k < pass1) {
        return k * 8;
    }
    k -= pass1;
    const int pass2 = (height + 3) / 8;
    if (k < pass2) {
        return 4 + k * 8;
    }
    k -= pass2;
    const int pass3 = (height + 1) / 4;
    if (k < pass3) {
        return 2 + k * 4;
    }
    k -= pass3;
    return 1 + k * 2;
}

// Where a transparent frame's mask bits go.
struct TMaskTarget {
    std::uint8_t* mask;
    std::size_t stride;
    std::uint8_t transparentIndex;
    int height;
    bool interlaced;
};

// The LZW decoder's state: the data being read, where decoding stands, and the fast decoder's run and tables,
// which its plain and SSE2 code share.
struct TLzwCore {
    void Stop(TLzwStatus status) {
        status_ = status;
        stopped_ = true;
    }

    // Where codes first widen after a clear on the fast path, whose nextFree starts one below the first entry:
    // at 2 x clear, but never at the first code (with code sizes 0 and 1 the first entry already reaches it,
    // and the careful path widens only when an entry is added).
    unsigned FirstGrowth() const { return std::max((1u << (codeSize_ + 1)), end_ + 2); }

    const std::uint8_t* in_ = nullptr;
    const std::uint8_t* inEnd_ = nullptr;
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;

    unsigned clear_ = 0;
    unsigned end_ = 0;
    unsigned codeSize_ = 0;
    unsigned codeLen_ = 0;
    unsigned nextFree_ = 0;
    std::size_t growAt_ = 0;  // fast path: codes widen (or the table is full) when nextFree reaches this
    TLzwStatus status_ = TLzwStatus::Complete;
    bool stopped_ = false;
    bool needsCareful_ = false;

    // fast path
    std::unique_ptr<std::uint8_t[]> run_;  // the decoder's own run, kept for the next frame
    std::size_t runSize_ = 0;
    std::uint8_t* out_ = nullptr;  // where the frame's pixels go in decoding order, then room for overruns
    std::size_t written_ = 0;
    std::size_t total_ = 0;
    // Where each code's string stands and how long it is. Not initialised: Start sets the roots and the
    // clear and end codes, and every other entry is set before a code may name it.
    const std::uint8_t* where_[LzwTableSize + 1];
    std::uint16_t length_[LzwTableSize + 1];
};

namespace plain {
#define GIF_KERNEL_SSE2 0
#include "controls/GIFReaderKernels.inc"
#undef GIF_KERNEL_SSE2
}  // namespace plain

#if GIF_SSE2_KERNELS
// A 32-bit build for processors without SSE2 compiles this copy, and only this one, for SSE2.
#if !defined(__SSE2__) && defined(__GNUC__) && !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("sse2")
#define GIF_POP_TARGET
#endif
namespace sse2 {
#define GIF_KERNEL_SSE2 1
#include "controls/GIFReaderKernels.inc"
#undef GIF_KERNEL_SSE2
}  // namespace sse2
#if defined(GIF_POP_TARGET)
#pragma GCC pop_options
#undef GIF_POP_TARGET
#endif
#endif

bool ProcessorHasSse2() {
#if defined(__SSE2__)
    return true;
#elif GIF_SSE2_KERNELS
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") != 0;
#else
    return false;
#endif
}

}  // namespace

// The LZW decoder's state, set up once per stream and reused by every frame, so nothing is allocated per
// code. Two decoders share the data gathering:
//  - the fast one (minimum code sizes up to 8) writes the frame's pixels into one contiguous run and keeps,
//    for every code, where its string already stands (earlier in that run, or for a root in a constant
//    table of all bytes) and how long it is. Every code then costs the same one copy, in 16-byte chunks
//    (the run has room after the image for any string's overrun, so no code needs a length test), with no
//    branch on what kind of code it was. The frame's buffer is then made from the run (a large frame's run
//    is its buffer), and the mask is built 16 pixels at a time; padded and interlaced rows are copied to
//    their places and masked in one pass. The copies and the mask have SSE2 code beside the plain one
//    (controls/GIFReaderKernels.inc), picked by the processor.
//  - the careful one follows the table of prefixes and suffixes one pixel at a time, with 16-bit pixel
//    values; it serves code sizes 9 to 12 (whose roots do not fit a byte, so transparency must compare the
//    whole code) and cross-checks the fast one.
// A code beyond the next free one stands for the entry being defined, and the code right after a clear is a
// pixel whatever its value. Either then becomes the prefix of the next entry before it names anything, so the
// table can come to hold a chain that loops back onto itself: the careful decoder bounds every walk and stops
// the frame's data at one that loops or leaves the table. The fast one keeps no prefixes; it hands such
// frames (rare, and never written by an encoder) to the careful one, so both agree on every pixel.
class TLzwDecoder : private TLzwCore {
public:
    // Not defaulted: a defaulted constructor would let make_unique zero the tables, a cost every new stream
    // would pay whether or not its frames use them.
    TLzwDecoder() {}  // NOLINT(modernize-use-equals-default)

    // Copies the data sub-blocks at `pos` into one run of bytes, leaving `pos` past the terminator or at the
    // end of the data. Returns whether the terminator was found.
    bool Gather(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
        // Measure first, so that the run is as long as this image's data and not the rest of the file.
        std::size_t total = 0;
        for (std::size_t p = pos; p < size;) {
            const std::size_t n = data[p++];
            if (n == 0) {
                break;
            }
            const std::size_t take = std::min(n, size - p);
            total += take;
            p += take;
        }
        if (input_.size() < total + CopySlack) {
            input_.resize(total + CopySlack);
        }
        blocks_.clear();
        inputSize_ = 0;
        while (pos < size) {
            const std::size_t n = data[pos++];
            if (n == 0) {
                return true;
            }
            const std::size_t take = std::min(n, size - pos);
            // Progress needs only an approximate file position, so a block is noted every KiB of data: the
            // notes stay small even for a file of one-byte sub-blocks.
            if (blocks_.empty() || inputSize_ - blocks_.back().inputOffset >= 1024) {
                blocks_.push_back({inputSize_, pos});
            }
            std::memcpy(input_.data() + inputSize_, data + pos, take);
            inputSize_ += take;
            pos += take;
        }
        return false;
    }

    // About where in the file the decoder has read up to: exact at noted blocks, and between them short by
    // at most the length bytes it skipped, so it never goes backwards.
    std::size_t FilePosition() const {
        const std::size_t consumed = static_cast<std::size_t>(in_ - input_.data()) - bits_ / 8;
        auto after = std::upper_bound(blocks_.begin(), blocks_.end(), consumed,
                                      [](std::size_t c, const Block& b) { return c < b.inputOffset; });
        if (after == blocks_.begin()) {
            return 0;
        }
        --after;
        return after->filePosition + (consumed - after->inputOffset);
    }

    void Start(int codeSize, bool careful) {
        in_ = input_.data();
        inEnd_ = in_ + inputSize_;
        acc_ = 0;
        bits_ = 0;
        clear_ = 1u << codeSize;
        end_ = clear_ + 1;
        status_ = TLzwStatus::Complete;
        stopped_ = false;
        needsCareful_ = false;
        ResetTable();
        if (!careful) {
            nextFree_ = end_;
            growAt_ = FirstGrowth();
            // Not strings: the length test sends them to their own branches.
            length_[clear_] = 0;
            length_[end_] = 0;
            // A frame writes entries from its end code up, so the roots below stay ready for the next frame
            // unless it has more of them.
            for (unsigned i = readyRoots_; i < clear_; ++i) {
                where_[i] = kRoots.bytes + i;
                length_[i] = 1;
            }
            readyRoots_ = clear_;
        } else {
            if (!chains_) {
                chains_ = std::make_unique<TChains>();
                prefix_ = chains_->prefix;
                suffix_ = chains_->suffix;
                stack_ = chains_->stack;
            }
            // Roots stand for themselves, every other entry reads as zero until it is defined. ResetTable has
            // cleared whatever earlier frames left above this frame's end code; below it, roots are set and
            // the clear and end codes' slots cleared. Only entries above the end code are ever written, so
            // the roots hold through every clear code of the frame. The clear code can be 4096: bound by the
            // table.
            const unsigned roots = std::min<unsigned>(clear_, LzwTableSize);
            const unsigned top = std::min<unsigned>(end_ + 1, LzwTableSize);
            for (unsigned i = 0; i < roots; ++i) {
                suffix_[i] = static_cast<std::uint16_t>(i);
                prefix_[i] = 0;
            }
            for (unsigned i = roots; i < top; ++i) {
                suffix_[i] = 0;
                prefix_[i] = 0;
            }
            defined_ = end_ + 1;
        }
    }

    // ---- fast path ----

    // Gets the run ready for a frame of `total` pixels: `target` when given, which must hold total + RunSlack
    // bytes, else the decoder's own. The room after the last pixel for the longest string and a chunk's
    // overrun means no code ever needs a length test.
    void BeginOutput(std::size_t total, std::uint8_t* target) {
        if (target) {
            out_ = target;
        } else {
            const std::size_t room = total + RunSlack;
            if (runSize_ < room) {
                // Not zeroed: every pixel is written before it is read.
                run_.reset(new std::uint8_t[room]);
                runSize_ = room;
            }
            out_ = run_.get();
        }
        written_ = 0;
        total_ = total;
    }

    // Decodes until at least `until` pixels are written (or all of them, or the data stops), with the SSE2
    // code when `useSse2` (the processor must have it).
    void RunFast(std::size_t until, bool useSse2) {
#if GIF_SSE2_KERNELS
        if (useSse2) {
            sse2::RunFast(*this, until);
            return;
        }
#else
        (void)useSse2;
#endif
        plain::RunFast(*this, until);
    }

    const std::uint8_t* Run() const {
        return out_;
    }
    // A large run is given back once a stream is decoded, rather than kept beside the frames for good.
    void ReleaseLargeRun() {
        if (runSize_ > KeptRunBytes) {
            run_.reset();
            runSize_ = 0;
        }
    }

    std::size_t Written() const {
        return written_;
    }
    bool Stopped() const {
        return stopped_;
    }
    // The fast decoder met a code only the careful one can follow; the frame must be decoded again by it.
    bool NeedsCareful() const {
        return needsCareful_;
    }
    TLzwStatus Status() const {
        return status_;
    }

    // ---- careful path ----

    // The next pixel value, or -1 when the data stops.
    int NextPixel() {
        if (sp_ > 0) {
            return stack_[--sp_];
        }
        for (;;) {
            int code = ReadCode();
            if (code < 0) {
                Stop(TLzwStatus::EndOfData);
                return -1;
            }
            const unsigned x0 = static_cast<unsigned>(code);
            if (x0 == clear_) {
                ResetTable();
                continue;
            }
            if (x0 == end_) {
                Stop(TLzwStatus::EndCode);
                return -1;
            }
            if (!hasPrev_) {
                // The first code after a clear is a pixel whatever its value; it defines no entry.
                hasPrev_ = true;
                prevCode_ = x0;
                first_ = x0;
                return static_cast<int>(x0);
            }
            unsigned x = x0;
            if (x >= nextFree_) {
                // Beyond the table so far: taken as the entry being defined, the previous string plus its
                // own first character.
                stack_[sp_++] = static_cast<std::uint16_t>(first_);
                x = prevCode_;
            }
            // A chain that does not loop visits each entry above the end code at most once, fewer than
            // LzwTableSize, so a walk that fills the stack has looped. Prefixes beyond the table (only code
            // size 12 has codes past 4095) name nothing.
            while (x >= clear_) {
                if (x >= LzwTableSize || sp_ >= LzwTableSize) {
                    sp_ = 0;
                    Stop(TLzwStatus::BadCode);
                    return -1;
                }
                stack_[sp_++] = suffix_[x];
                x = prefix_[x];
            }
            first_ = suffix_[x];
            stack_[sp_++] = static_cast<std::uint16_t>(first_);
            if (nextFree_ < LzwTableSize) {
                suffix_[nextFree_] = static_cast<std::uint16_t>(first_);
                prefix_[nextFree_] = static_cast<std::uint16_t>(prevCode_);
                ++nextFree_;
                defined_ = std::max(defined_, nextFree_);
                if (nextFree_ >= threshold_ && threshold_ < LzwTableSize) {
                    threshold_ *= 2;
                    ++codeLen_;
                }
            }
            prevCode_ = x0;
            return stack_[--sp_];
        }
    }

private:
    struct Block {
        std::size_t inputOffset;
        std::size_t filePosition;
    };

    void ResetTable() {
        // Entries defined since the last reset read as zero again: the careful path may walk into an entry
        // not yet defined (the fast one never reads one). With code size 12 the first entry, and so
        // defined_, lies past the table.
        // Until the careful path first runs it has no tables, and nothing to clear.
        const unsigned defined = prefix_ ? std::min<unsigned>(defined_, LzwTableSize) : 0;
        for (unsigned i = end_ + 1; i < defined; ++i) {
            prefix_[i] = 0;
            suffix_[i] = 0;
        }
        defined_ = end_ + 1;
        codeSize_ = 0;
        while ((1u << codeSize_) < clear_) {
            ++codeSize_;
        }
        codeLen_ = codeSize_ + 1;
        nextFree_ = end_ + 1;
        threshold_ = 2 * clear_;
        hasPrev_ = false;
        sp_ = 0;
    }

    int ReadCode() {
        while (bits_ < codeLen_ && in_ < inEnd_) {
            acc_ |= static_cast<std::uint64_t>(*in_++) << bits_;
            bits_ += 8;
        }
        if (bits_ < codeLen_) {
            return -1;
        }
        const int code = static_cast<int>(acc_ & ((1u << codeLen_) - 1));
        acc_ >>= codeLen_;
        bits_ -= codeLen_;
        return code;
    }

    std::vector<std::uint8_t> input_;
    std::size_t inputSize_ = 0;
    std::vector<Block> blocks_;
    unsigned threshold_ = 0;
    bool hasPrev_ = false;

    unsigned readyRoots_ = 0;  // root slots below this still point into kRoots

    // careful path
    unsigned prevCode_ = 0;
    unsigned first_ = 0;
    unsigned sp_ = 0;
    unsigned defined_ = 0;  // every careful-path entry from this one up is zero
    // The careful path's tables, made (zeroed) the first time it runs: most streams never need them.
    struct TChains {
        std::uint16_t prefix[LzwTableSize];
        std::uint16_t suffix[LzwTableSize];
        std::uint16_t stack[LzwTableSize + 1];
    };
    std::unique_ptr<TChains> chains_;
    std::uint16_t* prefix_ = nullptr;
    std::uint16_t* suffix_ = nullptr;
    std::uint16_t* stack_ = nullptr;
};

bool GifReaderUsesSse2() {
    static const bool sse2 = ProcessorHasSse2();
    return sse2;
}

TGifStream::TGifStream() : decoder_(std::make_unique<TLzwDecoder>()) {}

TGifStream::~TGifStream() = default;

void TGifStream::ResetFrames() {
    Frames.clear();
    LoopCount = 1;
    ColorBits = 0;
    GlobalColors.fill(0);
    HasTransparency = false;
    AnyInterlaced = false;
    ScreenWidth = ScreenHeight = 0;
    ImageWidth = ImageHeight = 0;
    KeepOnProcessing = true;
    Stop = TGifStop::EndOfData;
    position_ = 0;
    allocated_ = 0;
    truncated_ = false;
}

bool TGifStream::DecodeData(const std::uint8_t* data, std::size_t size) {
    LastError = GifDecodeFailed;
    Fault = TGifFault::None;
    ResetFrames();
    if (data == nullptr || size == 0) {
        LastError = GifEmptyData;
        Fault = TGifFault::EmptyData;
        return false;
    }
    data_ = data;
    size_ = size;
    TGifFault fault = TGifFault::None;
    try {
        ParseBlocks();
        ImageWidth = ScreenWidth;
        ImageHeight = ScreenHeight;
        for (const auto& f : Frames) {
            ImageWidth = std::max(ImageWidth, f->Left + f->Width);
            ImageHeight = std::max(ImageHeight, f->Top + f->Height);
        }
        // The control composes into surfaces of this size; a tiny file must not make it ask for gigabytes.
        if (static_cast<std::uint64_t>(ImageWidth) * static_cast<std::uint64_t>(ImageHeight) > MaxImagePixels) {
            fault = TGifFault::ImageTooLarge;
        }
    } catch (const Abort& a) {
        fault = a.fault;
    } catch (const std::bad_alloc&) {
        fault = TGifFault::OutOfMemory;
    }
    data_ = nullptr;
    size_ = 0;
    decoder_->ReleaseLargeRun();
    if (fault != TGifFault::None) {
        ResetFrames();
        Fault = fault;
        LastError = fault == TGifFault::Cancelled ? GifCancelled : GifDecodeFailed;
        return false;
    }
    LastError = GifOk;
    return true;
}

void TGifStream::ReportProgress(std::size_t position) {
    if (!OnProgress) {
        return;
    }
    const std::int64_t total = static_cast<std::int64_t>(std::min<std::size_t>(size_, INT_MAX));
    const std::int64_t done = static_cast<std::int64_t>(std::min<std::size_t>(position, size_));
    const std::int64_t percent = total > 0 ? (100 * done + total / 2) / total : 0;
    OnProgress(static_cast<int>(std::min<std::int64_t>(done, INT_MAX)), static_cast<int>(total),
               static_cast<int>(percent), KeepOnProcessing);
    if (!KeepOnProcessing) {
        Fail(TGifFault::Cancelled);
    }
}

// Skips data sub-blocks from p up to and including the terminator. False when the data ends first.
static bool SkipSubBlocks(const std::uint8_t* data, std::size_t size, std::size_t& p) {
    for (;;) {
        if (p >= size) {
            return false;
        }
        const std::size_t n = data[p++];
        if (n == 0) {
            return true;
        }
        if (size - p < n) {
            return false;
        }
        p += n;
    }
}

void TGifStream::ParseBlocks() {
    const std::uint8_t* const d = data_;
    const std::size_t size = size_;
    if (size < 3 || std::memcmp(d, "GIF", 3) != 0) {
        Fail(TGifFault::BadSignature);
    }
    // The version bytes are not examined: any three bytes are accepted.
    if (size < ScreenDescriptorEnd) {
        Fail(TGifFault::TruncatedHeader);
    }
    ScreenWidth = Le16(d + 6);
    ScreenHeight = Le16(d + 8);
    const std::uint8_t packed = d[10];
    position_ = ScreenDescriptorEnd;
    if (packed & 0x80) {
        const int bits = (packed & 7) + 1;
        const std::size_t bytes = std::size_t{3} << bits;
        if (size - position_ < bytes) {
            Fail(TGifFault::TruncatedHeader);
        }
        ColorBits = bits;
        std::memcpy(GlobalColors.data(), d + position_, bytes);
        position_ += bytes;
    }

    TPendingRecord record{};
    std::string comment;
    bool moved = true;
    while (moved && KeepOnProcessing) {
        ReportProgress(position_);
        const std::size_t before = position_;
        const std::size_t left = size - position_;
        if (left == 0) {
            Stop = truncated_ ? TGifStop::TruncatedBlock : TGifStop::EndOfData;
            break;
        }
        const std::uint8_t block = d[position_];
        if (block == ExtensionIntroducer) {
            if (left < 2) {
                truncated_ = true;
                position_ = size;
                continue;
            }
            const std::uint8_t label = d[position_ + 1];
            std::size_t p = position_ + 2;
            bool complete = true;
            if (label == GraphicControlLabel) {
                // The block size byte is not examined: the record is always the next 6 bytes.
                if (left < GraphicControlSize) {
                    complete = false;
                } else {
                    std::memcpy(record.data(), d + p, record.size());
                    p = position_ + GraphicControlSize;
                }
            } else if (label == CommentLabel) {
                comment.clear();
                for (;;) {
                    if (p >= size) {
                        complete = false;
                        break;
                    }
                    const std::size_t n = d[p++];
                    if (n == 0) {
                        break;
                    }
                    if (size - p < n) {
                        complete = false;
                        break;
                    }
                    comment.append(reinterpret_cast<const char*>(d + p), n);
                    p += n;
                }
            } else if (label == ApplicationLabel && left >= 14 && std::memcmp(d + position_ + 3, "NETSCAPE", 8) == 0 &&
                       std::memcmp(d + position_ + 11, "2.0", 3) == 0) {
                // The loop sub-block has a fixed layout (size byte, identifier, loop number); its size and
                // identifier are not examined. Writers may add further sub-blocks (a buffering hint): they are
                // skipped up to the terminator, which usually follows the loop number at once.
                if (left < LoopExtensionSize) {
                    complete = false;
                } else {
                    LoopCount = Le16(d + position_ + 16);
                    p = position_ + LoopSubBlockEnd;
                    complete = SkipSubBlocks(d, size, p);
                }
            } else {
                // Any other application extension, plain text (never drawn) and labels we do not know:
                // every extension is a run of sub-blocks, so any of them can be stepped over.
                complete = SkipSubBlocks(d, size, p);
            }
            if (!complete) {
                truncated_ = true;
                p = size;
            }
            position_ = p;
        } else if (block == ImageSeparator) {
            if (Frames.size() >= static_cast<std::size_t>(MaxFrames)) {
                Stop = TGifStop::FrameLimit;
                break;
            }
            auto frame = std::make_unique<TFrame>();
            if (!frame->ReadImage(*this, position_, record)) {
                // Cut off inside its descriptor or colour table: nothing of it is worth keeping.
                truncated_ = true;
                position_ = size;
                continue;
            }
            ColorBits = std::max(ColorBits, frame->LocalBits);
            HasTransparency = HasTransparency || frame->Transparent;
            AnyInterlaced = AnyInterlaced || frame->Interlaced;
            frame->Comment = std::move(comment);
            comment.clear();
            record.fill(0);
            Frames.push_back(std::move(frame));
            if (OnFrame) {
                OnFrame(*Frames.back());
            }
        } else if (block == Trailer) {
            position_ = size;
            Stop = TGifStop::Trailer;
            break;
        } else {
            Stop = TGifStop::UnknownBlock;
        }
        moved = position_ != before;
    }
    ReportProgress(position_);
}

bool TFrame::ReadImage(TGifStream& owner, std::size_t& Position, const TPendingRecord& record) {
    const std::uint8_t* const d = owner.data_;
    const std::size_t size = owner.size_;
    if (Position >= size || d[Position] != ImageSeparator || size - Position < ImageDescriptorSize) {
        return false;
    }
    const std::uint8_t* desc = d + Position;
    Left = Le16(desc + 1);
    Top = Le16(desc + 3);
    Width = Le16(desc + 5);
    Height = Le16(desc + 7);
    const std::uint8_t packed = desc[9];
    std::size_t p = Position + ImageDescriptorSize;

    if (packed & 0x80) {
        LocalBits = (packed & 7) + 1;
        const std::size_t bytes = std::size_t{3} << LocalBits;
        if (size - p < bytes) {
            return false;
        }
        HasLocalColors = true;
        std::memcpy(Colors.data(), d + p, bytes);
        p += bytes;
        ColorCount = 1 << LocalBits;
    } else {
        HasLocalColors = false;
        LocalBits = 0;
        Colors = owner.GlobalColors;
        ColorCount = 1 << owner.ColorBits;
    }
    Interlaced = (packed & 0x40) != 0;

    Delay = std::max(1, 10 * Le16(record.data() + 2));
    switch ((record[1] >> 2) & 7) {
        case 0:
            Disposal = 0;
            break;
        case 1:
            Disposal = 1;
            break;
        case 3:
            Disposal = 3;
            break;
        default:  // 2, and the undefined 4 to 7, restore the background
            Disposal = 2;
            break;
    }
    Transparent = (record[1] & 1) != 0;
    TransparentIndex = record[4];
    if (Transparent) {
        const std::size_t i = std::size_t{TransparentIndex} * 3;
        TransparentColor = {Colors[i], Colors[i + 1], Colors[i + 2]};
    }

    // Sizes in 64 bits against the budgets before anything is allocated.
    const std::uint64_t stride = (static_cast<std::uint64_t>(Width) + 3) & ~std::uint64_t{3};
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(Height);
    const std::uint64_t maskStride = (static_cast<std::uint64_t>(Width) + 31) / 32 * 4;
    const std::uint64_t maskBytes = Transparent ? maskStride * static_cast<std::uint64_t>(Height) : 0;
    if (pixelBytes > owner.FrameBudget) {
        owner.Fail(TGifFault::FrameTooLarge);
    }
    DataPosition = p;
    if (owner.allocated_ + pixelBytes + maskBytes > owner.StreamBudget) {
        if (!owner.DeferFrames) {
            owner.Fail(TGifFault::StreamTooLarge);
        }
        return owner.DeferImage(*this, Position, stride, maskStride);
    }
    owner.allocated_ += pixelBytes + maskBytes;
    PixelStride = static_cast<int>(stride);
    MaskStride = Transparent ? static_cast<int>(maskStride) : 0;

    Position = p;
    DecodePixels(owner, Position);
    DataBytes = Position - DataPosition;
    return true;
}

// Index 0 and opaque wherever nothing is decoded. The fast decoder's frames are built from its run instead, and
// only what it did not write is cleared.
static void ClearBuffers(TFrame& f) {
    f.Pixels.assign(static_cast<std::size_t>(f.PixelStride) * static_cast<std::size_t>(f.Height), 0);
    f.MaskBits.assign(static_cast<std::size_t>(f.MaskStride) * static_cast<std::size_t>(f.Height), 0);
}

bool TGifStream::DeferImage(TFrame& frame, std::size_t& Position, std::uint64_t stride, std::uint64_t maskStride) {
    frame.Deferred = true;
    frame.PixelStride = static_cast<int>(stride);
    frame.MaskStride = frame.Transparent ? static_cast<int>(maskStride) : 0;
    std::size_t p = frame.DataPosition;
    // The minimum code size byte, then the sub-blocks; data that ends first is cut off as a decode would find it.
    if (p >= size_ || !SkipSubBlocks(data_, size_, ++p)) {
        truncated_ = true;
        p = size_;
    }
    frame.DataBytes = p - frame.DataPosition;
    // A frame that declares more pixels than its data could ever hold gets nothing it merely declares.
    if (!frame.DataCanFill()) {
        Fail(TGifFault::StreamTooLarge);
    }
    Position = p;
    return true;
}

bool TGifStream::DecodeFrame(const std::uint8_t* data, std::size_t size, TFrame& frame) {
    frame.Pixels.clear();
    frame.MaskBits.clear();
    // A frame whose data the stream cut off right after its descriptor has nothing to decode but is still a frame.
    if (data == nullptr || frame.DataPosition > size || frame.PixelStride < frame.Width || frame.Width <= 0 ||
        frame.Height <= 0) {
        return false;
    }
    // Decoded as at load, but silently: no progress, no cancelling.
    TProgressEvent progress = std::move(OnProgress);
    OnProgress = nullptr;
    const bool truncated = truncated_;
    bool decoded = true;
    try {
        // DecodePixels makes the buffers, as at load.
        data_ = data;
        size_ = size;
        std::size_t position = frame.DataPosition;
        frame.DecodePixels(*this, position);
    } catch (const std::bad_alloc&) {
        std::vector<std::uint8_t>().swap(frame.Pixels);
        std::vector<std::uint8_t>().swap(frame.MaskBits);
        decoded = false;
    }
    data_ = nullptr;
    size_ = 0;
    truncated_ = truncated;
    OnProgress = std::move(progress);
    decoder_->ReleaseLargeRun();
    return decoded;
}

void TFrame::DecodePixels(TGifStream& owner, std::size_t& Position) {
    const std::uint8_t* const d = owner.data_;
    const std::size_t size = owner.size_;
    TLzwDecoder& lzw = *owner.decoder_;
    const std::size_t pixelBytes = static_cast<std::size_t>(PixelStride) * static_cast<std::size_t>(Height);
    if (Position >= size) {
        DataStatus = Width > 0 && Height > 0 ? TLzwStatus::EndOfData : TLzwStatus::NoPixels;
        owner.truncated_ = true;
        ClearBuffers(*this);
        return;
    }
    const int codeSize = d[Position++];
    if (!lzw.Gather(d, size, Position)) {
        owner.truncated_ = true;
    }
    if (Width == 0 || Height == 0) {
        DataStatus = TLzwStatus::NoPixels;
        ClearBuffers(*this);
        return;
    }
    // A minimum code size above 12 would need more roots than the 4096-entry tables hold. Such a frame is
    // left empty (all index 0, opaque) and the stream goes on: one undecodable image is no reason to lose
    // the others, just as image data that ends early keeps the frame.
    if (codeSize > MaxLzwCodeSize) {
        DataStatus = TLzwStatus::BadCodeSize;
        ClearBuffers(*this);
        return;
    }
    const bool reportRows =
        owner.OnProgress && static_cast<std::int64_t>(Width) * static_cast<std::int64_t>(Height) > ProgressMinPixels;
    const int reportEvery = Width > 320 ? 32 : 64;
    int reports = 0;  // row reports made so far, so that a second decode of the frame does not repeat them

    // One pixel at a time, straight into its row.
    auto decodeCarefully = [&] {
        ClearBuffers(*this);
        lzw.Start(codeSize, true);
        int reported = 0;
        for (int k = 0; k < Height && !lzw.Stopped(); ++k) {
            const int row = RowOf(k, Height, Interlaced);
            std::uint8_t* line = Pixels.data() + static_cast<std::size_t>(row) * PixelStride;
            std::uint8_t* maskLine =
                Transparent ? MaskBits.data() + static_cast<std::size_t>(row) * MaskStride : nullptr;
            int x = 0;
            for (; x < Width; ++x) {
                const int v = lzw.NextPixel();
                if (v < 0) {
                    break;
                }
                line[x] = static_cast<std::uint8_t>(v);
                if (maskLine && v == TransparentIndex) {
                    maskLine[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
                }
            }
            if (x < Width) {
                break;
            }
            if (reportRows && row % reportEvery == 0 && ++reported > reports) {
                owner.ReportProgress(lzw.FilePosition());
            }
        }
        DataStatus = lzw.Stopped() ? lzw.Status() : TLzwStatus::Complete;
    };

    if (codeSize > 8 || owner.CarefulDecoding) {
        decodeCarefully();
        return;
    }
    const bool useSse2 = !owner.PlainDecoding && GifReaderUsesSse2();
    lzw.Start(codeSize, false);

    const std::size_t w = static_cast<std::size_t>(Width);
    const std::size_t total = w * static_cast<std::size_t>(Height);
    const bool direct = !Interlaced && total >= DirectPixels;
    if (direct) {
        Pixels.resize(pixelBytes + RunSlack);
    }
    lzw.BeginOutput(total, direct ? Pixels.data() : nullptr);
    if (reportRows) {
        for (int k = 0; k < Height && !lzw.Stopped(); ++k) {
            const int row = RowOf(k, Height, Interlaced);
            if (row % reportEvery != 0) {
                continue;
            }
            lzw.RunFast((static_cast<std::size_t>(k) + 1) * w, useSse2);
            if (lzw.Written() < (static_cast<std::size_t>(k) + 1) * w) {
                break;
            }
            owner.ReportProgress(lzw.FilePosition());
            ++reports;
        }
    }
    lzw.RunFast(total, useSse2);
    if (lzw.NeedsCareful()) {
        decodeCarefully();
        return;
    }
    const std::size_t written = lzw.Written();
    DataStatus = written >= total ? TLzwStatus::Complete : lzw.Status();

    // The rows go to their places, and the mask is built; pixels that were never decoded, and the padding of
    // the rows, are index 0.
    const std::uint8_t* const run = lzw.Run();
    const std::size_t stride = static_cast<std::size_t>(PixelStride);
    if (Transparent) {
        MaskBits.assign(static_cast<std::size_t>(MaskStride) * static_cast<std::size_t>(Height), 0);
    }
    const TMaskTarget target{Transparent ? MaskBits.data() : nullptr, static_cast<std::size_t>(MaskStride),
                             TransparentIndex, Height, Interlaced};
    if (Interlaced || (!direct && stride != w)) {
        // Padded or interlaced rows, copied one by one into a cleared buffer, with their mask in the same pass.
        Pixels.assign(pixelBytes, 0);
#if GIF_SSE2_KERNELS
        if (useSse2) {
            sse2::PlaceRows(run, written, w, Pixels.data(), stride, target);
            return;
        }
#endif
        plain::PlaceRows(run, written, w, Pixels.data(), stride, target);
        return;
    }
    if (Transparent) {
#if GIF_SSE2_KERNELS
        if (useSse2) {
            sse2::MaskRows(run, written, w, target);
        } else {
            plain::MaskRows(run, written, w, target);
        }
#else
        plain::MaskRows(run, written, w, target);
#endif
    }
    if (direct) {
        // In place: past the last pixel decoded stand overruns, and rows move apart (the last first) to make
        // room for their padding.
        std::uint8_t* const p = Pixels.data();
        std::memset(p + written, 0, total - written);
        if (stride != w) {
            for (std::size_t k = static_cast<std::size_t>(Height); k-- > 0;) {
                std::memmove(p + k * stride, p + k * w, w);
                std::memset(p + k * stride + w, 0, stride - w);
            }
        }
        Pixels.resize(pixelBytes);
    } else {
        // Copied from the run, without clearing first what is copied.
        Pixels.reserve(pixelBytes);
        Pixels.assign(run, run + written);
        Pixels.resize(pixelBytes);
    }
}
