#include "controls/GIFReader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr std::uint8_t ExtensionIntroducer = 0x21;
constexpr std::uint8_t ImageSeparator = 0x2C;
constexpr std::uint8_t Trailer = 0x3B;
constexpr std::uint8_t GraphicControlLabel = 0xF9;
constexpr std::uint8_t CommentLabel = 0xFE;
constexpr std::uint8_t ApplicationLabel = 0xFF;
constexpr std::uint8_t PlainTextLabel = 0x01;

constexpr std::size_t ScreenDescriptorEnd = 13;  // signature, version and the 7-byte logical screen
constexpr std::size_t ImageDescriptorSize = 10;
constexpr std::size_t GraphicControlSize = 8;  // introducer, label, then the 6 bytes of the pending record
constexpr std::size_t LoopSubBlockEnd = 18;    // introducer, label, 11-byte block, the 4-byte loop sub-block
constexpr std::size_t LoopExtensionSize = 19;  // with the terminator that usually follows

// A chunked copy may store up to this many bytes past the end of the string it copies.
constexpr std::size_t CopySlack = 8;
// No LZW string is longer than the table has entries (each entry adds one byte to an earlier string).
constexpr std::size_t MaxString = LzwTableSize + 1;
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

int Le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

std::uint64_t LoadLe64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
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

// Sets the mask bits of the first `count` pixels of one row whose index equals `index`.
void MaskRow(const std::uint8_t* row, int count, std::uint8_t index, std::uint8_t* mask) {
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        unsigned bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = (bits << 1) | static_cast<unsigned>(row[x + i] == index);
        }
        mask[x >> 3] = static_cast<std::uint8_t>(bits);
    }
    for (; x < count; ++x) {
        if (row[x] == index) {
            mask[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
    }
}

}  // namespace

// The LZW decoder's state, set up once per stream and reused by every frame, so nothing is allocated per
// code. Two decoders share the data gathering:
//  - the fast one (minimum code sizes up to 8) writes the frame's pixels into one contiguous run and keeps,
//    for every code, where its string already stands (earlier in that run, or for a root in a constant
//    table of all bytes) and how long it is. Every code then costs the same one copy, in 8-byte chunks
//    wherever the string fits before the end of the buffer, with no branch on what kind of code it was;
//    rows, interlace passes and the mask are handled afterwards, per row.
//  - the careful one follows the table of prefixes and suffixes one pixel at a time, with 16-bit pixel
//    values; it serves code sizes 9 to 12 (whose roots do not fit a byte, so transparency must compare the
//    whole code) and cross-checks the fast one.
// A code beyond the next free one stands for the entry being defined, and the code right after a clear is a
// pixel whatever its value. Either then becomes the prefix of the next entry before it names anything, so the
// table can come to hold a chain that loops back onto itself: the careful decoder bounds every walk and stops
// the frame's data at one that loops or leaves the table. The fast one keeps no prefixes; it hands such
// frames (rare, and never written by an encoder) to the careful one, so both agree on every pixel.
class TLzwDecoder {
public:
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
            // A frame writes entries from its end code up, so the roots below stay ready for the next frame
            // unless it has more of them.
            for (unsigned i = readyRoots_; i < clear_; ++i) {
                where_[i] = kRoots.bytes + i;
                length_[i] = 1;
            }
            readyRoots_ = clear_;
        } else {
            // Roots stand for themselves, every other entry reads as zero until it is defined. Only entries
            // above the end code are ever written, so the roots hold through every clear code of the frame.
            // The clear code can be 4096: bound by the table.
            std::fill(std::begin(prefix_), std::end(prefix_), std::uint16_t{0});
            std::fill(std::begin(suffix_), std::end(suffix_), std::uint16_t{0});
            const unsigned roots = std::min<unsigned>(clear_, LzwTableSize);
            for (unsigned i = 0; i < roots; ++i) {
                suffix_[i] = static_cast<std::uint16_t>(i);
            }
            defined_ = end_ + 1;
        }
    }

    // ---- fast path ----

    void BeginOutput(std::uint8_t* out, std::size_t total, std::size_t bufferSize) {
        base_ = out;
        written_ = 0;
        total_ = total;
        bufferSize_ = bufferSize;
    }

    // Decodes until at least `until` pixels are written (or all of them, or the data stops).
    void RunFast(std::size_t until) {
        until = std::min(until, total_);
        if (stopped_ || written_ >= until) {
            return;
        }
        std::uint8_t* const base = base_;
        std::uint8_t* out = base + written_;
        std::uint8_t* const stop = base + until;
        std::uint8_t* const outEnd = base + total_;
        std::uint8_t* const bufEnd = base + bufferSize_;
        // Below this point any string fits with its chunked copy's overrun, so the copy needs no length test.
        std::uint8_t* const safeEnd = bufferSize_ > MaxString + CopySlack ? bufEnd - MaxString - CopySlack : base;
        const std::uint8_t* in = in_;
        const std::uint8_t* const inEnd = inEnd_;
        std::uint64_t acc = acc_;
        unsigned bits = bits_;
        unsigned codeLen = codeLen_;
        unsigned mask = (1u << codeLen) - 1;
        unsigned nextFree = nextFree_;
        // 1 when a string has been decoded since the last clear code: then table slot nextFree already holds
        // the entry the next code completes (that string plus the next string's first byte, which will stand
        // right after it), and a code equal to nextFree means exactly that entry.
        unsigned pending = hasPrev_ ? 1 : 0;
        const unsigned clear = clear_;
        const unsigned firstEntry = end_ + 1;

        while (out < stop) {
            if (bits < codeLen) {
                if (inEnd - in >= 8) {
                    acc |= LoadLe64(in) << bits;
                    in += (63 - bits) >> 3;
                    bits |= 56;
                } else {
                    while (bits <= 56 && in < inEnd) {
                        acc |= static_cast<std::uint64_t>(*in++) << bits;
                        bits += 8;
                    }
                    if (bits < codeLen) {
                        Stop(TLzwStatus::EndOfData);
                        break;
                    }
                }
            }
            const unsigned code = static_cast<unsigned>(acc) & mask;
            acc >>= codeLen;
            bits -= codeLen;

            // Roots, table entries and the entry being defined all name a string that already stands
            // somewhere: roots in kRoots, the others earlier in the run. An entry's string ends before `out`,
            // so 8-byte chunks never read what they write; the entry being defined ends with the byte at
            // `out` itself, which is its own first byte, so that one is put right after.
            if (code < nextFree + pending && code - clear > 1) {
                const unsigned len = length_[code];
                const std::uint8_t* src = where_[code];
                if (out < safeEnd || len + CopySlack <= static_cast<std::size_t>(bufEnd - out)) {
                    std::size_t i = 0;
                    do {
                        std::memcpy(out + i, src + i, 8);
                        i += 8;
                    } while (i < len);
                    if (code == nextFree) {
                        out[len - 1] = src[0];
                    }
                } else {
                    CopyNearEnd(out, src, len, outEnd);
                }
                // The pending entry becomes real (codes widen only then); slot LzwTableSize soaks up the
                // writes once the table is full.
                if (pending && nextFree < LzwTableSize) {
                    ++nextFree;
                    if (nextFree > mask && codeLen < MaxCodeLength) {
                        ++codeLen;
                        mask = 2 * mask + 1;
                    }
                }
                pending = 1;
                where_[nextFree] = out;
                length_[nextFree] = static_cast<std::uint16_t>(len + 1);
                out += len;
                if (out >= safeEnd && out > outEnd) {
                    out = outEnd;  // the last string was cut at the end of the image
                }
            } else if (code == clear) {
                codeLen = codeSize_ + 1;
                mask = (1u << codeLen) - 1;
                nextFree = firstEntry;
                pending = 0;
            } else if (code == end_) {
                Stop(TLzwStatus::EndCode);
                break;
            } else {
                // A code beyond the next free one, or a code above the roots right after a clear: its string
                // is only known by following prefixes, which this decoder does not keep.
                Stop(TLzwStatus::BadCode);
                needsCareful_ = true;
                break;
            }
        }

        if (stopped_ && out < outEnd) {
            // A chunked copy may have run a few bytes ahead of the last string; those pixels were never
            // decoded and must read as index 0.
            std::memset(out, 0, std::min<std::size_t>(CopySlack, bufEnd - out));
        }
        written_ = static_cast<std::size_t>(out - base);
        if (written_ >= total_) {
            stopped_ = true;
        }
        in_ = in;
        acc_ = acc;
        bits_ = bits;
        codeLen_ = codeLen;
        nextFree_ = nextFree;
        threshold_ = mask + 1;
        hasPrev_ = pending != 0;
    }

    // Byte by byte and cut at the end of the image; forward order also makes the code being defined come out
    // right, as its last byte is the first one written.
    static void CopyNearEnd(std::uint8_t* out, const std::uint8_t* src, std::size_t len, std::uint8_t* outEnd) {
        const std::size_t n = std::min<std::size_t>(len, static_cast<std::size_t>(outEnd - out));
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = src[i];
        }
    }

    std::size_t Written() const { return written_; }
    bool Stopped() const { return stopped_; }
    // The fast decoder met a code only the careful one can follow; the frame must be decoded again by it.
    bool NeedsCareful() const { return needsCareful_; }
    TLzwStatus Status() const { return status_; }

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

    void Stop(TLzwStatus status) {
        status_ = status;
        stopped_ = true;
    }

    void ResetTable() {
        // Entries defined since the last reset read as zero again (careful path; nothing to do on the fast
        // one, which never reads an entry it has not defined).
        for (unsigned i = end_ + 1; i < defined_; ++i) {
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
    const std::uint8_t* in_ = nullptr;
    const std::uint8_t* inEnd_ = nullptr;
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;

    unsigned clear_ = 0;
    unsigned end_ = 0;
    unsigned codeSize_ = 0;
    unsigned codeLen_ = 0;
    unsigned nextFree_ = 0;
    unsigned threshold_ = 0;
    bool hasPrev_ = false;
    TLzwStatus status_ = TLzwStatus::Complete;
    bool stopped_ = false;
    bool needsCareful_ = false;

    // fast path
    std::uint8_t* base_ = nullptr;
    std::size_t written_ = 0;
    std::size_t total_ = 0;
    std::size_t bufferSize_ = 0;
    const std::uint8_t* where_[LzwTableSize + 1] = {};  // where each code's string stands
    std::uint16_t length_[LzwTableSize + 1] = {};
    unsigned readyRoots_ = 0;  // root slots below this still point into kRoots

    // careful path
    unsigned prevCode_ = 0;
    unsigned first_ = 0;
    unsigned sp_ = 0;
    unsigned defined_ = 0;  // entries from the end code + 1 up to this one may be non-zero
    std::uint16_t prefix_[LzwTableSize] = {};
    std::uint16_t suffix_[LzwTableSize] = {};
    std::uint16_t stack_[LzwTableSize + 1] = {};

public:
    std::vector<std::uint8_t> scratch;  // the contiguous run when it cannot be the pixel buffer itself
};

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
            } else if (label == ApplicationLabel || label == PlainTextLabel) {
                // Any other application extension, and plain text (never drawn): the first block, then
                // sub-blocks.
                if (p >= size) {
                    complete = false;
                } else {
                    const std::size_t n = d[p++];
                    complete = size - p >= n;
                    if (complete) {
                        p += n;
                        complete = SkipSubBlocks(d, size, p);
                    }
                }
            } else {
                Stop = TGifStop::UnknownLabel;
                p = position_;
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
    if (owner.allocated_ + pixelBytes + maskBytes > owner.StreamBudget) {
        owner.Fail(TGifFault::StreamTooLarge);
    }
    owner.allocated_ += pixelBytes + maskBytes;
    PixelStride = static_cast<int>(stride);
    Pixels.assign(static_cast<std::size_t>(pixelBytes), 0);
    if (Transparent) {
        MaskStride = static_cast<int>(maskStride);
        MaskBits.assign(static_cast<std::size_t>(maskBytes), 0);
    }

    Position = p;
    DecodePixels(owner, Position);
    return true;
}

void TFrame::DecodePixels(TGifStream& owner, std::size_t& Position) {
    const std::uint8_t* const d = owner.data_;
    const std::size_t size = owner.size_;
    TLzwDecoder& lzw = *owner.decoder_;
    if (Position >= size) {
        DataStatus = Width > 0 && Height > 0 ? TLzwStatus::EndOfData : TLzwStatus::NoPixels;
        owner.truncated_ = true;
        return;
    }
    const int codeSize = d[Position++];
    if (!lzw.Gather(d, size, Position)) {
        owner.truncated_ = true;
    }
    if (Width == 0 || Height == 0) {
        DataStatus = TLzwStatus::NoPixels;
        return;
    }
    // A minimum code size above 12 would need more roots than the 4096-entry tables hold. Such a frame is
    // left empty (all index 0, opaque) and the stream goes on: one undecodable image is no reason to lose
    // the others, just as image data that ends early keeps the frame.
    if (codeSize > MaxLzwCodeSize) {
        DataStatus = TLzwStatus::BadCodeSize;
        return;
    }
    const bool reportRows =
        owner.OnProgress && static_cast<std::int64_t>(Width) * static_cast<std::int64_t>(Height) > ProgressMinPixels;
    const int reportEvery = Width > 320 ? 32 : 64;
    int reports = 0;  // row reports made so far, so that a second decode of the frame does not repeat them

    // One pixel at a time, straight into its row.
    auto decodeCarefully = [&] {
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
    lzw.Start(codeSize, false);

    const std::size_t w = static_cast<std::size_t>(Width);
    const std::size_t total = w * static_cast<std::size_t>(Height);
    // Without padding or interlacing the pixel buffer is the contiguous run itself.
    const bool direct = !Interlaced && PixelStride == Width;
    std::uint8_t* run;
    if (direct) {
        run = Pixels.data();
        lzw.BeginOutput(run, total, total);
    } else {
        if (lzw.scratch.size() < total + CopySlack) {
            lzw.scratch.resize(total + CopySlack);
        }
        run = lzw.scratch.data();
        lzw.BeginOutput(run, total, total + CopySlack);
    }
    if (reportRows) {
        for (int k = 0; k < Height && !lzw.Stopped(); ++k) {
            const int row = RowOf(k, Height, Interlaced);
            if (row % reportEvery != 0) {
                continue;
            }
            lzw.RunFast((static_cast<std::size_t>(k) + 1) * w);
            if (lzw.Written() < (static_cast<std::size_t>(k) + 1) * w) {
                break;
            }
            owner.ReportProgress(lzw.FilePosition());
            ++reports;
        }
    }
    lzw.RunFast(total);
    if (lzw.NeedsCareful()) {
        // Start again from the first pixel; the fast run wrote pixels, but no mask bit yet.
        std::fill(Pixels.begin(), Pixels.end(), std::uint8_t{0});
        decodeCarefully();
        return;
    }
    const std::size_t written = lzw.Written();
    DataStatus = written >= total ? TLzwStatus::Complete : lzw.Status();

    // Place the decoded rows (the last one maybe partial) and mark their transparent pixels. Pixels that were
    // never decoded keep index 0 and stay opaque.
    const int rows = static_cast<int>((written + w - 1) / w);
    for (int k = 0; k < rows; ++k) {
        const std::size_t from = static_cast<std::size_t>(k) * w;
        const int count = static_cast<int>(std::min(w, written - from));
        const int row = RowOf(k, Height, Interlaced);
        std::uint8_t* line = Pixels.data() + static_cast<std::size_t>(row) * PixelStride;
        if (!direct) {
            std::memcpy(line, run + from, static_cast<std::size_t>(count));
        }
        if (Transparent) {
            MaskRow(line, count, TransparentIndex, MaskBits.data() + static_cast<std::size_t>(row) * MaskStride);
        }
    }
}
